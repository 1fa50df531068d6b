// Geometry of the virtual sensor: a 500 ppi optical window of 256 x 360 pixels.
#ifndef TERVO_SYNTH_SENSOR_GEOMETRY_H
#define TERVO_SYNTH_SENSOR_GEOMETRY_H

namespace tervo::synth {

constexpr int kSensorWidth = 256;
constexpr int kSensorHeight = 360;
constexpr int kSensorPixels = kSensorWidth * kSensorHeight;  // 92160 bytes per raw image

}  // namespace tervo::synth

#endif
