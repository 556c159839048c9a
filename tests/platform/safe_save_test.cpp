#include "platform/safe_save.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fcntl.h>

#include "as_users.h"
#include "core/error.h"
#include "platform/files.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

TEST(SafeSave, ReplacesTheFileAndLeavesNoTemporaryBehind) {
    TempDir dir;
    const auto target = dir / "chart.ton";
    writeBytes(target, "old");
    safeWriteFile(target, "new contents");
    EXPECT_EQ(readBytes(target), "new contents");
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(SafeSave, ShortWriteKeepsTheOldBytesAndSaysStreamWriteError) {
    TempDir dir;
    const auto target = dir / "chart.ton";
    writeBytes(target, "old\r\nbytes\r\n");
    SafeSaveOptions opts;
    opts.write = [](NativeFile fd, const void* d, std::size_t n) {
        return writeSome(fd, d, n > 3 ? 3 : n) > 0 ? std::ptrdiff_t{0} : std::ptrdiff_t{-1};
    };
    try {
        safeWriteFile(target, "much longer new contents", opts);
        FAIL() << "no failure reported";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_EQ(readBytes(target), "old\r\nbytes\r\n");
}

// Saves "new" as an ordinary user (the tests run as root, who may write
// anywhere): 0 when that failed with "Cannot create file <target>".
int saveAsAnotherUser(const std::filesystem::path& target) {
    return test::runUnprivileged([&] {
        try {
            safeWriteFile(target, "new");
            return 1;
        } catch (const FileError& e) {
            return std::string(e.what()) == "Cannot create file " + target.string() ? 0 : 2;
        }
    });
}

TEST(SafeSave, ReadOnlyFolderKeepsTheOldFileAndSaysCannotCreate) {
    TempDir dir;
    const auto target = dir / "chart.ton";
    writeBytes(target, "old");
    ::chmod(target.c_str(), 0644);
    ::chmod(dir.path().c_str(), 0555);
    const int rc = saveAsAnotherUser(target);
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readBytes(target), "old");
}

TEST(SafeSave, ReadOnlyFileInAWritableFolderIsNotReplaced) {
    TempDir dir;
    const auto target = dir / "chart.ton";
    writeBytes(target, "old");
    ::chmod(target.c_str(), 0444);
    ::chmod(dir.path().c_str(), 0777);  // the rename alone would be allowed
    const int rc = saveAsAnotherUser(target);
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readBytes(target), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(SafeSave, SavingThroughALinkReplacesTheFileItPointsTo) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    writeBytes(dir / "real" / "chart.ton", "old");
    std::filesystem::create_symlink("real/chart.ton", dir / "link.ton");
    safeWriteFile(dir / "link.ton", "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ton"));
    EXPECT_EQ(readBytes(dir / "real" / "chart.ton"), "new");
}

TEST(SafeSave, FolderThatDoesNotExistSaysCannotCreate) {
    TempDir dir;
    const auto target = dir / "missing" / "chart.ton";
    EXPECT_THROW(safeWriteFile(target, "x"), FileError);
    EXPECT_THROW(safeWriteFile(dir.path(), "x"), FileError);  // a folder is not a file
}

// The text of the failure a save gives, or "saved".
std::string saveOutcome(const std::filesystem::path& target, std::string_view bytes = "new") {
    try {
        safeWriteFile(target, bytes);
        return "saved";
    } catch (const FileError& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("unexpected failure: ") + e.what();
    }
}

std::size_t entriesIn(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for (auto it = std::filesystem::directory_iterator(dir); it != std::filesystem::directory_iterator(); ++it) {
        ++n;
    }
    return n;
}

TEST(SafeSave, ChainOfLinksIsFollowedToItsEndAndEveryLinkStays) {
    test::expectAsRootAndAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        std::filesystem::create_directories(dir / "a" / "b");
        writeBytes(dir / "a" / "b" / "chart.ton", "old");
        std::filesystem::create_symlink("b/chart.ton", dir / "a" / "middle.ton");  // relative to its own folder
        std::filesystem::create_symlink(dir / "a" / "middle.ton", dir / "first.ton");
        f.expectEq(saveOutcome(dir / "first.ton"), std::string("saved"), "save through two links");
        f.expect(std::filesystem::is_symlink(dir / "first.ton"), "first link kept");
        f.expect(std::filesystem::is_symlink(dir / "a" / "middle.ton"), "middle link kept");
        f.expectEq(readBytes(dir / "a" / "b" / "chart.ton"), std::string("new"), "the file at the end replaced");
        // A link to a name not taken yet makes the file there.
        std::filesystem::create_symlink("a/b/fresh.ton", dir / "dangling.ton");
        f.expectEq(saveOutcome(dir / "dangling.ton"), std::string("saved"), "save through a dangling link");
        f.expect(std::filesystem::is_symlink(dir / "dangling.ton"), "dangling link kept");
        f.expectEq(readBytes(dir / "a" / "b" / "fresh.ton"), std::string("new"), "new file at the link's end");
    });
}

