// The master print of one finger: its complete ridge pattern and pad outline,
// generated once from the finger's identity and then sampled by every
// impression (see impression.h).
#ifndef TERVO_SYNTH_MASTER_PRINT_H
#define TERVO_SYNTH_MASTER_PRINT_H

#include <cstdint>
#include <vector>

#include "orientation_model.h"
#include "plane.h"

namespace tervo::synth {

// Who the finger is: the generator seed and the finger number.
struct FingerIdentity {
    std::uint64_t seed = 0;
    int finger = 1;
};

struct MasterPrint {
    // The canvas is larger than the sensor window so that impressions can be
    // shifted and rotated without running off the pattern.
    // Placement shifts reach 90 px and rotations 40 degrees, so the canvas
    // reaches past the pad: beyond it the skin is simply not there.
    static constexpr int kWidth = 440;
    static constexpr int kHeight = 560;

    FingerIdentity identity;
    PatternClass pattern = PatternClass::Arch;
    double meanRidgePeriod = 9.0;
    double centreX = kWidth / 2.0;
    double centreY = kHeight / 2.0;
    // Ridge field, positive on ridges, about [-1.3, 1.3]; zero off the pad.
    FloatPlane ridges;
    // Pad depth: 1 at the centre, 0 on the outline, negative outside.
    FloatPlane padDepth;
    // Slowly varying moisture of the skin, [-1, 1]: dry patches break ridges.
    FloatPlane skinMoisture;
    // Fine-grained skin texture, [0, 1], lightly correlated: where the skin is
    // dry, ridges break up where the texture is high, the same way each time.
    FloatPlane skinTexture;
};

MasterPrint generateMasterPrint(const FingerIdentity& identity);

}  // namespace tervo::synth

#endif
