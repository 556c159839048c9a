#include "core/error.h"

#include <cstdio>

namespace mnemora {

std::string withFullStop(std::string_view text) {
    std::string out(text);
    // Any byte of a multi-byte UTF-8 character is above 0x7F, so it sorts
    // after "." just as a Cyrillic letter does in the 8-bit code page.
    if (!out.empty() && static_cast<unsigned char>(out.back()) > static_cast<unsigned char>('.')) {
        out += '.';
    }
    return out;
}

std::string formatFatalError(std::string_view kind, std::string_view module, std::uintptr_t address,
                             std::string_view text) {
    char addr[2 * sizeof(std::uintptr_t) + 1];
    std::snprintf(addr, sizeof addr, "%0*llX", static_cast<int>(address > 0xFFFFFFFFu ? 16 : 8),
                  static_cast<unsigned long long>(address));
    std::string out = "Exception ";
    out += kind;
    out += " in module ";
    out += module;
    out += " at ";
    out += addr;
    out += ".\n";
    out += text;
    // The fatal box always closes its sentence, even after a quote.
    if (!text.empty() && text.back() != '.') {
        out += '.';
    }
    return out;
}

}  // namespace mnemora