TEST(SafeSave, LinkLoopSaysCannotCreate) {
    test::expectAsRootAndAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        std::filesystem::create_symlink("b.ton", dir / "a.ton");
        std::filesystem::create_symlink("a.ton", dir / "b.ton");
        std::filesystem::create_symlink("self.ton", dir / "self.ton");
        f.expectEq(saveOutcome(dir / "a.ton"), "Cannot create file " + (dir / "a.ton").string(), "loop of two");
        f.expectEq(saveOutcome(dir / "self.ton"), "Cannot create file " + (dir / "self.ton").string(), "self link");
        f.expectEq(saveOutcome(dir / "a.ton" / "x.ton"), "Cannot create file " + (dir / "a.ton" / "x.ton").string(),
                   "loop as a folder");
        f.expect(std::filesystem::is_symlink(dir / "a.ton") && std::filesystem::is_symlink(dir / "b.ton"),
                 "links untouched");
        f.expectEq(entriesIn(dir), std::size_t{3}, "nothing left beside them");
    });
}

TEST(SafeSave, FolderFifoOrSocketInTheWayIsNeverReplaced) {
    test::expectAsRootAndAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        std::filesystem::create_directory(dir / "folder.ton");
        ::mkfifo((dir / "fifo.ton").c_str(), 0666);
        const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const std::string sockPath = (dir / "sock.ton").string();
        std::strncpy(addr.sun_path, sockPath.c_str(), sizeof addr.sun_path - 1);
        ::bind(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
        std::filesystem::create_symlink("fifo.ton", dir / "to-fifo.ton");
        for (const char* name : {"folder.ton", "fifo.ton", "sock.ton", "to-fifo.ton"}) {
            f.expectEq(saveOutcome(dir / name), "Cannot create file " + (dir / name).string(), name);
        }
        f.expect(std::filesystem::is_directory(dir / "folder.ton"), "folder kept");
        f.expect(std::filesystem::is_fifo(dir / "fifo.ton"), "FIFO kept");
        f.expect(std::filesystem::is_socket(dir / "sock.ton"), "socket kept");
        f.expectEq(entriesIn(dir), std::size_t{4}, "no temporary left");
        ::close(sock);
    });
}

TEST(SafeSave, FolderWithoutSearchOrWriteRightSaysCannotCreate) {
    test::expectAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        std::filesystem::create_directory(dir / "nosearch");
        writeBytes(dir / "nosearch" / "chart.ton", "old");
        ::chmod((dir / "nosearch").c_str(), 0666);  // read and write, but no search
        f.expectEq(saveOutcome(dir / "nosearch" / "chart.ton"),
                   "Cannot create file " + (dir / "nosearch" / "chart.ton").string(), "no search right");
        std::filesystem::create_directory(dir / "readonly");
        ::chmod((dir / "readonly").c_str(), 0555);
        f.expectEq(saveOutcome(dir / "readonly" / "new.ton"),
                   "Cannot create file " + (dir / "readonly" / "new.ton").string(), "no write right");
        ::chmod((dir / "nosearch").c_str(), 0755);
        f.expectEq(readBytes(dir / "nosearch" / "chart.ton"), std::string("old"), "old bytes kept");
        f.expectEq(entriesIn(dir / "nosearch"), std::size_t{1}, "no temporary left");
    });
}

TEST(SafeSave, TemporaryNamesAreRecognisedExactly) {
    EXPECT_TRUE(isSaveTemporaryName(".chart.ton.123-aZ09xY.mnemora-tmp", "chart.ton"));
    EXPECT_FALSE(isSaveTemporaryName(".chart.ton.123-aZ09xY.mnemora-tmp", "chart.to"));
    EXPECT_FALSE(isSaveTemporaryName(".chart.ton.123-aZ09x.mnemora-tmp", "chart.ton"));    // five letters
    EXPECT_FALSE(isSaveTemporaryName(".chart.ton.123-aZ0_xY.mnemora-tmp", "chart.ton"));   // not a letter
    EXPECT_FALSE(isSaveTemporaryName(".chart.ton.12a-aZ09xY.mnemora-tmp", "chart.ton"));   // not a process id
    EXPECT_FALSE(isSaveTemporaryName(".chart.ton.0123-aZ09xY.mnemora-tmp", "chart.ton"));
    EXPECT_FALSE(isSaveTemporaryName(".chart.ton.-aZ09xY.mnemora-tmp", "chart.ton"));
    EXPECT_FALSE(isSaveTemporaryName(".chart.ton.123-aZ09xY.mnemora-tmp~", "chart.ton"));
    EXPECT_FALSE(isSaveTemporaryName("chart.ton.123-aZ09xY.mnemora-tmp", "chart.ton"));
    EXPECT_FALSE(isSaveTemporaryName(".chart.ton.aZ09xY", "chart.ton"));                    // another program's
    EXPECT_FALSE(isSaveTemporaryName(".chart.ton.mnemora-tmp", "chart.ton"));
    // A very long name is cut the same way when the temporary is made and when it is recognised.
    const std::string longName(240, 'n');
    EXPECT_TRUE(isSaveTemporaryName("." + longName.substr(0, 200) + ".7-abcdef.mnemora-tmp", longName));
}

