// Silhouette of the finger pad on the master print.
//
// The pad is an ellipse on top (the fingertip) joined to a flatter, wider
// curve below (the rest of the phalanx, which leaves the sensor window at
// the bottom, as on a real optical scanner). `depth` is 1 at the centre,
// 0 on the outline and negative outside; impressions make contact where the
// depth exceeds a pressure-dependent level, so a light touch shows a smaller,
// rounder print.
#ifndef TERVO_SYNTH_FINGER_PAD_H
#define TERVO_SYNTH_FINGER_PAD_H

#include "random_stream.h"

namespace tervo::synth {

class FingerPad {
  public:
    FingerPad(RandomStream& random, double centreX, double centreY);
    double depth(double x, double y) const;

  private:
    double centreX_;
    double centreY_;
    double halfWidth_;
    double topReach_;
    double bottomReach_;
};

}  // namespace tervo::synth

#endif
