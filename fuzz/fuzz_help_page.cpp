// Each help page goes through the page decoder before the text view sees
// it: no bytes may crash it, and what it lets through keeps to the bounds
// the view's layout is safe within (size, tags, nesting). The input is one
// page.
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
    const mnemora::PreparedPage page = mnemora::preparePage(bytes);
    if (page.refusal == mnemora::PageRefusal::None) {
        check(size <= mnemora::kMaxPageBytes);
        // Decoding widens each byte to at most three (Windows-1251 to UTF-8).
        check(page.html.size() <= 3 * size);
    } else {
        check(page.html.empty());
    }
    (void)mnemora::declaredCharset(bytes);
    return 0;
}