// A process that has already ended: its id names no living process.
pid_t deadProcessId() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST(SafeSave, TemporariesOfDeadSavesAreRemovedAndNothingElse) {
    test::expectAsRootAndAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        writeBytes(dir / "chart.ton", "old");
        const std::string dead = std::to_string(deadProcessId());
        const std::string mine = std::to_string(::getpid());
        const auto temp = [](const std::string& target, const std::string& pid, const char* letters) {
            return "." + target + "." + pid + "-" + letters + ".mnemora-tmp";
        };
        // Left by saves that died: removed.
        writeBytes(dir / temp("chart.ton", dead, "Ab12Cd"), "half");
        writeBytes(dir / temp("chart.ton", mine, "Zz99zz"), "half");
        // A save still at work: its process lives (our parent), or it holds the lock.
        writeBytes(dir / temp("chart.ton", std::to_string(::getppid()), "Live00"), "busy");
        writeBytes(dir / temp("chart.ton", dead, "Locked"), "busy");
        const FileHandle held(::open((dir / temp("chart.ton", dead, "Locked")).c_str(), O_RDONLY | O_CLOEXEC));
        ::flock(held.get(), LOCK_EX);
        // Look-alikes that are not ours, or not temporaries of this file.
        const std::vector<std::string> kept = {temp("other.ton", dead, "Ab12Cd"),
                                               ".chart.ton." + dead + "-Ab12C.mnemora-tmp",
                                               ".chart.ton.Ab12Cd",
                                               "chart.ton~",
                                               temp("chart.ton", dead, "Folder"),
                                               temp("chart.ton", dead, "LinkXX")};
        for (const std::string& name : kept) {
            if (name.find("Folder") != std::string::npos) {
                std::filesystem::create_directory(dir / name);
            } else if (name.find("LinkXX") != std::string::npos) {
                std::filesystem::create_symlink("chart.ton", dir / name);
            } else {
                writeBytes(dir / name, "theirs");
            }
        }
        f.expectEq(saveOutcome(dir / "chart.ton"), std::string("saved"), "save");
        f.expect(!std::filesystem::exists(dir / temp("chart.ton", dead, "Ab12Cd")), "dead save's file removed");
        f.expect(!std::filesystem::exists(dir / temp("chart.ton", mine, "Zz99zz")), "own stale file removed");
        f.expect(std::filesystem::exists(dir / temp("chart.ton", std::to_string(::getppid()), "Live00")),
                 "living save's file kept");
        f.expect(std::filesystem::exists(dir / temp("chart.ton", dead, "Locked")), "locked file kept");
        for (const std::string& name : kept) {
            f.expect(std::filesystem::exists(std::filesystem::symlink_status(dir / name)), name + " kept");
        }
        f.expectEq(readBytes(dir / "chart.ton"), std::string("new"), "saved bytes");
        f.expectEq(entriesIn(dir), std::size_t{3 + kept.size()}, "nothing else left");
    });
}

TEST(SafeSave, AnotherUsersLookAlikeIsKept) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a file of another user";
    }
    TempDir dir;
    writeBytes(dir / "chart.ton", "old");
    const auto theirs = dir / ("." + std::string("chart.ton.") + std::to_string(deadProcessId()) + "-Ab12Cd.mnemora-tmp");
    writeBytes(theirs, "theirs");
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    safeWriteFile(dir / "chart.ton", "new");
    EXPECT_TRUE(std::filesystem::exists(theirs));
}

// A file system that is nearly full: the temporary cannot take the bytes.
TEST(SafeSave, FullFileSystemKeepsTheOldBytesAndSaysStreamWriteError) {
    TempDir dir;
    const auto mount = dir / "small";
    std::filesystem::create_directory(mount);
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "no tmpfs can be mounted here (" << std::strerror(errno)
                     << "); the short-write test covers the same path through a seam";
    }
    struct Unmount {
        std::filesystem::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{mount};
    ::chmod(mount.c_str(), 0777);
    ::chmod(dir.path().c_str(), 0755);
    const auto target = mount / "chart.ton";
    writeBytes(target, "old bytes");
    ::chmod(target.c_str(), 0666);
    const std::string tooBig(200 * 1024, 'x');
    EXPECT_EQ(saveOutcome(target, tooBig), "Stream write error");
    EXPECT_EQ(readBytes(target), "old bytes");
    EXPECT_EQ(entriesIn(mount), 1u);
    EXPECT_EQ(test::runUnprivileged([&] { return saveOutcome(target, tooBig) == "Stream write error" ? 0 : 1; }), 0);
    EXPECT_EQ(readBytes(target), "old bytes");
    EXPECT_EQ(saveOutcome(target, "fits"), "saved");
    EXPECT_EQ(readBytes(target), "fits");
}

}  // namespace
}  // namespace mnemora
