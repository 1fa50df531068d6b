// The inner loop of the descriptor stage: the bits one descriptor shares with every anchor descriptor
// of the other template, and which of those anchors beat the weakest Dice coefficient still kept.
// Several kernels give the same counts; the fastest one the processor has is chosen once, at start.
#ifndef TERVO_FPR_ANCHOR_COUNTS_H
#define TERVO_FPR_ANCHOR_COUNTS_H

#include <array>
#include <cstdint>

#include "local_structures.h"

namespace tervo::fpr {

using AnchorCounts = std::array<std::uint64_t, kAnchorMinutiae>;

// The weakest Dice coefficient 2 common / total still kept, as its two integers, so that it is compared
// exactly.
struct DiceFloor {
    std::uint64_t common = 0, total = 1;
};

// Bits d (of `bits` set bits) shares with each anchor of b, into `common`, and the set of anchors whose
// Dice coefficient with it beats the floor (which also means sharing a bit). Anchors past b's count
// share no bit, so they never beat it whatever their stale bit count.
std::uint64_t anchorsAboveFloor(const Descriptor& d, std::uint64_t bits, const PreparedTemplate& b,
                                DiceFloor floor, AnchorCounts& common);

enum class CountKernel {
    Portable,  // plain population counts
    Avx2,      // nibble look-ups, four anchors per instruction
    Avx512,    // vector population counts, eight anchors per instruction
    Neon,      // byte population counts, two anchors per instruction; what the boards run
};

// Whether this processor can run the kernel.
bool countKernelAvailable(CountKernel kernel);

// The kernel in use.
CountKernel activeCountKernel();

// For tests and benchmarks that compare the kernels: every later call uses this one. False, and no
// change, when the processor cannot run it.
bool useCountKernel(CountKernel kernel);

}  // namespace tervo::fpr

#endif
