// How hard the capture conditions are: the ranges from which every
// impression draws its placement, distortion, contact and skin condition.
// The fingers themselves (master prints) are the same at every difficulty.
#ifndef TERVO_SYNTH_CAPTURE_CONDITIONS_H
#define TERVO_SYNTH_CAPTURE_CONDITIONS_H

#include <optional>
#include <string>

namespace tervo::synth {

enum class Difficulty { Easy, Typical, Hard };

// "easy", "typical", "hard".
const char* difficultyName(Difficulty difficulty);
std::optional<Difficulty> parseDifficulty(const std::string& text);

struct CaptureConditions {
    // Placement: normal deviation and hard limit of the shift (pixels) and rotation (degrees).
    double shiftDeviation;
    double shiftLimit;
    double rotationDeviation;
    double rotationLimit;
    // Share of careless placements: two and a half times the spread, sliding as they press.
    double carelessShare;
    // Plastic distortion beyond the firm contact region: extra rotation (degrees), slip (pixels),
    // and the amplitude (pixels) of the smooth, non-uniform part of the skin's stretch.
    double slipRotationDeviation;
    double slipDeviation;
    double stretchAmplitude;
    // Pressure is drawn uniformly in [lowest, highest]; 0 light touch .. 1 hard press.
    double lowestPressure;
    double highestPressure;
    // Skin moisture of this impression: deviation and limit of its offset, amplitude of its
    // patchy variation over the finger; -1 dry .. 1 wet.
    double moistureDeviation;
    double moistureLimit;
    double moisturePatchiness;
    // Finger rolled sideways or tipped: contact level change per 100 pixels.
    double tiltDeviation;
    // Sensor noise deviation range, gray levels.
    double lowestNoise;
    double highestNoise;
};

const CaptureConditions& captureConditions(Difficulty difficulty);

}  // namespace tervo::synth

#endif
