#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "temp_dir.h"

namespace mnemora::test {

// What went wrong in a check that runs in a child process, where gtest's own
// assertions would go unseen.
class Findings {
public:
    void expect(bool held, const std::string& what) {
        if (!held) {
            text_ += what;
            text_ += "\n";
        }
    }
    template <class A, class B>
    void expectEq(const A& got, const B& wanted, const std::string& what) {
        expect(got == wanted, what);
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// Runs `check` in a child process with a fresh folder, and stops it after
// `seconds` (a reader that blocks on a FIFO would otherwise wait for ever).
// Gives what the check found, or why the child did not finish.
inline std::string runChecked(const std::function<void(const std::filesystem::path&, Findings&)>& check,
                              bool unprivileged, unsigned seconds = 30) {
    TempDir dir;
    if (unprivileged) {
        ::chmod(dir.path().c_str(), 0777);
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        return "no pipe";
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(seconds);
        if (unprivileged && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(125);
        }
        Findings findings;
        check(dir.path(), findings);
        const std::string& text = findings.text();
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string found;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) {
        found.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) {
        return found + (WTERMSIG(status) == SIGALRM ? "did not finish in time" : "ended by a signal: " +
                                                                                     std::string(strsignal(WTERMSIG(status))));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return found + "child failed with " + std::to_string(WEXITSTATUS(status));
    }
    return found;
}

// The check as this process's user and, when that is root (who passes every
// permission check), once more as the unprivileged user nobody.
inline void expectAsRootAndAsUser(const std::function<void(const std::filesystem::path&, Findings&)>& check) {
    EXPECT_EQ(runChecked(check, false), "") << "as uid " << ::geteuid();
    if (::geteuid() == 0) {
        EXPECT_EQ(runChecked(check, true), "") << "as nobody";
    }
}

// The check only as an ordinary user; skipped where that cannot be had.
inline void expectAsUser(const std::function<void(const std::filesystem::path&, Findings&)>& check) {
    if (::geteuid() != 0) {
        EXPECT_EQ(runChecked(check, false), "") << "as uid " << ::geteuid();
    } else {
        EXPECT_EQ(runChecked(check, true), "") << "as nobody";
    }
}

}  // namespace mnemora::test
