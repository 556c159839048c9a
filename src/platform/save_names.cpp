#include <climits>

#include "platform/safe_save.h"

namespace mnemora {
namespace detail {
namespace {

bool isTempLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string_view targetPart(std::string_view targetName) { return targetName.substr(0, kTargetNameInTemp); }

long long tempOwner(std::string_view name, std::string_view targetName) {
    const std::string_view part = targetPart(targetName);
    if (name.size() < part.size() + 2 + 8 + kTempSuffix.size() || name[0] != '.' || name.substr(1, part.size()) != part ||
        name[1 + part.size()] != '.' || !name.ends_with(kTempSuffix)) {
        return 0;
    }
    // What is left: "<pid>-XXXXXX".
    const std::string_view middle = name.substr(part.size() + 2, name.size() - part.size() - 2 - kTempSuffix.size());
    if (middle.size() < 8 || middle.size() > 7 + 10 || middle[middle.size() - 7] != '-') {
        return 0;
    }
    for (const char c : middle.substr(middle.size() - 6)) {
        if (!isTempLetter(c)) {
            return 0;
        }
    }
    long long pid = 0;
    for (const char c : middle.substr(0, middle.size() - 7)) {
        if (c < '0' || c > '9') {
            return 0;
        }
        pid = pid * 10 + (c - '0');
    }
    if (middle[0] == '0' || pid > UINT_MAX) {
        return 0;
    }
    return pid;
}

}  // namespace detail

bool isSaveTemporaryName(std::string_view name, std::string_view targetName) {
    return detail::tempOwner(name, targetName) != 0;
}

}  // namespace mnemora
