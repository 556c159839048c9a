#pragma once

#include <cstdint>

namespace mnemora {

// The program's one random generator. It starts at 0 and is never seeded, so
// the same choices after a program start always bring the same perceptions.
class RandomGenerator {
public:
    std::uint32_t RandSeed = 0;

    // A number from 0 to n - 1 (0 when n is 0 or 1).
    std::uint32_t Random(std::uint32_t n) {
        RandSeed = RandSeed * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(RandSeed) * n) >> 32);
    }
};

}  // namespace mnemora
