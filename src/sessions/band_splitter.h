#pragma once

namespace mnemora {

// The height a band takes while its splitter is dragged: never below the
// splitter's minimum except that reaching the minimum snaps the band shut,
// and never so tall that the question area gets less than that minimum.
// `shared` is the band's height plus the question area's.
constexpr int bandHeightWhileDragging(int requested, int minimum, int shared) {
    if (requested <= minimum) {
        return 0;
    }
    const int most = shared - minimum;
    if (most < minimum) {
        return 0;  // no room for both: the band gives way
    }
    return requested > most ? most : requested;
}

}  // namespace mnemora
