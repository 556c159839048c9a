// What Windows has of its own: device names, the read-only attribute, files
// held open by other programs, and paths in any script on their way through
// the W functions. Built for Windows only.
#include <windows.h>

#include <gtest/gtest.h>

#include "chart/chart_file.h"
#include "core/error.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/safe_save.h"
#include "sessions/file_test.h"
#include "sessions/ini_file.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::TempDir;

template <typename F>
std::string failure(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "<no error>";
}

// Another program's hold on a file: CreateFileW with its access and sharing.
class HeldFile {
public:
    HeldFile(const fs::path& path, DWORD access, DWORD share)
        : handle_(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile() { release(); }
    [[nodiscard]] bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void release() {
        if (held()) {
            ::CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE handle_;
};

TEST(WindowsPaths, CyrillicAndNonBmpFoldersWorkThroughEveryReaderAndWriter) {
    TempDir dir;
    // "Мнемора 😀 данные": Cyrillic, and a character outside the BMP (a surrogate pair in UTF-16).
    const std::string folder = pathToUtf8(dir.path()) + "\\Мнемора \xF0\x9F\x98\x80 данные";
    ASSERT_TRUE(fs::create_directory(pathFromUtf8(folder)));
    EXPECT_EQ(pathToUtf8(pathFromUtf8(folder)), folder) << "UTF-8 survives the trip through the system's form";

    const std::string dataFile = folder + "\\Mnemora.ini";
    safeWriteFile(pathFromUtf8(dataFile), "[Disk]\r\n0=\xC7\xF0\xE5\xED\xE8\xE5\r\n");  // cp1251 "Зрение"
    EXPECT_TRUE(FileExists(dataFile));
    EXPECT_EQ(TIniFile(dataFile).ReadString("Disk", "0", "default"), "Зрение");
    EXPECT_EQ(readRegularFile(dataFile, 1000).status, ReadStatus::Ok);

    TToneChart chart;
    chart.ToggleCell(31);
    const fs::path chartFile = pathFromUtf8(folder + "\\отчёт 😀.ton");
    WriteChartFile(chartFile, "07.12.2026 09:05", "тест", chart);
    TToneChart read;
    const ChartTexts texts = ReadChartFile(chartFile, read);
    EXPECT_TRUE(read.marked(31));
    EXPECT_EQ(texts.note, "тест");

    // The file as the system lists it: exactly the names we gave.
    int found = 0;
    for (const auto& entry : fs::directory_iterator(pathFromUtf8(folder))) {
        const std::string name = pathToUtf8(entry.path().filename());
        found += name == "Mnemora.ini" || name == "отчёт \xF0\x9F\x98\x80.ton" ? 1 : 0;
    }
    EXPECT_EQ(found, 2);
    EXPECT_FALSE(FileExists(folder)) << "a folder is not a data file";
}

TEST(WindowsPaths, DeviceNamesAndFoldersAreRefusedWithTheUsualMessages) {
    TempDir dir;
    const std::string folder = pathToUtf8(dir.path());
    for (const std::string& name : {std::string("CON"), std::string("nul"), std::string("COM1"),
                                    folder + "\\lpt9.ton", folder + "\\aux .ton", folder + "\\CONOUT$",
                                    std::string("\\\\.\\COM1"), std::string("//./PhysicalDrive0"), folder}) {
        EXPECT_EQ(readRegularFile(name, 100).status, ReadStatus::NotRegular) << name;
        EXPECT_FALSE(FileExists(name)) << name;
        TToneChart chart;
        EXPECT_EQ(failure([&] { ReadChartFile(pathFromUtf8(name), chart); }), "Cannot open file " + name);
        EXPECT_EQ(failure([&] { WriteChartFile(pathFromUtf8(name), "", "", chart); }), "Cannot create file " + name);
    }
    EXPECT_EQ(readRegularFile(folder + "\\missing.ini", 100).status, ReadStatus::Missing);
}

class WindowsSave : public ::testing::Test {
protected:
    void SetUp() override { test::writeBytes(target, "old"); }
    [[nodiscard]] int filesInFolder() const {
        return static_cast<int>(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
    }
    TempDir dir;
    fs::path target = dir / "chart.ton";
};

TEST_F(WindowsSave, AReadOnlyFileIsKept) {
    ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(failure([&] { safeWriteFile(target, "new"); }), "Cannot create file " + pathToUtf8(target));
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readBytes(target), "old");
    EXPECT_EQ(filesInFolder(), 1);
}

TEST_F(WindowsSave, AFileOpenInAnotherProgramSaysSoAndKeepsItsBytes) {
    HeldFile other(target, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(other.held());
    EXPECT_EQ(failure([&] { safeWriteFile(target, "new"); }),
              "Cannot create file " + pathToUtf8(target) + ": it is open in another program.");
    other.release();
    EXPECT_EQ(readBytes(target), "old");
    EXPECT_EQ(filesInFolder(), 1) << "no temporary file is left behind";
    safeWriteFile(target, "new");
    EXPECT_EQ(readBytes(target), "new") << "once the other program lets go, the save goes through";
}

TEST_F(WindowsSave, AChartBeingWrittenByAnotherProgramIsNotRead) {
    HeldFile writer(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.held());
    TToneChart chart;
    EXPECT_EQ(failure([&] { ReadChartFile(target, chart); }), "Cannot open file " + pathToUtf8(target));
    EXPECT_EQ(TIniFile(pathToUtf8(target)).ReadString("a", "k", "d"), "d") << "the data file is read beside writers";
    writer.release();
    EXPECT_NO_THROW(ReadChartFile(target, chart));
}

TEST_F(WindowsSave, TemporariesOfDeadSavesAreRemovedButAHeldOneStays) {
    const auto temp = [&](const std::string& pid, const char* letters) {
        return dir / (".chart.ton." + pid + "-" + letters + ".mnemora-tmp");
    };
    // No process has an id this large; ours is alive, but the file is not held.
    test::writeBytes(temp("4294967290", "Ab12Cd"), "half");
    test::writeBytes(temp(std::to_string(::GetCurrentProcessId()), "Zz99zz"), "half");
    // A save at work holds its file without sharing.
    test::writeBytes(temp("4294967291", "Held00"), "busy");
    HeldFile saving(temp("4294967291", "Held00"), GENERIC_WRITE, 0);
    ASSERT_TRUE(saving.held());
    test::writeBytes(dir / ".other.ton.4294967290-Ab12Cd.mnemora-tmp", "not ours to judge");

    safeWriteFile(target, "new");
    EXPECT_EQ(readBytes(target), "new");
    EXPECT_FALSE(fs::exists(temp("4294967290", "Ab12Cd")));
    EXPECT_FALSE(fs::exists(temp(std::to_string(::GetCurrentProcessId()), "Zz99zz")));
    EXPECT_TRUE(fs::exists(temp("4294967291", "Held00")));
    EXPECT_TRUE(fs::exists(dir / ".other.ton.4294967290-Ab12Cd.mnemora-tmp"));
}

TEST_F(WindowsSave, AShortWriteKeepsTheOldBytes) {
    SafeSaveOptions half;
    half.write = [](NativeFile file, const void* data, std::size_t size) -> std::ptrdiff_t {
        return size > 1 ? writeSome(file, data, size / 2) : 0;
    };
    EXPECT_EQ(failure([&] { safeWriteFile(target, "much longer contents", half); }), "Stream write error");
    EXPECT_EQ(readBytes(target), "old");
    EXPECT_EQ(filesInFolder(), 1);
}

}  // namespace
}  // namespace mnemora
