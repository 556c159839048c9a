#pragma once

#include <filesystem>

// Folders the program looks in for files of its own (the help file).
namespace mnemora {

// The folder of this program's executable; empty when the system will not say.
std::filesystem::path executableDir();

}  // namespace mnemora
