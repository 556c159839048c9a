#pragma once

// Writes small help archives byte by byte, with only the uncompressed
// section, so that a test can give the reader exactly the damaged or hostile
// directory it wants: lengths past the end, objects deep in the compressed
// stream, directories of any size.

#include <cstdint>
#include <string>
#include <vector>

namespace mnemora::test {

struct ChmEntry {
    std::string name;
    std::uint32_t section = 0;  // 0 uncompressed, 1 compressed
    std::uint64_t offset = 0;   // into the section
    std::uint64_t length = 0;
};

struct ChmLayout {
    std::vector<ChmEntry> entries;  // all in the first listing chunk
    std::string content;            // the uncompressed section
    std::uint32_t chunks = 1;       // listing chunks; the others are empty
    bool chunksInACircle = false;   // the last chunk names the first as next
    bool namesOnlyTheLastChunk = false;  // the directory header says first = last

    // An object in the uncompressed section with these bytes.
    void add(const std::string& name, const std::string& bytes) {
        entries.push_back({name, 0, content.size(), bytes.size()});
        content += bytes;
    }
};

namespace chm_detail {

inline void put32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

inline void put64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

// 7 bits a byte, most significant first, the top bit set on all but the last.
inline void putEncInt(std::string& out, std::uint64_t v) {
    std::string bytes(1, static_cast<char>(v & 0x7F));
    while ((v >>= 7) != 0) {
        bytes.insert(bytes.begin(), static_cast<char>(0x80 | (v & 0x7F)));
    }
    out += bytes;
}

inline void putGuid(std::string& out, std::uint32_t first) {
    // {xxxxxxxx-7BAA-11D0-9E0C-00A0C922E6EC}
    put32(out, first);
    const unsigned char rest[] = {0xAA, 0x7B, 0xD0, 0x11, 0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
    out.append(reinterpret_cast<const char*>(rest), sizeof rest);
}

}  // namespace chm_detail

inline std::string writeChm(const ChmLayout& layout) {
    using namespace chm_detail;
    constexpr std::uint32_t kChunk = 4096;
    constexpr std::uint64_t kHeader = 0x60, kSection0 = 0x18, kListingHeader = 0x54;
    const std::uint64_t listingAt = kHeader + kSection0;
    const std::uint64_t chunksAt = listingAt + kListingHeader;
    const std::uint64_t contentAt = chunksAt + std::uint64_t{kChunk} * layout.chunks;
    const std::uint64_t total = contentAt + layout.content.size();

    std::string out = "ITSF";
    put32(out, 3);
    put32(out, static_cast<std::uint32_t>(kHeader));
    put32(out, 1);
    put32(out, 0);       // time stamp
    put32(out, 0x419);   // language
    putGuid(out, 0x7C01FD10);
    putGuid(out, 0x7C01FD11);
    put64(out, kHeader);
    put64(out, kSection0);
    put64(out, listingAt);
    put64(out, kListingHeader + std::uint64_t{kChunk} * layout.chunks);
    put64(out, contentAt);

    put32(out, 0x1FE);
    put32(out, 0);
    put64(out, total);
    put32(out, 0);
    put32(out, 0);

    out += "ITSP";
    put32(out, 1);
    put32(out, static_cast<std::uint32_t>(kListingHeader));
    put32(out, 0x0A);
    put32(out, kChunk);
    put32(out, 2);           // density
    put32(out, 1);           // depth: listing chunks only
    put32(out, 0xFFFFFFFF);  // no index chunk
    put32(out, layout.namesOnlyTheLastChunk ? layout.chunks - 1 : 0);  // first listing chunk
    put32(out, layout.chunks - 1);
    put32(out, 0xFFFFFFFF);
    put32(out, layout.chunks);
    put32(out, 0x419);
    putGuid(out, 0x5D02926A);  // any GUID: the reader does not look at it
    put32(out, static_cast<std::uint32_t>(kListingHeader));
    put32(out, 0xFFFFFFFF);
    put32(out, 0xFFFFFFFF);
    put32(out, 0xFFFFFFFF);

    for (std::uint32_t c = 0; c < layout.chunks; ++c) {
        std::string chunk = "PMGL";
        std::string entries;
        if (c == 0) {
            for (const ChmEntry& e : layout.entries) {
                putEncInt(entries, e.name.size());
                entries += e.name;
                putEncInt(entries, e.section);
                putEncInt(entries, e.offset);
                putEncInt(entries, e.length);
            }
        }
        put32(chunk, 2);  // the quick-reference area: just the entry count
        put32(chunk, 0);
        put32(chunk, c == 0 ? 0xFFFFFFFF : c - 1);
        put32(chunk, c + 1 < layout.chunks ? c + 1 : layout.chunksInACircle ? 0 : 0xFFFFFFFF);
        chunk += entries;
        chunk.resize(kChunk - 2, '\0');
        const auto count = static_cast<std::uint16_t>(c == 0 ? layout.entries.size() : 0);
        chunk.push_back(static_cast<char>(count & 0xFF));
        chunk.push_back(static_cast<char>(count >> 8));
        out += chunk;
    }
    out += layout.content;
    return out;
}

}  // namespace mnemora::test
