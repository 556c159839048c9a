#pragma once

#include <optional>
#include <string>

namespace mnemora {

// What the help compiler gets wrong in the headers of the file it writes,
// and that stock readers trip on: the second header GUID repeats the first,
// and the directory header names the last listing chunk as the first, so a
// reader that walks the listing from there finds only that chunk's entries.
struct ChmHeaderMend {
    bool secondGuid = false;
    bool firstListingChunk = false;
};

// Mends those two fields of a compiled help file in place; everything else
// is left as it is. Nothing when the bytes are not such a file, or its
// listing chunks do not chain from one first chunk.
std::optional<ChmHeaderMend> mendChmHeaders(std::string& bytes);

}  // namespace mnemora
