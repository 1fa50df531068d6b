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
    float reproduced = 0.0F;    // raw match score against the original's grid-moved templates, averaged
    int recovery = 0;           // see minutiaRecovery
    float likelyPaired = 0.0F;  // see minutiaeLikelyShared
    int restoredCount = 0;      // minutiae of the decoded image

    // A genuine match rests on the minutiae that come back in every impression; the recovery count
    // settles what the matcher's score leaves open. One raw-score hundredth weighs one minutia.
    // The matcher's score is the square of the paired minutiae over the product of both prints'
    // counts: a minutia the next impression will likely give too adds to the pairing, one it will not
    // only to the count. The last term is that share for the decoded image against a partner of fixed
    // count; it tells apart encodings that keep as much of the original but differ in which chance
    // minutiae they add or drop, and a genuine pair near the threshold turns on exactly those.
    float merit() const {
        const float shared =
            restoredCount > 0 ? likelyPaired * likelyPaired / static_cast<float>(restoredCount) : 0.0F;
        return 100.0F * reproduced + static_cast<float>(recovery) + shared;
    }
};

class EncodingJudge {
  public:
    // Extracts the original once on its own grid and once with the image moved by each offset.
    explicit EncodingJudge(const Pixels& original);

    // No minutiae in the original: every encoding is as good as any other.
    bool printless() const { return extractions_.front().empty(); }

    Verdict judge(const Pixels& restored) const;

  private:
    std::vector<PreparedTemplate> moved_;
    // The original's minutiae on its own grid first (the one list when there are none), then on the
    // moved grids, moved back.
    std::vector<std::vector<Minutia>> extractions_;
};

}  // namespace tervo::fpr

#endif
