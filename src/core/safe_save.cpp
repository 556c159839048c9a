#include "core/safe_save.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>

#include "core/error.h"

namespace mnemora {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { close(); }
    int get() const { return fd_; }
    bool close() {
        if (fd_ < 0) {
            return true;
        }
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

private:
    int fd_;
};

}  // namespace

void safeWriteFile(const std::filesystem::path& requested, std::string_view bytes,
                   const SafeSaveOptions& options) {
    const std::string cannotCreate = "Cannot create file " + requested.string();
    std::error_code ec;
    // Saving through a link replaces the file it points to, not the link.
    std::filesystem::path target = requested;
    if (std::filesystem::is_symlink(requested, ec)) {
        const auto link = std::filesystem::read_symlink(requested, ec);
        if (!ec) {
            target = link.is_absolute() ? link : requested.parent_path() / link;
        }
    }
    if (std::filesystem::is_directory(target)) {
        throw FileError(cannotCreate);
    }
    // A file the user made read-only stays as it is, even where its folder
    // would allow the rename over it.
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
        throw FileError(cannotCreate);
    }
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string tmpl = (dir / hidden).string();
    Fd fd(::mkstemp(tmpl.data()));
    if (fd.get() < 0) {
        throw FileError(cannotCreate);
    }
    const std::filesystem::path tmp = tmpl;
    auto discard = [&] {
        fd.close();
        std::error_code ec;
        std::filesystem::remove(tmp, ec);
    };

    // Keep the permissions a user gave the old file; a new one gets the usual 0666 & ~umask.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        ::fchmod(fd.get(), st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd.get(), 0666 & ~mask);
    }

    const auto writeFn = options.write ? options.write : [](int f, const void* d, std::size_t n) {
        return ::write(f, d, n);
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = writeFn(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            discard();
            throw FileError("Stream write error");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0 || !fd.close()) {
        discard();
        throw FileError("Stream write error");
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        discard();
        throw FileError(cannotCreate);
    }
    // Make the rename itself durable.
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY));
    if (dirFd.get() >= 0) {
        ::fsync(dirFd.get());
    }
}

}  // namespace mnemora
