#include "orientation_model.h"

#include <algorithm>
#include <cmath>

#include "angles.h"
#include "exact_math.h"

namespace tervo::synth {
namespace {

// Typical fingertip outline (see finger_pad.h), for the lean of the upper ridges.
constexpr double kTipHalfWidth = 125.0;
constexpr double kTipHalfHeight = 185.0;

SingularPoint makePoint(RandomStream& random, double x, double y) {
    SingularPoint point;
    point.x = x;
    point.y = y;
    // The correction b sin(2 alpha) + c sin(4 alpha) leaves the four axis
    // directions alone, so the flow far from the singular points stays level;
    // 2|b| + 4|c| < 1 keeps the corrected angle monotonic, so the point keeps
    // its index. The second term rounds or narrows a loop's head: real loops
    // differ there far more than a one-term correction can show.
    point.bend = random.uniform(-0.4, 0.4);
    const double room = (0.9 - 2.0 * std::fabs(point.bend)) / 4.0;
    point.squeeze = random.uniform(-room, room);
    return point;
}

// Wraps an angle into [-period / 2, period / 2).
double wrapped(double angle, double period) {
    while (angle >= 0.5 * period) angle -= period;
    while (angle < -0.5 * period) angle += period;
    return angle;
}

// The angular response that keeps a core's ridges evenly spaced: concentric
// arcs over the half turned towards its head, parallel legs over the other
// half. As a correction to alpha it is a triangle wave of +-pi/2.
double arcsShape(const SingularPoint& core, double alpha) {
    return std::fabs(wrapped(alpha - core.axis + 0.5 * kPi, 2.0 * kPi)) - 0.5 * kPi;
}

// The angular response that keeps a delta's three ridge systems straight:
// the response holds still over the middle of each arm (kTurnShare of each
// third is left for the turn between two systems), so a loop's leg running
// along the arm up to its core is not bent apart by the delta.
double flatsShape(const SingularPoint& delta, double alpha) {
    constexpr double kThird = 2.0 * kPi / 3.0;
    constexpr double kTurnShare = 0.3;
    const double u = wrapped(alpha - delta.axis - 0.5 * kThird, kThird);
    return 0.5 * kThird * std::clamp(u / (kTurnShare * 0.5 * kThird), -1.0, 1.0) - u;
}

// Angle of (x, y) as seen from the point, in mathematical orientation (y up), bent.
double bentAngle(const SingularPoint& point, bool isCore, double x, double y) {
    const double alpha = exact::atan2(point.y - y, x - point.x);
    double sine, cosine;
    exact::sinCos(2.0 * alpha, sine, cosine);
    const double bend = point.bend * sine + point.squeeze * (2.0 * sine * cosine);
    if (point.evenness == 0.0) return alpha + bend;
    // Both corrections keep the response monotonic, and so does any blend of
    // them with what remains of the bend.
    const double even = isCore ? arcsShape(point, alpha) : flatsShape(point, alpha);
    return alpha + (1.0 - point.evenness) * bend + point.evenness * even;
}

// Sum of the angles at which the other singular points see `point`, with the
// zero-pole model's signs: near the point, the flow is half of this plus its own term.
double background(const std::vector<SingularPoint>& cores, const std::vector<SingularPoint>& deltas,
                  const SingularPoint& point) {
    double sum = 0.0;
    for (const SingularPoint& core : cores)
        if (&core != &point) sum += exact::atan2(core.y - point.y, point.x - core.x);
    for (const SingularPoint& delta : deltas)
        if (&delta != &point) sum -= exact::atan2(delta.y - point.y, point.x - delta.x);
    return sum;
}

}  // namespace

const char* patternClassName(PatternClass pattern) {
    switch (pattern) {
        case PatternClass::Arch:
            return "arch";
        case PatternClass::TentedArch:
            return "tented arch";
        case PatternClass::LeftLoop:
            return "left loop";
        case PatternClass::RightLoop:
            return "right loop";
        case PatternClass::Whorl:
            return "whorl";
    }
    return "unknown";
}

OrientationModel::OrientationModel(RandomStream& random, double centreX, double centreY)
    : pattern_(drawPattern(random)), wobble_(random, 120.0, 360.0), meander_(random, 35.0, 80.0) {
    wobbleAmplitude_ = random.uniform(0.08, 0.22);
    meanderAmplitude_ = random.uniform(0.05, 0.12);
    tipX_ = centreX;
    tipY_ = centreY;
    placeSingularPoints(random, centreX, centreY);
    evenOutSpacing(random);
    highestSingularY_ = cores_.empty() ? archCentreY_ : cores_.front().y;
    for (const SingularPoint& core : cores_) highestSingularY_ = std::min(highestSingularY_, core.y);
}

PatternClass OrientationModel::drawPattern(RandomStream& random) {
    // Natural class frequencies (Wilson, Candela and Watson, 1994):
    // arch 3.7 %, tented arch 2.9 %, left loop 33.8 %, right loop 31.7 %, whorl 27.9 %.
    const double draw = random.uniform(0.0, 100.0);
    if (draw < 3.7) return PatternClass::Arch;
    if (draw < 6.6) return PatternClass::TentedArch;
    if (draw < 40.4) return PatternClass::LeftLoop;
    if (draw < 72.1) return PatternClass::RightLoop;
    return PatternClass::Whorl;
}

void OrientationModel::placeSingularPoints(RandomStream& random, double centreX, double centreY) {
    const double coreX = centreX + random.boundedNormal(0.0, 25.0, 60.0);
    const double coreY = centreY + random.boundedNormal(-10.0, 28.0, 70.0);
    switch (pattern_) {
        case PatternClass::Arch:
            archCentreX_ = coreX;
            archCentreY_ = coreY + random.uniform(-20.0, 40.0);
            archWidth_ = random.uniform(55.0, 90.0);
            archSteepness_ = random.uniform(1.6, 2.6);
            break;
        case PatternClass::TentedArch:
            cores_.push_back(makePoint(random, coreX, coreY));
            addDelta(random, coreX + random.normal(0.0, 6.0), coreY, 45.0, 75.0);
            break;
        case PatternClass::LeftLoop:
        case PatternClass::RightLoop: {
            // The delta sits on the side opposite to the loop's opening.
            const double side = pattern_ == PatternClass::LeftLoop ? 1.0 : -1.0;
            cores_.push_back(makePoint(random, coreX, coreY));
            addDelta(random, coreX + side * random.uniform(40.0, 130.0), coreY, 60.0, 170.0);
            break;
        }
        case PatternClass::Whorl: {
            const double tilt = random.normal(0.0, 0.35);
            const double spread = random.uniform(10.0, 42.0);
            cores_.push_back(
                makePoint(random, coreX - spread * exact::sin(tilt), coreY - spread * exact::cos(tilt)));
            cores_.push_back(
                makePoint(random, coreX + spread * exact::sin(tilt), coreY + spread * exact::cos(tilt)));
            addDelta(random, coreX - random.uniform(70.0, 140.0), coreY, 60.0, 150.0);
            addDelta(random, coreX + random.uniform(70.0, 140.0), coreY, 60.0, 150.0);
            break;
        }
    }
}

void OrientationModel::evenOutSpacing(RandomStream& random) {
    // With the plain zero-pole response the flow between a core and its delta
    // diverges the same way on every loop, so ridges grown at a constant
    // period must end there, all pointing the same way, and two loops of one
    // class share minutiae. Real ridges keep a nearly even spacing round the
    // core and along the delta's arms. How far each finger goes is drawn, so
    // that loops do not all take one shape.
    const double coreEvenness = random.uniform(0.5, 1.0);
    const double deltaEvenness = random.uniform(0.5, 1.0);
    // A whorl's two cores spiral round each other; arcs round each would
    // make whorls alike, so only their deltas are evened out.
    if (pattern_ != PatternClass::Whorl) {
        for (SingularPoint& core : cores_) {
            core.evenness = coreEvenness;
            // The head turns away from where the other points' flow comes from.
            core.axis = -background(cores_, deltas_, core);
        }
    }
    for (SingularPoint& delta : deltas_) {
        delta.evenness = deltaEvenness;
        // The plain response has the arms, where ridges run straight at the
        // delta, at a third of the background and 120 degrees apart.
        delta.axis = background(cores_, deltas_, delta) / 3.0;
    }
}

void OrientationModel::addDelta(RandomStream& random, double x, double coreY, double lowestDrop,
                                double highestDrop) {
    // One draw per statement: the order in which a call's arguments are
    // evaluated differs between compilers and targets, the images must not.
    const double y = coreY + random.uniform(lowestDrop, highestDrop);
    deltas_.push_back(makePoint(random, x, y));
}

double OrientationModel::zeroPoleAngle(double x, double y) const {
    double sum = 0.0;
    for (const SingularPoint& core : cores_) sum += bentAngle(core, true, x, y);
    for (const SingularPoint& delta : deltas_) sum -= bentAngle(delta, false, x, y);
    // Half the sum in mathematical orientation; image rows grow downwards.
    return -0.5 * sum;
}

double OrientationModel::archAngle(double x, double y) const {
    // Ridges follow humps y = c - h exp(-u^2 / 2) with u = (x - centre) / width;
    // the hump flattens towards the bottom of the finger.
    const double u = (x - archCentreX_) / archWidth_;
    const double flatten = 1.0 / (1.0 + exact::exp((y - archCentreY_) / 45.0));
    const double slope = archSteepness_ * flatten * u * exact::exp(-0.5 * u * u);
    return exact::atan(slope);
}

double OrientationModel::leanTowardsFingertip(double x, double y, double angle) const {
    const double above = highestSingularY_ - y;
    if (above <= 30.0) return angle;
    // Below one half the model's own flow always dominates the average, so
    // the blend can never cancel out into a new singular point.
    const double weight = std::min(0.45, (above - 30.0) / 200.0);
    // Tangent of the ellipse through (x, y) around the fingertip's centre.
    const double gradientX = (x - tipX_) / (kTipHalfWidth * kTipHalfWidth);
    const double gradientY = (y - tipY_) / (kTipHalfHeight * kTipHalfHeight);
    const double outline = exact::atan2(gradientX, -gradientY);
    // Orientations are axial: average them as doubled angles.
    const double c = (1.0 - weight) * exact::cos(2.0 * angle) + weight * exact::cos(2.0 * outline);
    const double s = (1.0 - weight) * exact::sin(2.0 * angle) + weight * exact::sin(2.0 * outline);
    return 0.5 * exact::atan2(s, c);
}

double OrientationModel::angleAt(double x, double y) const {
    double angle =
        pattern_ == PatternClass::Arch ? archAngle(x, y) : leanTowardsFingertip(x, y, zeroPoleAngle(x, y));
    angle += wobbleAmplitude_ * wobble_.at(x, y) + meanderAmplitude_ * meander_.at(x, y);
    angle = std::fmod(angle, kPi);
    return angle < 0.0 ? angle + kPi : angle;
}

}  // namespace tervo::synth
