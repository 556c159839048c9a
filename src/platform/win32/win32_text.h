#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Helpers shared by the Windows implementations; only files of win32/ include it.
namespace mnemora::win32 {

// UTF-8 to UTF-16; nothing for bytes that are not UTF-8.
std::optional<std::wstring> widen(std::string_view utf8);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string narrow(std::wstring_view utf16);

// A name that Windows takes as a device wherever it stands in a folder
// (CON, PRN, AUX, NUL, COM1..9, LPT1..9, CONIN$, CONOUT$, also with an
// extension), or a path into the device namespace (\\.\, \\?\GLOBALROOT).
bool isDevicePath(const std::filesystem::path& path);

}  // namespace mnemora::win32
