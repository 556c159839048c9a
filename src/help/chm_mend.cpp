#include "help/chm_mend.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace mnemora {

namespace {

constexpr std::size_t kSecondGuidAt = 40;
constexpr std::size_t kSectionTableAt = 56;
// {7C01FD11-7BAA-11D0-9E0C-00A0C922E6EC} as stored: the first three fields little-endian.
constexpr std::array<unsigned char, 16> kSecondGuid = {
    0x11, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11, 0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
// In the directory header.
constexpr std::size_t kHeaderLengthAt = 8;
constexpr std::size_t kChunkSizeAt = 16;
constexpr std::size_t kFirstListingAt = 32;
constexpr std::size_t kChunkCountAt = 44;
// In a listing chunk.
constexpr std::size_t kPreviousChunkAt = 12;

std::optional<std::uint64_t> readLe(const std::string& bytes, std::size_t at, std::size_t size) {
    if (at > bytes.size() || bytes.size() - at < size) {
        return std::nullopt;
    }
    std::uint64_t v = 0;
    for (std::size_t i = size; i-- > 0;) {
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return v;
}

void writeLe32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

bool hasTag(const std::string& bytes, std::uint64_t at, const char* tag) {
    return at <= bytes.size() && bytes.size() - at >= 4 && bytes.compare(at, 4, tag) == 0;
}

}  // namespace

std::optional<ChmHeaderMend> mendChmHeaders(std::string& bytes) {
    const auto directoryAt = readLe(bytes, kSectionTableAt + 16, 8);  // the second section's offset
    if (!hasTag(bytes, 0, "ITSF") || !directoryAt || !hasTag(bytes, *directoryAt, "ITSP")) {
        return std::nullopt;
    }
    const std::uint64_t dir = *directoryAt;
    const auto headerLength = readLe(bytes, dir + kHeaderLengthAt, 4);
    const auto chunkSize = readLe(bytes, dir + kChunkSizeAt, 4);
    const auto chunkCount = readLe(bytes, dir + kChunkCountAt, 4);
    const auto named = readLe(bytes, dir + kFirstListingAt, 4);
    if (!headerLength || !chunkSize || !chunkCount || !named || *chunkSize < 20) {
        return std::nullopt;
    }
    // The first listing chunk is the one with no chunk before it.
    std::optional<std::uint32_t> first;
    for (std::uint64_t i = 0; i < *chunkCount; ++i) {
        const std::uint64_t at = dir + *headerLength + i * *chunkSize;
        if (at > bytes.size()) {
            return std::nullopt;
        }
        if (hasTag(bytes, at, "PMGL") && readLe(bytes, at + kPreviousChunkAt, 4) == 0xFFFFFFFFu) {
            if (first) {
                return std::nullopt;  // two chains: nothing to put right with confidence
            }
            first = static_cast<std::uint32_t>(i);
        }
    }
    if (!first) {
        return std::nullopt;
    }
    ChmHeaderMend mend;
    if (bytes.size() < kSecondGuidAt + kSecondGuid.size()) {
        return std::nullopt;
    }
    if (std::memcmp(bytes.data() + kSecondGuidAt, kSecondGuid.data(), kSecondGuid.size()) != 0) {
        std::memcpy(bytes.data() + kSecondGuidAt, kSecondGuid.data(), kSecondGuid.size());
        mend.secondGuid = true;
    }
    if (*named != *first) {
        writeLe32(bytes, static_cast<std::size_t>(dir + kFirstListingAt), *first);
        mend.firstListingChunk = true;
    }
    return mend;
}

}  // namespace mnemora
