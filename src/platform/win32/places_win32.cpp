#include <windows.h>

#include <string>

#include "platform/places.h"

namespace mnemora {

std::filesystem::path executableDir() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) {
            return {};
        }
        if (n < name.size()) {
            name.resize(n);
            return std::filesystem::path(name).parent_path();
        }
        // Cut to fit: a longer buffer, and again.
        name.resize(name.size() * 2);
    }
}

}  // namespace mnemora
