#include <windows.h>

#include <string>

#include "core/error.h"
#include "platform/path_text.h"
#include "platform/safe_save.h"
#include "platform/win32/win32_text.h"

namespace mnemora {
namespace {

using detail::kTempSuffix;
using detail::targetPart;

HANDLE handleOf(NativeFile file) { return reinterpret_cast<HANDLE>(file); }

bool processAlive(DWORD pid) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        // No such process; any other refusal means someone is there.
        return ::GetLastError() != ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const bool alive = !::GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    ::CloseHandle(process);
    return alive;
}

// Removes the temporary files of earlier saves of `targetName` whose process
// died before it could rename them. A save still at work keeps its file: its
// process is alive, and it holds the file open without sharing, so that the
// removal is refused.
void removeStaleTemporaries(const std::filesystem::path& dir, std::string_view targetName) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = win32::narrow(it->path().filename().native());
        const long long owner = detail::tempOwner(name, targetName);
        if (owner == 0) {
            continue;
        }
        const DWORD pid = static_cast<DWORD>(owner);
        if (pid != ::GetCurrentProcessId() && processAlive(pid)) {
            continue;
        }
        const DWORD attributes = ::GetFileAttributesW(it->path().c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
            continue;
        }
        ::DeleteFileW(it->path().c_str());
    }
}

// Six letters or digits that differ from one call to the next.
std::string tempLetters(unsigned attempt) {
    static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned long long seed = ::GetTickCount64() * 6364136223846793005ULL + ::GetCurrentThreadId() + attempt * 1442695040888963407ULL;
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    seed ^= static_cast<unsigned long long>(counter.QuadPart);
    std::string out;
    for (int i = 0; i < 6; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        out.push_back(kLetters[(seed >> 33) % kLetters.size()]);
    }
    return out;
}

// Whether another program holds the file open in a way that keeps it from
// being replaced (opened without sharing deletion).
bool heldByAnotherProgram(const std::filesystem::path& target) {
    HANDLE probe = ::CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    }
    ::CloseHandle(probe);
    return false;
}

}  // namespace

std::optional<std::filesystem::path> resolveLinkChain(const std::filesystem::path& path) {
    // Links are rare on Windows and the system follows them itself when it
    // opens a file; the path is where the file goes.
    return path;
}

void safeWriteFile(const std::filesystem::path& target, std::string_view bytes, const SafeSaveOptions& options) {
    const std::string cannotCreate = "Cannot create file " + pathToUtf8(target);
    if (win32::isDevicePath(target)) {
        throw FileError(cannotCreate);
    }
    // A folder is never replaced by a file; a file the user made read-only
    // stays as it is.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        throw FileError(cannotCreate);
    }
    const std::string inUse = cannotCreate + ": it is open in another program.";
    if (attributes != INVALID_FILE_ATTRIBUTES && heldByAnotherProgram(target)) {
        throw FileError(inUse);
    }
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    const std::string targetName = pathToUtf8(target.filename());
    removeStaleTemporaries(dir, targetName);

    std::filesystem::path tmp;
    FileHandle file;
    for (unsigned attempt = 0; attempt < 100 && !file; ++attempt) {
        tmp = dir / pathFromUtf8("." + std::string(targetPart(targetName)) + "." +
                                 std::to_string(::GetCurrentProcessId()) + "-" + tempLetters(attempt) +
                                 std::string(kTempSuffix));
        // No sharing while we write: a later save sees the file held and leaves it.
        file = FileHandle(reinterpret_cast<NativeFile>(
            ::CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
        if (!file && ::GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (!file) {
        throw FileError(cannotCreate);
    }
    auto fail = [&](const std::string& text) {
        file.reset();
        ::DeleteFileW(tmp.c_str());
        throw FileError(text);
    };

    const auto writeFn = options.write ? options.write : writeSome;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::ptrdiff_t n = writeFn(file.get(), bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            fail("Stream write error");
        }
        done += static_cast<std::size_t>(n);
    }
    LARGE_INTEGER written{};
    if (!::FlushFileBuffers(handleOf(file.get())) || !::GetFileSizeEx(handleOf(file.get()), &written) ||
        static_cast<unsigned long long>(written.QuadPart) != bytes.size()) {
        fail("Stream write error");
    }
    file.reset();
    if (!::MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(tmp.c_str());
        // Opened by another program between the check above and now.
        throw FileError(error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && heldByAnotherProgram(target))
                            ? inUse
                            : cannotCreate);
    }
}

}  // namespace mnemora
