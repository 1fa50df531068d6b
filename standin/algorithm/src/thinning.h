// One-pixel-wide skeleton of a binary ridge map (Zhang and Suen 1984).
#ifndef TERVO_FPR_THINNING_H
#define TERVO_FPR_THINNING_H

#include <cstdint>
#include <vector>

namespace tervo::fpr {

// Thins a width x height map of 0/1 values in place. Pixels on the outer frame are cleared first so the
// neighbourhood reads never leave the map.
void thin(std::vector<std::uint8_t>& map, int width, int height);

}  // namespace tervo::fpr

#endif
