#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>
#include <sys/types.h>

namespace mnemora {

// Replaces a file without ever leaving it half written: the bytes go to a
// temporary file beside it, which is flushed to disk and then renamed over
// the old one. On any failure the old file keeps its contents byte for byte.
//
// Fails with FileError "Cannot create file <path>" when the temporary file
// cannot be made or renamed, and "Stream write error" when fewer bytes reach
// it than the text holds.
struct SafeSaveOptions {
    // The call that writes to the open file; tests replace it to make writes
    // come up short. Same contract as POSIX write().
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
};

void safeWriteFile(const std::filesystem::path& target, std::string_view bytes,
                   const SafeSaveOptions& options = {});

}  // namespace mnemora
