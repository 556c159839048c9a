#include "core/file_read.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mnemora {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        reset(other.release());
    }
    return *this;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
}

OpenedFile openRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
    OpenedFile result;
    // O_NONBLOCK keeps open() from waiting for a FIFO's writer; O_NOCTTY keeps
    // a terminal device from becoming ours.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd) {
        switch (errno) {
        case ENOENT:
        case ENOTDIR:
            result.status = ReadStatus::Missing;
            break;
        case EISDIR:
        case ENXIO:  // a socket, or a FIFO opened for writing elsewhere
            result.status = ReadStatus::NotRegular;
            break;
        default:
            result.status = ReadStatus::Failed;
            break;
        }
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.status = ReadStatus::NotRegular;
        return result;
    }
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes) {
        result.status = ReadStatus::TooLarge;
        return result;
    }
    // Reads of a regular file never block anyway; back to the normal mode so
    // that callers see ordinary read() results.
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    }
    result.status = ReadStatus::Ok;
    result.size = static_cast<std::size_t>(st.st_size);
    result.fd = std::move(fd);
    return result;
}

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
    // One read into a buffer of the file's size; a file that grew since fstat
    // is read on in chunks, but never past the cap. The buffer is only
    // reserved up front and zeroed piece by piece just before each read, so
    // that memory is not walked twice.
    std::size_t target = file.size;
    result.bytes.reserve(target);
    std::size_t have = 0;
    for (;;) {
        if (have == target) {
            if (have >= maxBytes) {
                break;
            }
            // Nearly every file ends where fstat said: a small read finds
            // that out before the buffer is grown (and copied) for nothing.
            char probe[512];
            const ssize_t got = ::read(file.fd.get(), probe, std::min(sizeof probe, maxBytes - have));
            if (got < 0 && errno == EINTR) {
                continue;
            }
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
        const ssize_t got = ::read(file.fd.get(), result.bytes.data() + have, want);
        if (got < 0) {
            if (errno == EINTR) {
                result.bytes.resize(have);
                continue;
            }
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

}  // namespace mnemora
