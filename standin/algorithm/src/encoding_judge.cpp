#include "encoding_judge.h"

#include <utility>

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
constexpr int kMatchedGrids = 3;  // the first after the original's own

// How likely a minutia is to come back takes more grids to tell than the score: sixteen block phases
// that between them take every column and row phase. Fewer (8 or 12) told the
// encodings apart no better than the score alone did on the FVC prints.
struct GridOffset {
    int right, down;
};
constexpr GridOffset kGrids[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {1, 3}, {2, 6}, {3, 1}, {4, 4},
                                 {5, 7}, {6, 2}, {7, 5}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {5, 5}};

}  // namespace

EncodingJudge::EncodingJudge(const Pixels& original) {
    extractions_.push_back(extractFeatures(original, 0, 0).minutiae);
    if (printless()) return;
    moved_.resize(kMatchedGrids);
    for (std::size_t i = 1; i < std::size(kGrids); ++i) {
        const GridOffset& grid = kGrids[i];
        const FeatureTemplate t = extractFeatures(movedImage(original, grid.right, grid.down), 0, 0);
        if (i <= moved_.size()) prepareTemplate(t, moved_[i - 1]);
        std::vector<Minutia> back = t.minutiae;
        for (Minutia& m : back) {
            m.x -= grid.right;
            m.y -= grid.down;
        }
        extractions_.push_back(std::move(back));
    }
}

Verdict EncodingJudge::judge(const Pixels& restored) const {
    const FeatureTemplate t = extractFeatures(restored, 0, 0);
    Verdict v;
    v.recovery = minutiaRecovery(extractions_.front(), t.minutiae);
    v.likelyPaired = minutiaeLikelyShared(t.minutiae, extractions_);
    v.restoredCount = static_cast<int>(t.minutiae.size());
    if (moved_.empty()) return v;
    PreparedTemplate prepared;
    prepareTemplate(t, prepared);
    float sum = 0.0F;
    for (const PreparedTemplate& m : moved_) sum += matchPrepared(prepared, m).raw;
    v.reproduced = sum / static_cast<float>(moved_.size());
    return v;
}

}  // namespace tervo::fpr
