#include "platform/safe_save.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/error.h"
#include "platform/files.h"
#include "platform/path_text.h"

namespace mnemora {
namespace {

// As many links as the kernel itself follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;
using detail::kTempSuffix;
using detail::targetPart;

// Removes the temporary files of earlier saves of `targetName` whose process
// died before it could rename them. A save still at work keeps its file: its
// process is alive, and it holds a lock on the file while it writes.
void removeStaleTemporaries(const std::filesystem::path& dir, std::string_view targetName) {
    DIR* listing = ::opendir(dir.c_str());
    if (listing == nullptr) {
        return;
    }
    const int dirFd = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        const long long owner = detail::tempOwner(name, targetName);
        if (owner == 0 || owner > INT_MAX) {
            continue;
        }
        if (owner != ::getpid() && (::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH)) {
            continue;
        }
        FileHandle fd(::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st {};
        if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
            continue;
        }
        // A saver on another machine sharing the folder shows up only as a lock.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            continue;
        }
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(listing);
}

}  // namespace

std::optional<std::filesystem::path> resolveLinkChain(const std::filesystem::path& path) {
    std::filesystem::path current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            // A name not taken yet (also the end of a dangling link) is where a new file goes.
            return errno == ENOENT ? std::optional(current) : std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) {
            return current;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) {
            return std::nullopt;
        }
        link.resize(static_cast<std::size_t>(n));
        std::filesystem::path next(link);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return std::nullopt;
}

void safeWriteFile(const std::filesystem::path& requested, std::string_view bytes,
                   const SafeSaveOptions& options) {
    const std::string cannotCreate = "Cannot create file " + pathToUtf8(requested);
    const std::optional<std::filesystem::path> resolved = resolveLinkChain(requested);
    if (!resolved) {
        throw FileError(cannotCreate);
    }
    const std::filesystem::path& target = *resolved;
    struct stat old {};
    const bool exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) {
        throw FileError(cannotCreate);
    }
    // A folder, FIFO or device is never replaced by a file; a file the user
    // made read-only stays as it is, even where its folder would allow the
    // rename over it.
    if (exists && (!S_ISREG(old.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
        throw FileError(cannotCreate);
    }
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    const std::string targetName = target.filename().string();
    removeStaleTemporaries(dir, targetName);

    std::string tmpl = (dir / ("." + std::string(targetPart(targetName)) + "." + std::to_string(::getpid()) +
                               "-XXXXXX" + std::string(kTempSuffix)))
                           .string();
    FileHandle fd(::mkostemps(tmpl.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC));
    if (!fd) {
        throw FileError(cannotCreate);
    }
    // Tells a later save that this file is still being written (see above).
    ::flock(fd.get(), LOCK_EX | LOCK_NB);
    const std::filesystem::path tmp = tmpl;
    auto fail = [&](const std::string& text) {
        fd.reset();
        ::unlink(tmp.c_str());
        throw FileError(text);
    };

    // Keep the permissions a user gave the old file; a new one gets the usual 0666 & ~umask.
    if (exists) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd.get(), 0666 & ~mask);
    }

    const auto writeFn = options.write ? options.write : writeSome;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::ptrdiff_t n = writeFn(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            fail("Stream write error");
        }
        done += static_cast<std::size_t>(n);
    }
    struct stat written {};
    if (::fsync(fd.get()) != 0 || ::fstat(fd.get(), &written) != 0 ||
        static_cast<std::size_t>(written.st_size) != bytes.size() || ::close(fd.release()) != 0) {
        fail("Stream write error");
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        fail(cannotCreate);
    }
    // Make the rename itself durable.
    const FileHandle dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd) {
        ::fsync(dirFd.get());
    }
}

}  // namespace mnemora
