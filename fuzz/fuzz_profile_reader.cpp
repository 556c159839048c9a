// The data file comes from the user: no bytes may crash or hang the reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sessions/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static constexpr std::string_view kSections[] = {"Disk", "List1", "list30", "\xC4\xE8\xF1\xEA"};
    static constexpr std::string_view kKeys[] = {"0", "1", "12", ""};
    for (auto section : kSections) {
        for (auto key : kKeys) {
            (void)mnemora::findProfileValue(bytes, section, key);
        }
    }
    // Names taken from the input itself reach the matching paths too.
    if (size >= 2) {
        const std::size_t cut = data[0] % size;
        const std::size_t keyLen = data[1] % (size - cut + 1);
        (void)mnemora::findProfileValue(bytes, bytes.substr(cut, keyLen), bytes.substr(0, keyLen));
    }
    return 0;
}
