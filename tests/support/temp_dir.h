#pragma once

#include <chrono>
#ifdef _WIN32
#include <process.h>
#endif
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace mnemora::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends.
class TempDir {
public:
    TempDir() {
#ifdef _WIN32
        // No mkdtemp: a name made unique by a counter and the clock, made with create_directory.
        static unsigned counter = 0;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto candidate = std::filesystem::temp_directory_path() /
                                   ("mnemora-test-" + std::to_string(::_getpid()) + "-" + std::to_string(now) + "-" +
                                    std::to_string(++counter));
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec)) {
                path_ = candidate;
            }
        }
        if (path_.empty()) {
            std::abort();
        }
#else
        std::string tmpl = (std::filesystem::temp_directory_path() / "mnemora-test-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr) {
            std::abort();
        }
        path_ = tmpl;
#endif
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ec;
        // A test may have made a folder read-only; give the owner back its rights first.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            // Never through a link: a test may link to a device or a system file.
            if (!it->is_symlink(ec)) {
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
            }
        }
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace mnemora::test

#ifndef _WIN32
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace mnemora::test {

// Runs `body` in a child process without root's rights, so that folder
// permissions mean what they mean for a user. Returns the child's exit code
// (or -1 when it did not exit normally).
inline int runUnprivileged(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(125);
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace mnemora::test
#endif
