#include "coarse_field.h"

namespace tervo::synth {

CoarseField::CoarseField(const SmoothField& field, int width, int height)
    : grid_(width / kStep + 3, height / kStep + 3) {
    for (int j = 0; j < grid_.height; ++j)
        for (int i = 0; i < grid_.width; ++i)
            grid_.at(i, j) =
                static_cast<float>(field.at(static_cast<double>(i) * kStep, static_cast<double>(j) * kStep));
}

}  // namespace tervo::synth
