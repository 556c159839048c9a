#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/files.h"

namespace mnemora {

// Replaces a file without ever leaving it half written: the bytes go to a
// temporary file beside it, which is flushed to disk and then renamed over
// the old one. On any failure the old file keeps its contents byte for byte.
//
// A link, or a chain of links, is followed to its end and the file there is
// replaced; the links stay. Temporary files that an earlier save of the same
// file left behind when its process died are removed first.
//
// Fails with FileError "Cannot create file <path>" when the temporary file
// cannot be made or renamed (a folder, FIFO or device in the way, a link
// loop, a folder without write or search right, a read-only file; on Windows
// also a file that another program holds open, which the message says), and
// "Stream write error" when fewer bytes reach it than the text holds.
struct SafeSaveOptions {
    // The call that writes to the open file; tests replace it to make writes
    // come up short. Same contract as writeSome().
    std::function<std::ptrdiff_t(NativeFile file, const void* data, std::size_t size)> write;
};

void safeWriteFile(const std::filesystem::path& target, std::string_view bytes,
                   const SafeSaveOptions& options = {});

// The file a path names once its links are followed to the end of their
// chain; the path itself when it is no link, or names nothing yet. nullopt
// for a link loop, or when a folder on the way cannot be searched.
std::optional<std::filesystem::path> resolveLinkChain(const std::filesystem::path& path);

// Whether `name` is a temporary file that safeWriteFile makes beside a file
// named `targetName`: ".<name>.<process id>-<six letters or digits>.mnemora-tmp".
bool isSaveTemporaryName(std::string_view name, std::string_view targetName);

namespace detail {
inline constexpr std::string_view kTempSuffix = ".mnemora-tmp";
// Room for the rest of a temporary name within the 255 characters a name may take.
inline constexpr std::size_t kTargetNameInTemp = 200;
std::string_view targetPart(std::string_view targetName);
// The process id a temporary name carries; 0 when it is no name of ours.
long long tempOwner(std::string_view name, std::string_view targetName);
}  // namespace detail

}  // namespace mnemora
