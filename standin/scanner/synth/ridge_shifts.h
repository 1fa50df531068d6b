// Ridge shifts: a ridge ends and its neighbour forks right beside it, facing
// the other way. Real prints carry many of them; grown patterns few, because
// the growth's filtering heals a dislocation pair this close. They are
// painted into the finished pattern as a pair of opposite phase dislocations.
#ifndef TERVO_SYNTH_RIDGE_SHIFTS_H
#define TERVO_SYNTH_RIDGE_SHIFTS_H

#include <functional>

#include "orientation_model.h"
#include "plane.h"
#include "random_stream.h"

namespace tervo::synth {

// How many shifts a finger carries and how their two dislocations lie, in
// ridge periods. The defaults give prints as many close ending-bifurcation
// pairs facing opposite ways as real ones (about 30 per 1000 minutiae), at
// the real pairs' spacing: about one period across the ridges and up to one
// along them.
struct RidgeShiftPlan {
    int lowestCount = 2;
    int highestCount = 8;
    double lowestAcross = 0.9;
    double highestAcross = 1.2;
    double largestAlong = 1.2;
};

// One shift in the middle of which the ridges run at `direction` (radians,
// image coordinates) with the given period (pixels); its two dislocations lie
// `across` periods apart across the ridges and `along` periods along them.
// The pattern changes only within six periods of (x, y).
void paintRidgeShift(FloatPlane& ridges, double x, double y, double direction, double period, double across,
                     double along);

// Paints a number of ridge shifts drawn from the plan into `ridges`, inside
// the pad (`padDepth` at least 0.1, off the rim the contact edge shapes).
// `periodAt` gives the local ridge period in pixels.
void paintRidgeShifts(FloatPlane& ridges, const FloatPlane& padDepth, const OrientationModel& orientation,
                      const std::function<double(double, double)>& periodAt, const RidgeShiftPlan& plan,
                      RandomStream& random);

}  // namespace tervo::synth

#endif
