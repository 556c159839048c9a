#pragma once

#include <filesystem>

// Folders the program looks in for files of its own (the help file).
namespace mnemora {

// The folder of this program's executable; empty when the system will not say.
std::filesystem::path executableDir();

// Whether the system keeps shared data in the XDG data folders
// ($XDG_DATA_HOME, $XDG_DATA_DIRS); on Windows a program's files are beside it.
#ifdef _WIN32
inline constexpr bool kSearchXdgDataFolders = false;
#else
inline constexpr bool kSearchXdgDataFolders = true;
#endif

}  // namespace mnemora
