#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/file_read.h"

namespace mnemora {

// How one read of a data file decodes its bytes. The choice is made once per
// read, from the whole file, and holds for every line of it.
enum class DataEncoding {
    Windows1251,  // every file that is neither of the two below, byte for byte
    Utf8,         // valid UTF-8 that holds at least one multi-byte sequence
    Utf8Bom,      // begins with the UTF-8 byte-order mark, which is skipped
};

// A Windows-1251 Russian text is practically never valid UTF-8: every lower
// case letter (0xE0-0xFF) would have to be followed by two bytes from
// 0x80-0xBF, which are punctuation and rare letters there. ASCII-only files
// read the same either way and stay Windows-1251.
DataEncoding detectDataEncoding(std::string_view bytes);

// Strict UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool isValidUtf8(std::string_view bytes, bool* hasMultiByte = nullptr);

// The largest data file read. Real files are tens of kilobytes; one of a
// hundred thousand perceptions is 1.4 MB, and 64 MiB holds thirty lists of a
// thousand questions each at the longest length a value keeps. A larger file
// reads as one that cannot be opened, so that no file can exhaust memory.
inline constexpr std::size_t kMaxDataFileBytes = std::size_t{64} << 20;

// The platform's reader fills a buffer of 2048 including the terminator.
inline constexpr std::size_t kMaxValueChars = 2047;

// One line of a profile, classified as the reader sees it.
struct ProfileLine {
    enum class Kind { Blank, Section, Key, Other };
    Kind kind = Kind::Blank;
    std::size_t number = 0;      // counted from 1; a line ends at CR, LF or CR LF
    std::string_view text;       // the line, blanks and control whitespace trimmed
    std::string_view name;       // a section's name, trimmed, or a key's name, right-trimmed
    std::string_view rawValue;   // of a key: what follows its first "=", not yet finished
};

// Walks the lines of a profile's text (the byte-order mark already skipped).
class ProfileLineReader {
public:
    explicit ProfileLineReader(std::string_view text) : text_(text) {}
    bool next(ProfileLine& line);

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
    std::size_t nextCr_ = 0;  // the next line ends, once primed
    std::size_t nextLf_ = 0;
    bool primed_ = false;
};

// A key's value as the reader gives it: up to a NUL byte, blanks trimmed at
// both ends, one pair of matching quotes removed, cut to its first 2047
// characters without splitting one.
std::string_view finishProfileValue(std::string_view raw, DataEncoding encoding);

// Characters in a text of the file's encoding; in UTF-8 a byte that starts no
// valid sequence counts as one (it shows as U+FFFD).
std::size_t profileCharCount(std::string_view text, DataEncoding encoding);

// Section and key names match without regard to the case of Latin and
// Cyrillic letters, in either encoding alike.
bool profileNamesEqual(std::string_view a, std::string_view b, DataEncoding encoding);
std::string foldProfileName(std::string_view name, DataEncoding encoding);

// The value of `key` in the first section named `section` of a profile's text,
// or nothing when the section or key is missing. Names and result are in the
// text's encoding; the result is finished as above. Allocation-free and
// linear in the text, so that one large file is scanned once. `brackets`,
// where known, are the offsets of every "[" in the text, in order.
std::optional<std::string_view> findProfileValue(std::string_view text, std::string_view section,
                                                 std::string_view key,
                                                 DataEncoding encoding = DataEncoding::Windows1251,
                                                 const std::vector<std::uint32_t>* brackets = nullptr);

class IniSection;

// One read of a data file: its bytes as they were at that moment and the
// encoding chosen for them. Every lookup answers from this one copy, so an
// operation that needs many keys costs one read of the file.
class IniSnapshot {
public:
    IniSnapshot() = default;  // a file that could not be read: every lookup finds nothing
    explicit IniSnapshot(std::string bytes);
    // Reads only a regular file of at most kMaxDataFileBytes, without blocking.
    static IniSnapshot readFile(const std::string& path);

    [[nodiscard]] ReadStatus status() const { return status_; }
    [[nodiscard]] DataEncoding encoding() const { return encoding_; }
    // The text after any byte-order mark.
    [[nodiscard]] std::string_view text() const;

    // UTF-8 names in, the UTF-8 value out; nothing when the file, the section
    // or the key is missing.
    [[nodiscard]] std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Every key of the first section of that name, gathered in one pass.
    [[nodiscard]] IniSection section(std::string_view name) const;

    // Text of the file's encoding as UTF-8; in a UTF-8 file, bytes that are
    // not UTF-8 become U+FFFD.
    [[nodiscard]] std::string toUtf8(std::string_view inFile) const;
    // A UTF-8 name in the file's encoding, or nothing when it has no form there.
    [[nodiscard]] std::optional<std::string> fromUtf8(std::string_view utf8) const;

private:
    IniSnapshot(std::string bytes, DataEncoding encoding, bool encodingKnown);

    ReadStatus status_ = ReadStatus::Missing;
    DataEncoding encoding_ = DataEncoding::Windows1251;
    std::shared_ptr<const std::string> bytes_;
    std::size_t bodyOffset_ = 0;
    std::shared_ptr<const std::vector<std::uint32_t>> brackets_;  // every "[" of text(), where noted
};

// The keys of one section, the first key of a name winning, as the reader
// finds them. It shares the snapshot's bytes, so it may outlive it.
class IniSection {
public:
    bool exists() const { return exists_; }
    std::optional<std::string> value(std::string_view key) const;
    std::size_t size() const { return size_; }  // keys of distinct names

private:
    friend class IniSnapshot;
    std::optional<std::string_view> find(std::string_view key) const;

    IniSnapshot file_;
    bool exists_ = false;
    std::size_t size_ = 0;
    // Keys written as plain numbers below the number of keys, by number: the
    // runs "0", "1", "2"... that sessions read, without hashing each one.
    std::vector<std::optional<std::string_view>> byNumber_;
    std::unordered_map<std::string, std::string_view> keys_;  // every other key, by folded name
};

// Reader of the data file. It keeps only the path and reads the file afresh
// on every call, so an edit shows at the next read.
class TIniFile {
public:
    explicit TIniFile(std::string path) : path_(std::move(path)) {}

    // UTF-8 in and out. Never throws: a missing file, section or key gives
    // the default with its trailing spaces removed.
    [[nodiscard]] std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view defaultValue) const;

    // One read of the file for an operation that asks for many keys at once.
    [[nodiscard]] IniSnapshot Read() const { return IniSnapshot::readFile(path_); }

    [[nodiscard]] const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace mnemora
