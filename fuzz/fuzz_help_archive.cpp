// Whatever file lies where the help should be is opened by the help viewer:
// no bytes may crash the archive reader (libmspack underneath), hang it, or
// make it take more than the stated bounds. The input is the whole file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/error.h"
#include "help/chm_archive_chm.h"
#include "help/help_limits.h"

namespace {

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const mnemora::ChmArchive archive = mnemora::ChmArchive::fromBytes(std::move(bytes), "fuzz.chm");
        const auto files = archive.files();
        // A page budget's worth of reads, as one page with its pictures would do.
        std::size_t reads = 0;
        for (const std::string& path : files) {
            check(!path.empty() && path.front() == '/' && path.back() != '/');
            check(archive.resolve(upper(path)).has_value());
            if (reads++ < 32) {
                if (const auto object = archive.read(path, mnemora::kMaxPageBytes)) {
                    check(object->size() <= mnemora::kMaxPageBytes);
                }
            }
        }
        (void)archive.contentsFile();
        for (std::int32_t context : {0, 1000, 2170, 4020, 5240, -1}) {
            if (const auto topic = archive.lookupTopic(context)) {
                check(archive.contains(topic->path));
            }
        }
        check(!archive.read("/" + std::string(5000, 'a')).has_value());
    } catch (const mnemora::FileError&) {
        // Not a help file: the viewer says so and goes on.
    }
    return 0;
}
