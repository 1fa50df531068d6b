#include "encoding_judge.h"

#include "extractor.h"
#include "matcher.h"
#include "minutia_recovery.h"

namespace tervo::fpr {
namespace {

// Under invisible noise of one gray level about one minutia in twenty moves or vanishes, and the same
// happens when the 8x8 block grid of the extractor falls elsewhere on the print. The minutiae found
// again on every grid are the ones the next impression of the finger gives too, and the ones a
// genuine match rests on; so a decoded image is judged against the original extracted on three other
// grids rather than on its own alone, which would reward keeping the chance minutiae of one grid.
constexpr int kGridOffsets[] = {1, 2, 3};

}  // namespace

EncodingJudge::EncodingJudge(const Pixels& original) {
    original_ = extractFeatures(original, 0, 0).minutiae;
    if (original_.empty()) return;
    moved_.resize(std::size(kGridOffsets));
    for (std::size_t i = 0; i < moved_.size(); ++i)
        prepareTemplate(extractFeatures(movedImage(original, kGridOffsets[i]), 0, 0), moved_[i]);
}

Verdict EncodingJudge::judge(const Pixels& restored) const {
    const FeatureTemplate t = extractFeatures(restored, 0, 0);
    Verdict v;
    v.recovery = minutiaRecovery(original_, t.minutiae);
    if (moved_.empty()) return v;
    PreparedTemplate prepared;
    prepareTemplate(t, prepared);
    float sum = 0.0F;
    for (const PreparedTemplate& m : moved_) sum += matchPrepared(prepared, m).raw;
    v.reproduced = sum / static_cast<float>(moved_.size());
    return v;
}

}  // namespace tervo::fpr
