// How well a decoded image keeps what the matcher needs of its original: the measure the compressor
// uses to choose between encodings of equal size.
#ifndef TERVO_FPR_ENCODING_JUDGE_H
#define TERVO_FPR_ENCODING_JUDGE_H

#include <vector>

#include "image_input.h"
#include "local_structures.h"
#include "minutiae.h"

namespace tervo::fpr {

struct Verdict {
    float reproduced = 0.0F;  // raw match score against the original's grid-moved templates, averaged
    int recovery = 0;         // see minutiaRecovery

    // A genuine match rests on the minutiae that come back in every impression; the recovery count
    // settles what the matcher's score leaves open. One raw-score hundredth weighs one minutia.
    float merit() const { return 100.0F * reproduced + static_cast<float>(recovery); }
};

class EncodingJudge {
  public:
    // Extracts the original once on its own grid and once with the image moved by each offset.
    explicit EncodingJudge(const Pixels& original);

    // No minutiae in the original: every encoding is as good as any other.
    bool printless() const { return original_.empty(); }

    Verdict judge(const Pixels& restored) const;

  private:
    std::vector<Minutia> original_;
    std::vector<PreparedTemplate> moved_;
};

}  // namespace tervo::fpr

#endif
