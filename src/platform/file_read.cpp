#include <algorithm>

#include "platform/files.h"
#include "platform/path_text.h"

namespace mnemora {

FileBytes readRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
    return readRegularFile(path, maxBytes, {});
}

FileBytes readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                          const std::function<void(std::string_view)>& onPiece) {
    // Small enough to stay in the second-level cache until onPiece has seen it,
    // large enough that the calls to read cost little.
    constexpr std::size_t kPiece = std::size_t{512} << 10;
    FileBytes result;
    OpenedFile file = openRegularFile(path, maxBytes);
    result.status = file.status;
    if (file.status != ReadStatus::Ok) {
        return result;
    }
    // One read into a buffer of the file's size; a file that grew since it
    // was opened is read on in chunks, but never past the cap. The buffer is
    // only reserved up front and zeroed piece by piece just before each
    // read, so that memory is not walked twice.
    std::size_t target = file.size;
    result.bytes.reserve(target);
    std::size_t have = 0;
    for (;;) {
        if (have == target) {
            if (have >= maxBytes) {
                break;
            }
            // Nearly every file ends where its size said: a small read finds
            // that out before the buffer is grown (and copied) for nothing.
            char probe[512];
            const std::ptrdiff_t got = readSome(file.file.get(), probe, std::min(sizeof probe, maxBytes - have));
            if (got <= 0) {
                if (got < 0) {
                    result.status = ReadStatus::Failed;
                    result.bytes.clear();
                    return result;
                }
                break;
            }
            target = std::min(maxBytes, std::max<std::size_t>(have * 2, 65536));
            result.bytes.reserve(target);
            result.bytes.append(probe, static_cast<std::size_t>(got));
            if (onPiece) {
                onPiece(std::string_view(result.bytes).substr(have, static_cast<std::size_t>(got)));
            }
            have += static_cast<std::size_t>(got);
            continue;
        }
        const std::size_t want = onPiece ? std::min(kPiece, target - have) : target - have;
        result.bytes.resize(have + want);
        const std::ptrdiff_t got = readSome(file.file.get(), result.bytes.data() + have, want);
        if (got < 0) {
            result.status = ReadStatus::Failed;
            result.bytes.clear();
            return result;
        }
        result.bytes.resize(have + static_cast<std::size_t>(got));
        if (got == 0) {
            break;
        }
        if (onPiece) {
            onPiece(std::string_view(result.bytes).substr(have, static_cast<std::size_t>(got)));
        }
        have += static_cast<std::size_t>(got);
    }
    result.bytes.resize(have);
    return result;
}

FileBytes readRegularFile(const std::string& utf8Path, std::size_t maxBytes) {
    return readRegularFile(pathFromUtf8(utf8Path), maxBytes);
}

FileBytes readRegularFile(const char* utf8Path, std::size_t maxBytes) {
    return readRegularFile(pathFromUtf8(utf8Path), maxBytes);
}

}  // namespace mnemora
