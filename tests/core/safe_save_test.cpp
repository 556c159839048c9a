#include "core/safe_save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/error.h"
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
    opts.write = [](int fd, const void* d, std::size_t n) {
        return ::write(fd, d, n > 3 ? 3 : n) > 0 ? ssize_t{0} : ssize_t{-1};
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

}  // namespace
}  // namespace mnemora
