#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mnemora {

// The value of `key1251` in the first section named `section1251` of a
// profile file's raw bytes, or nothing when the section or key is missing.
// Names and result are Windows-1251 bytes; the result is already trimmed,
// unquoted and cut to 2047 bytes. Pure and allocation-light so that a large
// file is scanned once.
std::optional<std::string> findProfileValue(std::string_view fileBytes, std::string_view section1251,
                                            std::string_view key1251);

// Reader of the data file. It keeps only the path and reads the file afresh
// on every call, so an edit shows at the next read.
class TIniFile {
public:
    explicit TIniFile(std::string path) : path_(std::move(path)) {}

    // UTF-8 in and out. Never throws: a missing file, section or key gives
    // the default with its trailing spaces removed.
    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view defaultValue) const;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace mnemora
