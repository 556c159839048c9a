#pragma once

#include <string>

namespace mnemora {

// True when `path` names an existing regular file (not a folder) whose
// last-write time, taken as local time, lies in the years 1980..2107; a file
// dated outside that range counts as missing.
bool FileExists(const std::string& path);

}  // namespace mnemora
