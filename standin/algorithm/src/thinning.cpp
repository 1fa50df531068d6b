#include "thinning.h"

#include <array>

namespace tervo::fpr {
namespace {

// Neighbour bit k (0..7) is P2..P9 of the classic formulation: N, NE, E, SE, S, SW, W, NW.
constexpr int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

// For each of the 256 neighbourhoods, whether the centre may be removed in the first (bit 0) or the
// second (bit 1) sub-iteration.
std::array<std::uint8_t, 256> makeDeletionTable() {
    std::array<std::uint8_t, 256> table{};
    for (int code = 0; code < 256; ++code) {
        auto p = [code](int k) { return (code >> k) & 1; };
        int neighbours = 0, transitions = 0;
        for (int k = 0; k < 8; ++k) {
            neighbours += p(k);
            transitions += (!p(k) && p((k + 1) % 8)) ? 1 : 0;
        }
        if (neighbours < 2 || neighbours > 6 || transitions != 1) continue;
        const int n = p(0), e = p(2), s = p(4), w = p(6);
        if (n * e * s == 0 && e * s * w == 0) table[code] |= 1;
        if (n * e * w == 0 && n * s * w == 0) table[code] |= 2;
    }
    return table;
}

}  // namespace

void thin(std::vector<std::uint8_t>& map, int width, int height) {
    static const std::array<std::uint8_t, 256> table = makeDeletionTable();
    for (int x = 0; x < width; ++x) map[x] = map[(height - 1) * width + x] = 0;
    for (int y = 0; y < height; ++y) map[y * width] = map[y * width + width - 1] = 0;
    int offsets[8];
    for (int k = 0; k < 8; ++k) offsets[k] = kDy[k] * width + kDx[k];
    // Only set pixels can change, so each pass walks the list of those still set. A pixel judged
    // twice, once in each sub-iteration, with the same neighbourhood, is judged the same from then on:
    // it is only looked at again when a neighbour was removed in one of the two passes before.
    std::vector<int> live, doomed;
    for (int i = 0; i < width * height; ++i) {
        if (map[i]) live.push_back(i);
    }
    std::vector<int> lastNearbyRemoval(static_cast<std::size_t>(width) * height, -1);
    bool changed = true;
    for (int passNumber = 0; changed; passNumber += 2) {
        changed = false;
        for (int pass = 0; pass < 2; ++pass) {
            const int now = passNumber + pass;
            doomed.clear();
            for (int i : live) {
                if (now >= 2 && lastNearbyRemoval[i] < now - 2) continue;
                int code = 0;
                for (int k = 0; k < 8; ++k) code |= map[i + offsets[k]] << k;
                if (table[code] & (1 << pass)) doomed.push_back(i);
            }
            if (doomed.empty()) continue;
            changed = true;
            for (int i : doomed) {
                map[i] = 0;
                for (int k = 0; k < 8; ++k) lastNearbyRemoval[i + offsets[k]] = now;
            }
            std::size_t kept = 0;
            for (int i : live) {
                if (map[i]) live[kept++] = i;
            }
            live.resize(kept);
        }
    }
}

}  // namespace tervo::fpr
