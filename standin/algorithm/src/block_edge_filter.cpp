#include "block_edge_filter.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace tervo::fpr {
namespace {

constexpr int kBlock = 8;

// All three follow the step: at the coarse steps of a dry or faint print the block edges are steps of
// several gray levels, at fine ones the filter has nothing to do and stays out (a shift below one).
// Rounding one low coefficient by half a step moves an edge pixel by about a tenth of the step, and
// several add up; the limits were chosen on the FVC prints (see the README).
struct Thresholds {
    int edge;   // a step across the edge this large is taken for a real one
    int side;   // so is any edge with a step this large on either side of it
    int shift;  // largest correction of one pixel
};

// Four pixels across one edge, p1 p0 | q0 q1, `stride` apart. Where both sides are smooth and the step
// between them small, part of the step moves onto the two edge pixels, never more than the
// quantisation could have caused. Ridges cross the edges with steep flanks and keep their shape.
void filterAcross(std::uint8_t* q0, std::ptrdiff_t stride, const Thresholds& t) {
    const int p1 = q0[-2 * stride], p0 = q0[-stride], q = q0[0], q1 = q0[stride];
    if (std::abs(q - p0) >= t.edge || std::abs(p1 - p0) >= t.side || std::abs(q1 - q) >= t.side) return;
    const int delta = std::clamp(((q - p0) * 4 + (p1 - q1) + 4) >> 3, -t.shift, t.shift);
    q0[-stride] = static_cast<std::uint8_t>(std::clamp(p0 + delta, 0, 255));
    q0[0] = static_cast<std::uint8_t>(std::clamp(q - delta, 0, 255));
}

}  // namespace

void smoothBlockEdges(Pixels& pixels, int step) {
    const Thresholds t{3 * step, 3 * step / 2, step / 2};
    if (t.shift <= 0) return;
    std::uint8_t* image = pixels.data();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = kBlock; x < kWidth; x += kBlock) filterAcross(image + y * kWidth + x, 1, t);
    }
    for (int y = kBlock; y < kHeight; y += kBlock) {
        for (int x = 0; x < kWidth; ++x) filterAcross(image + y * kWidth + x, kWidth, t);
    }
}

}  // namespace tervo::fpr
