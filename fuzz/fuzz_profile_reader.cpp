// The data file comes from the user: no bytes may crash or hang the reader or
// the checker, and the reader's ways of answering must agree: the scan for
// one key, the one-pass index of a section, and the checker's counts.
//
// Inputs go up to 1 MiB (fuzz_profile_reader.options; libFuzzer's default of
// 4 KiB is too small for values past the 2047 cut or files of many keys),
// and an input whose first byte is 0xFF is repeated up to 64 KiB (ten times
// the sample), so that cost that grows faster than the file shows up as a
// timeout. Only that one byte value, and no larger, so that the slow runs
// stay a small share.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1251.h"
#include "sessions/data_file_check.h"
#include "sessions/ini_file.h"

namespace {

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "readers disagree: %s\n", what);
        std::abort();
    }
}

// The bytes as a file, read back through the same file layer Mnemora uses.
mnemora::IniSnapshot throughFile(const std::string& bytes) {
    static const int fd = ::memfd_create("mnemora-fuzz-data", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        return mnemora::IniSnapshot(bytes);
    }
    return mnemora::IniSnapshot::readFile("/proc/self/fd/" + std::to_string(fd));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mnemora;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size > 1 && data[0] == 0xFF) {
        const std::string unit = bytes.substr(1);
        bytes.clear();
        while (bytes.size() < (std::size_t{64} << 10)) {
            bytes += unit;
        }
    }
    const IniSnapshot file = throughFile(bytes);
    require(file.status() == ReadStatus::Ok && bytes.ends_with(file.text()), "file layer");
    require(file.encoding() == detectDataEncoding(bytes), "encoding");
    bool decodes = true;
    for (std::size_t pos = 0; decodes && pos < bytes.size();) {
        decodes = decodeUtf8(bytes, pos).has_value();
    }
    require(isValidUtf8(bytes) == decodes, "UTF-8 check and decoder");

    // One index a section, each compared with the scan for single keys.
    static constexpr std::string_view kSections[] = {"Disk", "List1", "list30", "Диск"};
    static constexpr std::string_view kKeys[] = {"0", "1", "12", "ключ"};
    std::vector<IniSection> sections;
    for (auto section : kSections) {
        sections.push_back(file.section(section));
        for (auto key : kKeys) {
            const auto v = file.value(section, key);
            require(sections.back().value(key) == v, "section index and scan");
            // Each character of the file is one code point of the answer.
            require(!v || profileCharCount(*v, DataEncoding::Utf8) <= kMaxValueChars, "2047 cut");
        }
    }
    // Names taken from the input itself reach the matching paths too.
    if (size >= 2) {
        const std::string_view text = file.text();
        const std::size_t cut = data[0] % (text.size() + 1);
        const std::size_t keyLen = data[1] % (text.size() - cut + 1);
        const std::string section = file.toUtf8(text.substr(cut, keyLen));
        const std::string key = file.toUtf8(text.substr(0, keyLen));
        require(file.section(section).value(key) == file.value(section, key), "input names");
    }

    // The checker counts what a session reads.
    const DataFileReport report = checkDataFile(file);
    require(report.exitStatus() >= 0 && report.exitStatus() <= 2, "exit status");
    std::uint64_t perceptions = 0;
    while (!sections[0].value(std::to_string(perceptions)).value_or("").empty()) {
        ++perceptions;
    }
    require(report.perceptions == perceptions, "perception count");
    for (const auto& [list, s] : {std::pair{1, &sections[1]}, std::pair{30, &sections[2]}}) {
        std::uint64_t questions = 0;
        while (!s->value(std::to_string(questions + 1)).value_or("").empty()) {
            ++questions;
        }
        require(report.questions[static_cast<std::size_t>(list)] == questions, "question count");
    }
    for (const Finding& f : report.findings) {
        require(f.text.find('\n') == std::string::npos && f.text.find('\r') == std::string::npos,
                "one finding a line");
    }
    return 0;
}
