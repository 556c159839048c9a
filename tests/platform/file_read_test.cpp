#include "platform/files.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "as_users.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

using test::TempDir;
using test::writeBytes;

TEST(ReadRegularFile, ReadsAWholeFileByteForByte) {
    TempDir dir;
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    writeBytes(dir / "f", bytes);
    const FileBytes got = readRegularFile(dir / "f", 1 << 20);
    ASSERT_EQ(got.status, ReadStatus::Ok);
    EXPECT_EQ(got.bytes, bytes);
}

TEST(ReadRegularFile, TellsMissingFromTooLarge) {
    TempDir dir;
    EXPECT_EQ(readRegularFile(dir / "none", 100).status, ReadStatus::Missing);
    EXPECT_EQ(readRegularFile(dir / "none" / "deeper", 100).status, ReadStatus::Missing);
    writeBytes(dir / "f", std::string(101, 'x'));
    EXPECT_EQ(readRegularFile(dir / "f", 100).status, ReadStatus::TooLarge);
    EXPECT_EQ(readRegularFile(dir / "f", 101).status, ReadStatus::Ok);
}

TEST(ReadRegularFile, RefusesFoldersFifosAndDevicesWithoutBlocking) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(readRegularFile(dir / "fifo", 100).status, ReadStatus::NotRegular);
    EXPECT_EQ(readRegularFile(dir.path(), 100).status, ReadStatus::NotRegular);
    EXPECT_EQ(readRegularFile("/dev/zero", 100).status, ReadStatus::NotRegular);
    EXPECT_EQ(readRegularFile("/dev/null", 100).status, ReadStatus::NotRegular);
    // A FIFO with no writer would block an ordinary open for ever.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Files under /proc say they are empty and then give text: what fstat said is
// only where reading starts, and the cap still holds.
TEST(ReadRegularFile, ReadsPastTheSizeFstatGaveUpToTheCap) {
    const FileBytes whole = readRegularFile("/proc/self/status", 1 << 20);
    ASSERT_EQ(whole.status, ReadStatus::Ok);
    EXPECT_TRUE(whole.bytes.starts_with("Name:"));
    EXPECT_NE(whole.bytes.find("\nPid:"), std::string::npos);
    const FileBytes cut = readRegularFile("/proc/self/status", 10);
    ASSERT_EQ(cut.status, ReadStatus::Ok);
    EXPECT_EQ(cut.bytes, whole.bytes.substr(0, 10));
}

TEST(ReadRegularFile, FollowsLinksToTheirEnd) {
    TempDir dir;
    writeBytes(dir / "target", "abc");
    std::filesystem::create_symlink(dir / "target", dir / "one");
    std::filesystem::create_symlink(dir / "one", dir / "two");
    const FileBytes got = readRegularFile(dir / "two", 100);
    ASSERT_EQ(got.status, ReadStatus::Ok);
    EXPECT_EQ(got.bytes, "abc");
    std::filesystem::create_symlink(dir / "loop-a", dir / "loop-b");
    std::filesystem::create_symlink(dir / "loop-b", dir / "loop-a");
    EXPECT_EQ(readRegularFile(dir / "loop-a", 100).status, ReadStatus::Failed);
    std::filesystem::create_symlink("/dev/zero", dir / "zero");
    EXPECT_EQ(readRegularFile(dir / "zero", 100).status, ReadStatus::NotRegular);
}

TEST(ReadRegularFile, AnUnreadableFileFailsForAnOrdinaryUser) {
    test::expectAsUser([](const std::filesystem::path& dir, test::Findings& found) {
        writeBytes(dir / "f", "secret");
        ::chmod((dir / "f").c_str(), 0);
        found.expect(readRegularFile(dir / "f", 100).status == ReadStatus::Failed, "unreadable file was read");
    });
}

}  // namespace
}  // namespace mnemora
