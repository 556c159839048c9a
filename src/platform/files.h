#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What differs between operating systems about files: opening outside files
// safely, reading and writing through a handle, renaming aside, and file
// times. One interface; posix/ and win32/ hold the two implementations.
namespace mnemora {

// How an attempt to read a file from outside ended.
enum class ReadStatus {
    Ok,
    Missing,     // no such file (or a dangling link)
    NotRegular,  // a folder, FIFO, device or socket: never read, never waited on
    TooLarge,    // larger than the caller's cap; nothing is read
    Failed,      // anything else: no permission, a read error, locked by another program
};

// The system's handle of an open file: a descriptor, or a Windows HANDLE
// kept as a number so that no system header leaks into ours.
#ifdef _WIN32
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;  // INVALID_HANDLE_VALUE
#else
using NativeFile = int;
inline constexpr NativeFile kNoFile = -1;
#endif

// An open file that closes itself.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(NativeFile file) : file_(file) {}
    FileHandle(FileHandle&& other) noexcept : file_(other.release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { reset(); }

    [[nodiscard]] NativeFile get() const { return file_; }
    explicit operator bool() const { return file_ != kNoFile; }
    NativeFile release() {
        const NativeFile file = file_;
        file_ = kNoFile;
        return file;
    }
    void reset(NativeFile file = kNoFile);

private:
    NativeFile file_ = kNoFile;
};

// Bytes read (0 at the end of the file) or -1; an interrupted call is retried.
std::ptrdiff_t readSome(NativeFile file, void* data, std::size_t size);
// Bytes written or -1; an interrupted call is retried.
std::ptrdiff_t writeSome(NativeFile file, const void* data, std::size_t size);

// Whether other programs may write the file while we hold it open.
enum class Sharing { AllowWriters, DenyWriters };

struct OpenedFile {
    ReadStatus status = ReadStatus::Failed;
    FileHandle file;       // open for reading when status is Ok
    std::size_t size = 0;  // the size when it was opened
};

// Opens a file for reading only if it is a regular file no larger than
// maxBytes. The open itself never blocks: a FIFO, device, or a reserved
// device name on Windows, is found out and refused without waiting on it.
// Links are followed to their end. With DenyWriters a file that another
// program is writing (or holds locked) is not opened: Failed.
OpenedFile openRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                           Sharing sharing = Sharing::AllowWriters);

struct FileBytes {
    ReadStatus status = ReadStatus::Failed;
    std::string bytes;  // the whole file when status is Ok
};

// The whole of a regular file of at most maxBytes. A file that grows while it
// is read is cut at maxBytes rather than read on, so memory stays bounded.
FileBytes readRegularFile(const std::filesystem::path& path, std::size_t maxBytes);
// As above, read in pieces, each handed to onPiece as soon as it is read,
// while it is still in the processor's cache: a caller that must look at
// every byte does so in the same pass as the read, not in a second one over
// memory. On a failed read the pieces seen are void.
FileBytes readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                          const std::function<void(std::string_view)>& onPiece);
// The same for a path held as UTF-8 text (std::filesystem would take it in
// the ANSI code page on Windows).
FileBytes readRegularFile(const std::string& utf8Path, std::size_t maxBytes);
FileBytes readRegularFile(const char* utf8Path, std::size_t maxBytes);

// True when the path itself (not a link's end) is a regular file.
bool isRegularFileNoFollow(const std::filesystem::path& path);

// The local calendar year of a regular file's last write; nothing for a
// missing file, a folder or a device, or a time the system cannot convert.
std::optional<int> localWriteYear(const std::filesystem::path& path);

// Whether new files can be made in a folder (made first when missing).
bool canCreateFilesIn(const std::filesystem::path& dir);

enum class RenameResult { Done, TargetExists, Failed };
// Renames a file without ever replacing one that has the new name.
RenameResult renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// The local time of a moment (localtime_r or its Windows counterpart).
std::optional<std::tm> localTime(std::time_t moment);

}  // namespace mnemora
