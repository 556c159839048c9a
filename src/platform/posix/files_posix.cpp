#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace mnemora {

void FileHandle::reset(NativeFile file) {
    if (file_ != kNoFile) {
        ::close(file_);
    }
    file_ = file;
}

std::ptrdiff_t readSome(NativeFile file, void* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(file, data, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got;
    }
}

std::ptrdiff_t writeSome(NativeFile file, const void* data, std::size_t size) {
    for (;;) {
        const ssize_t done = ::write(file, data, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        return done;
    }
}

OpenedFile openRegularFile(const std::filesystem::path& path, std::size_t maxBytes, Sharing sharing) {
    OpenedFile result;
    // O_NONBLOCK keeps open() from waiting for a FIFO's writer; O_NOCTTY keeps
    // a terminal device from becoming ours.
    FileHandle fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
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
    // Other writers are kept out while we read, as far as advisory locks reach.
    if (sharing == Sharing::DenyWriters && ::flock(fd.get(), LOCK_SH | LOCK_NB) != 0) {
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
    result.file = std::move(fd);
    return result;
}

bool isRegularFileNoFollow(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<int> localWriteYear(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    const std::optional<std::tm> local = localTime(st.st_mtime);
    if (!local) {
        return std::nullopt;
    }
    return local->tm_year + 1900;
}

bool canCreateFilesIn(const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return !ec && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

RenameResult renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return RenameResult::Done;
    }
    if (errno == EEXIST) {
        return RenameResult::TargetExists;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return RenameResult::Failed;
    }
    // A file system without the no-replace rename: a second name, then drop the first.
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0) {
            return RenameResult::Done;
        }
        ::unlink(to.c_str());
        return RenameResult::Failed;
    }
    return errno == EEXIST ? RenameResult::TargetExists : RenameResult::Failed;
}

std::optional<std::tm> localTime(std::time_t moment) {
    std::tm local{};
    if (::localtime_r(&moment, &local) == nullptr) {
        return std::nullopt;
    }
    return local;
}

}  // namespace mnemora
