#include "ridge_shifts.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "angles.h"
#include "exact_math.h"

namespace tervo::synth {
namespace {

// The pair's phase disturbance fades as the inverse distance; beyond this many
// periods from the middle it is blended out, so the far pattern stays as grown.
constexpr double kFullReach = 4.0;
constexpr double kBlendReach = 6.0;
// Shifts closer than this many periods would merge into one larger defect.
constexpr double kSpacing = 4.0;
// Only the pad carries shifts; its rim is left to the contact edge.
constexpr float kInnerPad = 0.1F;

struct RidgeShift {
    double centreX, centreY;
    double firstX, firstY;    // the dislocation whose phase turns one way round
    double secondX, secondY;  // and its partner, turning the other way
    double normalX, normalY;  // across the ridges
    double period;
};

RidgeShift placeShift(double x, double y, double direction, double period, double across, double along) {
    RidgeShift shift;
    shift.centreX = x;
    shift.centreY = y;
    shift.period = period;
    const double tx = exact::cos(direction);
    const double ty = exact::sin(direction);
    shift.normalX = -ty;
    shift.normalY = tx;
    const double halfX = 0.5 * period * (along * tx + across * shift.normalX);
    const double halfY = 0.5 * period * (along * ty + across * shift.normalY);
    shift.firstX = x - halfX;
    shift.firstY = y - halfY;
    shift.secondX = x + halfX;
    shift.secondY = y + halfY;
    return shift;
}

float blendWeight(double distance, double period) {
    const double t = std::clamp((distance / period - kFullReach) / (kBlendReach - kFullReach), 0.0, 1.0);
    return static_cast<float>(1.0 - t * t * (3.0 - 2.0 * t));
}

// Adds the pair's phase, the angle seen from the first dislocation minus the
// angle seen from the second, to the local ridge phase. The ridge value and
// its derivative across the ridges (scaled by the wavenumber) are the local
// pattern's in-phase and quadrature parts, so the rotation needs no global
// phase and leaves no seam where the added phase wraps round.
void paint(const RidgeShift& shift, FloatPlane& ridges) {
    const double reach = kBlendReach * shift.period;
    const int x0 = std::max(1, static_cast<int>(shift.centreX - reach));
    const int x1 = std::min(ridges.width - 2, static_cast<int>(shift.centreX + reach) + 1);
    const int y0 = std::max(1, static_cast<int>(shift.centreY - reach));
    const int y1 = std::min(ridges.height - 2, static_cast<int>(shift.centreY + reach) + 1);
    if (x0 > x1 || y0 > y1) return;
    // The source window, one pixel wider on each side for the derivative.
    const int width = x1 - x0 + 3;
    FloatPlane source(width, y1 - y0 + 3);
    for (int y = y0 - 1; y <= y1 + 1; ++y) std::copy_n(ridges.row(y) + x0 - 1, width, source.row(y - y0 + 1));
    const double wavenumber = kTwoPi / shift.period;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double dx = x - shift.centreX;
            const double dy = y - shift.centreY;
            const float weight = blendWeight(std::sqrt(dx * dx + dy * dy), shift.period);
            if (weight <= 0.0F) continue;
            const double ax = x - shift.firstX;
            const double ay = y - shift.firstY;
            const double bx = x - shift.secondX;
            const double by = y - shift.secondY;
            // (a) times the conjugate of (b): its angle is the added phase.
            const double real = ax * bx + ay * by;
            const double imaginary = ay * bx - ax * by;
            const double length = std::sqrt(real * real + imaginary * imaginary);
            if (length < 1e-6) continue;
            const int u = x - x0 + 1;
            const int v = y - y0 + 1;
            const double value = source.at(u, v);
            const double slope = 0.5 * (source.at(u + 1, v) - source.at(u - 1, v)) * shift.normalX +
                                 0.5 * (source.at(u, v + 1) - source.at(u, v - 1)) * shift.normalY;
            const double rotated = (value * real + slope / wavenumber * imaginary) / length;
            ridges.at(x, y) = static_cast<float>(value + weight * (rotated - value));
        }
    }
}

}  // namespace

void paintRidgeShift(FloatPlane& ridges, double x, double y, double direction, double period, double across,
                     double along) {
    paint(placeShift(x, y, direction, period, across, along), ridges);
}

void paintRidgeShifts(FloatPlane& ridges, const FloatPlane& padDepth, const OrientationModel& orientation,
                      const std::function<double(double, double)>& periodAt, const RidgeShiftPlan& plan,
                      RandomStream& random) {
    const int count = random.uniformInt(plan.lowestCount, plan.highestCount);
    std::vector<RidgeShift> placed;
    for (int attempt = 0; static_cast<int>(placed.size()) < count && attempt < 50 * count; ++attempt) {
        const double x = random.uniform(0.0, ridges.width - 1.0);
        const double y = random.uniform(0.0, ridges.height - 1.0);
        double across = random.uniform(plan.lowestAcross, plan.highestAcross);
        double along = random.uniform(-plan.largestAlong, plan.largestAlong);
        // Which dislocation turns which way: the mirror image is as common.
        if (random.chance(0.5)) {
            across = -across;
            along = -along;
        }
        const int column = static_cast<int>(x);
        const int row = static_cast<int>(y);
        if (!padDepth.contains(column, row) || padDepth.at(column, row) < kInnerPad) continue;
        const double period = periodAt(x, y);
        const bool crowded = std::any_of(placed.begin(), placed.end(), [&](const RidgeShift& other) {
            const double dx = other.centreX - x;
            const double dy = other.centreY - y;
            return dx * dx + dy * dy < kSpacing * kSpacing * period * period;
        });
        if (crowded) continue;
        placed.push_back(placeShift(x, y, orientation.angleAt(x, y), period, across, along));
        paint(placed.back(), ridges);
    }
}

}  // namespace tervo::synth
