// One impression of a master print: how the finger was put on the sensor
// this time (placement, plastic distortion, contact, pressure, skin
// condition) and the image the sensor sees.
//
// Plastic distortion follows Cappelli, Maio and Maltoni (2001, "Modelling
// plastic distortion in fingerprint images"): a region around the first
// point of contact stays put, the skin far from it follows an extra rotation
// and slip, and a smooth brake blends the two in between. On top of that
// the skin stretches unevenly: a smooth random displacement field, also
// braked, so that no single affine map relates two impressions.
#ifndef TERVO_SYNTH_IMPRESSION_H
#define TERVO_SYNTH_IMPRESSION_H

#include <cstdint>

#include "capture_conditions.h"
#include "master_print.h"
#include "plane.h"

namespace tervo::synth {

struct PlacementPlan {
    double shiftX = 0.0;  // pixels
    double shiftY = 0.0;
    double rotation = 0.0;  // radians
    // Plastic distortion, in master coordinates.
    double contactX = 0.0;
    double contactY = 0.0;
    double firmRadius = 50.0;
    double transitionWidth = 90.0;
    double slipRotation = 0.0;
    double slipX = 0.0;
    double slipY = 0.0;
    // Uneven stretch: amplitude in pixels and the key of its random field.
    double stretchAmplitude = 0.0;
    std::uint64_t stretchKey = 0;
};

struct ContactPlan {
    double pressure = 0.5;            // 0 light touch .. 1 hard press
    double moisture = 0.0;            // -1 dry .. 1 wet, added to the finger's own moisture map
    double moisturePatchiness = 0.0;  // amplitude of this impression's own wet and dry patches
    double tiltX = 0.0;               // finger rolled sideways: contact level change per 100 pixels
    double tiltY = 0.0;
    // Dry skin breaks ridges where the skin texture is high; this impression
    // reads the texture a second time at this offset, so its breaks are partly its own.
    double textureOffsetX = 0.0;
    double textureOffsetY = 0.0;
    double noiseDeviation = 6.0;  // gray levels
    double background = 235.0;
    double ridgeGray = 60.0;
};

struct ImpressionPlan {
    FingerIdentity identity;
    int impression = 1;
    Difficulty difficulty = Difficulty::Typical;
    PlacementPlan placement;
    ContactPlan contact;
};

// Impression numbers count from 1; the plan depends only on the identity, the number and the difficulty.
ImpressionPlan planImpression(const FingerIdentity& identity, int impression,
                              Difficulty difficulty = Difficulty::Typical);

struct MasterPoint {
    double x;
    double y;
};

// Where sensor pixel (x, y) looks on the master print.
MasterPoint sensorToMaster(const ImpressionPlan& plan, const MasterPrint& master, double x, double y);

// The sensor image: kSensorWidth x kSensorHeight, top row first, dark ridges on a light background.
GrayImage renderImpression(const MasterPrint& master, const ImpressionPlan& plan);

}  // namespace tervo::synth

#endif
