// Ridge orientation of a synthetic finger.
//
// Loops, whorls and tented arches follow the zero-pole model of Sherlock and
// Monro (1993): the orientation is half the sum of the angles seen from each
// core minus those seen from each delta. Each singular point's angular
// response is bent by a monotonic correction in the spirit of Vizcaya and
// Gerhardt (1996): a small one so that loops are not perfectly symmetric, and
// a larger one that keeps ridges evenly spaced round cores and along the
// deltas' arms, where the plain model would force ridge endings. A smooth
// random wobble varies the flow away from the singular points. Plain arches
// have no singular points and use an explicit hump-shaped flow. Well above
// the singular points, ridges lean towards the fingertip's outline, as they do
// on real fingers, which rounds the flat flow the zero-pole model leaves there.
#ifndef TERVO_SYNTH_ORIENTATION_MODEL_H
#define TERVO_SYNTH_ORIENTATION_MODEL_H

#include <vector>

#include "random_stream.h"
#include "smooth_field.h"

namespace tervo::synth {

enum class PatternClass { Arch, TentedArch, LeftLoop, RightLoop, Whorl };

const char* patternClassName(PatternClass pattern);

struct SingularPoint {
    double x = 0.0;
    double y = 0.0;
    // Coefficients b, c of the angular correction alpha + b sin(2 alpha) + c sin(4 alpha).
    double bend = 0.0;
    double squeeze = 0.0;
    // Share (0 to 1) of the response replaced by the one that keeps the ridges
    // evenly spaced (arcs round a core, straight systems round a delta), and
    // the direction it is laid out along: a core's head, a delta's first arm.
    double evenness = 0.0;
    double axis = 0.0;
};

class OrientationModel {
  public:
    // Draws a pattern class with the frequencies observed in large ten-print
    // collections and places its singular points around (centreX, centreY).
    OrientationModel(RandomStream& random, double centreX, double centreY);

    // Ridge direction at (x, y) in image coordinates (y down), radians in [0, pi).
    double angleAt(double x, double y) const;

    PatternClass pattern() const { return pattern_; }
    const std::vector<SingularPoint>& cores() const { return cores_; }
    const std::vector<SingularPoint>& deltas() const { return deltas_; }

  private:
    static PatternClass drawPattern(RandomStream& random);
    void placeSingularPoints(RandomStream& random, double centreX, double centreY);
    void evenOutSpacing(RandomStream& random);
    // A delta at x, lowestDrop to highestDrop pixels below the core.
    void addDelta(RandomStream& random, double x, double coreY, double lowestDrop, double highestDrop);
    double zeroPoleAngle(double x, double y) const;
    double archAngle(double x, double y) const;
    double leanTowardsFingertip(double x, double y, double angle) const;

    PatternClass pattern_;
    std::vector<SingularPoint> cores_;
    std::vector<SingularPoint> deltas_;
    double archCentreX_ = 0.0;
    double archCentreY_ = 0.0;
    double archWidth_ = 1.0;
    double archSteepness_ = 0.0;
    double wobbleAmplitude_ = 0.0;
    double meanderAmplitude_ = 0.0;
    double tipX_ = 0.0;
    double tipY_ = 0.0;
    double highestSingularY_ = 0.0;
    SmoothField wobble_;
    // Ridges on real skin meander over a few ridge periods; a perfectly smooth
    // flow makes every finger's ridges look alike to a matcher.
    SmoothField meander_;
};

}  // namespace tervo::synth

#endif
