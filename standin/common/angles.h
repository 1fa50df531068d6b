// Pi and the angles made from it, as the nearest double and, for code that
// works in single precision, the nearest float. The scanner's images must come
// out bit for bit the same everywhere, so these values never change.
#ifndef TERVO_STANDIN_ANGLES_H
#define TERVO_STANDIN_ANGLES_H

namespace tervo {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = kPi / 2;
constexpr double kTwoPi = 2 * kPi;
constexpr double kDegree = kPi / 180;  // one degree in radians

constexpr float kPiF = static_cast<float>(kPi);
constexpr float kTwoPiF = static_cast<float>(kTwoPi);

}  // namespace tervo

#endif
