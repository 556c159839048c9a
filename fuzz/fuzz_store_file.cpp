// The store file lives in the user's folder and may be edited by hand: any
// bytes must parse or be refused, and what parses must survive a rewrite.
// The index that loading reads through must accept the same texts and
// answer every value as the full reading has it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/file_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = mnemora::parseStoreFile(text);
    const auto index = mnemora::StoreIndex::parse(std::string(text));
    if (index.has_value() != parsed.has_value()) {
        std::abort();
    }
    if (!parsed) {
        return 0;
    }
    for (const auto& key : parsed->keys) {
        const auto sections = index->sectionsOf(key.path);
        for (const auto& value : key.values) {
            if (index->query(sections, value.name) != value.value) {
                std::abort();
            }
        }
    }
    const auto again = mnemora::parseStoreFile(mnemora::serializeStoreFile(*parsed));
    if (!again || !(*again == *parsed)) {
        std::abort();  // a rewrite would change what the user had
    }
    return 0;
}
