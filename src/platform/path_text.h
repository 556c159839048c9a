#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Paths are UTF-8 text inside the program; std::filesystem::path holds the
// system's form (UTF-16 on Windows). Converting through std::string would
// take the ANSI code page on Windows, so every conversion goes through here.
namespace mnemora {

std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string pathToUtf8(const std::filesystem::path& path);

// The separator the system writes between a folder and a name.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace mnemora
