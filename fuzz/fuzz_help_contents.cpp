// The table of contents comes out of whatever help file there is: no bytes
// may crash its parser or make it recurse, and the tree it gives keeps to
// its bounds (entries, depth, title length) and always has a parent for
// every entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "help/help_limits.h"
#include "help/help_text.h"

namespace {

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = mnemora::parseContents(bytes);
    check(entries.size() <= mnemora::kMaxContentsEntries);
    int previous = -1;
    for (const mnemora::ContentsEntry& entry : entries) {
        check(entry.depth >= 0 && entry.depth <= mnemora::kMaxContentsDepth);
        check(entry.depth <= previous + 1);
        check(!entry.name.empty() || !entry.local.empty());
        check(entry.name.size() <= mnemora::kMaxContentsNameBytes);
        previous = entry.depth;
    }
    (void)mnemora::decodeEntities(bytes);
    return 0;
}
