#include <algorithm>

#include "platform/files.h"
#include "platform/path_text.h"

namespace mnemora {

FileBytes readRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
    FileBytes result;
    OpenedFile file = openRegularFile(path, maxBytes);
    result.status = file.status;
    if (file.status != ReadStatus::Ok) {
        return result;
    }
    // One read into a buffer of the file's size; a file that grew since it
    // was opened is read on in chunks, but never past the cap.
    result.bytes.resize(file.size);
    std::size_t have = 0;
    for (;;) {
        if (have == result.bytes.size()) {
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
            result.bytes.resize(std::min(maxBytes, std::max<std::size_t>(have * 2, 65536)));
            std::copy(probe, probe + got, result.bytes.begin() + static_cast<std::ptrdiff_t>(have));
            have += static_cast<std::size_t>(got);
            continue;
        }
        const std::ptrdiff_t got = readSome(file.file.get(), result.bytes.data() + have, result.bytes.size() - have);
        if (got < 0) {
            result.status = ReadStatus::Failed;
            result.bytes.clear();
            return result;
        }
        if (got == 0) {
            break;
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
