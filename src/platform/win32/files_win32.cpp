#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "platform/files.h"
#include "platform/win32/win32_text.h"

namespace mnemora {

namespace win32 {

std::optional<std::wstring> widen(std::string_view utf8) {
    if (utf8.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(utf8.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (n <= 0) {
        return std::nullopt;
    }
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf16.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

bool isDevicePath(const std::filesystem::path& path) {
    const std::wstring& text = path.native();
    auto startsWith = [&](std::wstring_view prefix) {
        if (text.size() < prefix.size()) {
            return false;
        }
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            const wchar_t c = text[i] == L'/' ? L'\\' : static_cast<wchar_t>(std::towupper(text[i]));
            if (c != prefix[i]) {
                return false;
            }
        }
        return true;
    };
    if (startsWith(L"\\\\.\\") || startsWith(L"\\\\?\\GLOBALROOT") || startsWith(L"\\??\\")) {
        return true;
    }
    // The part before the first dot, with trailing blanks and dots dropped as
    // Windows drops them: "nul.txt" and "CON " are devices too.
    std::wstring stem = path.filename().native();
    stem = stem.substr(0, stem.find(L'.'));
    while (!stem.empty() && (stem.back() == L' ' || stem.back() == L'.')) {
        stem.pop_back();
    }
    std::transform(stem.begin(), stem.end(), stem.begin(), [](wchar_t c) { return std::towupper(c); });
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
        stem == L"CONOUT$") {
        return true;
    }
    return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) && stem[3] >= L'1' &&
           stem[3] <= L'9';
}

}  // namespace win32

namespace {

HANDLE handleOf(NativeFile file) { return reinterpret_cast<HANDLE>(file); }

// Reads and writes go in pieces a DWORD can count.
constexpr std::size_t kMaxPiece = 1U << 30;

}  // namespace

void FileHandle::reset(NativeFile file) {
    if (file_ != kNoFile) {
        ::CloseHandle(handleOf(file_));
    }
    file_ = file;
}

std::ptrdiff_t readSome(NativeFile file, void* data, std::size_t size) {
    DWORD got = 0;
    if (!::ReadFile(handleOf(file), data, static_cast<DWORD>(std::min(size, kMaxPiece)), &got, nullptr)) {
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

std::ptrdiff_t writeSome(NativeFile file, const void* data, std::size_t size) {
    DWORD done = 0;
    if (!::WriteFile(handleOf(file), data, static_cast<DWORD>(std::min(size, kMaxPiece)), &done, nullptr)) {
        return -1;
    }
    return static_cast<std::ptrdiff_t>(done);
}

OpenedFile openRegularFile(const std::filesystem::path& path, std::size_t maxBytes, Sharing sharing) {
    OpenedFile result;
    // A device name opens the device (NUL, a serial port, the console), which
    // may block or never end: refused before anything is opened.
    if (win32::isDevicePath(path)) {
        result.status = ReadStatus::NotRegular;
        return result;
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        result.status = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME
                            ? ReadStatus::Missing
                            : ReadStatus::Failed;
        return result;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        result.status = ReadStatus::NotRegular;
        return result;
    }
    const DWORD share = sharing == Sharing::DenyWriters ? FILE_SHARE_READ
                                                        : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    FileHandle file(reinterpret_cast<NativeFile>(::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr,
                                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) {
        const DWORD error = ::GetLastError();
        result.status = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadStatus::Missing
                                                                                      : ReadStatus::Failed;
        return result;
    }
    // A pipe or a device that got in after all is not a file on a disk.
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handleOf(file.get())) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(handleOf(file.get()), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        result.status = ReadStatus::NotRegular;
        return result;
    }
    const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes) {
        result.status = ReadStatus::TooLarge;
        return result;
    }
    result.status = ReadStatus::Ok;
    result.size = static_cast<std::size_t>(size);
    result.file = std::move(file);
    return result;
}

bool isRegularFileNoFollow(const std::filesystem::path& path) {
    if (win32::isDevicePath(path)) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::optional<int> localWriteYear(const std::filesystem::path& path) {
    if (win32::isDevicePath(path)) {
        return std::nullopt;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    // The calendar of the file time itself: no 32-bit time_t in the way.
    FILETIME local{};
    SYSTEMTIME calendar{};
    if (!::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !::FileTimeToSystemTime(&local, &calendar)) {
        return std::nullopt;
    }
    return static_cast<int>(calendar.wYear);
}

bool canCreateFilesIn(const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    // The read-only attribute of a folder does not keep files out of it;
    // only the file system's rights do, and they show when the file is made.
    return !ec && std::filesystem::is_directory(dir, ec);
}

RenameResult renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::MoveFileExW(from.c_str(), to.c_str(), 0)) {
        return RenameResult::Done;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? RenameResult::TargetExists
                                                                       : RenameResult::Failed;
}

std::optional<std::tm> localTime(std::time_t moment) {
    std::tm local{};
    if (::localtime_s(&local, &moment) != 0) {
        return std::nullopt;
    }
    return local;
}

}  // namespace mnemora
