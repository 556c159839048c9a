#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace mnemora {

// How an attempt to read a file from outside ended.
enum class ReadStatus {
    Ok,
    Missing,     // no such file (or a dangling link)
    NotRegular,  // a folder, FIFO, device or socket: never read, never waited on
    TooLarge,    // larger than the caller's cap; nothing is read
    Failed,      // anything else: no permission, a read error
};

// An open file descriptor that closes itself.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    [[nodiscard]] int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

struct OpenedFile {
    ReadStatus status = ReadStatus::Failed;
    UniqueFd fd;             // open for reading (blocking mode) when status is Ok
    std::size_t size = 0;    // the size when it was opened
};

// Opens a file for reading only if it is a regular file no larger than
// maxBytes. The open itself never blocks: a FIFO with no writer, or a device,
// is found out by fstat on a descriptor opened non-blocking, and refused.
// Links are followed to their end.
OpenedFile openRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

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

}  // namespace mnemora
