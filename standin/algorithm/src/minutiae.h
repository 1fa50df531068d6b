// Minutiae (ridge endings and bifurcations) found on the ridge skeleton, with false-minutia removal.
#ifndef TERVO_FPR_MINUTIAE_H
#define TERVO_FPR_MINUTIAE_H

#include <cstdint>
#include <vector>

#include "ridge_fields.h"

namespace tervo::fpr {

enum class MinutiaType : std::uint8_t { Ending = 0, Bifurcation = 1 };

struct Minutia {
    int x = 0;
    int y = 0;
    float angle = 0.0F;  // radians in [0, 2 pi): endings point into their ridge, bifurcations between forks
    MinutiaType type = MinutiaType::Ending;
    std::uint8_t reliability = 0;  // 0..100
};

// Finds minutiae on a thinned ridge map (width kWidth, height kHeight, 0/1). Drops those near the
// foreground border, in blocks of uncertain orientation, on short spurs, bridges and ridge breaks.
// Returns them most reliable first.
std::vector<Minutia> detectMinutiae(const std::vector<std::uint8_t>& skeleton, const RidgeFields& fields);

}  // namespace tervo::fpr

#endif
