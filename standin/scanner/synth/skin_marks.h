// Creases and scars: lines where the skin is folded or healed and does not
// print ridges. They belong to the finger, so every impression shows them,
// and they cut ridges into spurious endings as on real prints (the Handbook
// of Fingerprint Recognition counts them among the main causes of false
// minutiae). Most creases run across the finger, as skin folds do.
#ifndef TERVO_SYNTH_SKIN_MARKS_H
#define TERVO_SYNTH_SKIN_MARKS_H

#include "plane.h"
#include "random_stream.h"

namespace tervo::synth {

// Paints this finger's creases and scars into the ridge field, centred
// around (centreX, centreY): the ridge value is pulled down to a valley.
void paintSkinMarks(RandomStream& random, FloatPlane& ridges, double centreX, double centreY);

}  // namespace tervo::synth

#endif
