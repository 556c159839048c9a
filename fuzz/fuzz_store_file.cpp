// The store file lives in the user's folder and may be edited by hand: any
// bytes must parse or be refused, and what parses must survive a rewrite.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/file_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = mnemora::parseStoreFile(text);
    if (!parsed) {
        return 0;
    }
    const auto again = mnemora::parseStoreFile(mnemora::serializeStoreFile(*parsed));
    if (!again || !(*again == *parsed)) {
        std::abort();  // a rewrite would change what the user had
    }
    return 0;
}
