#include "matcher_placement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "angles.h"
#include "parameters.h"

namespace tervo::fpr {
namespace {

// Ridges round a centre above the print, as orientation codes of cell (cx, cy). Unlike a flow that turns
// evenly across the print, no shift but one maps it onto itself.
int flowCode(int cx, int cy, int turnSteps = 0) {
    const float angle = std::atan2(static_cast<float>(cy) + 4.3F, static_cast<float>(cx) - 7.6F) + kPiF / 2;
    return (static_cast<int>(std::lround(angle / kPiF * kOrientationSteps)) + turnSteps + 64) %
           kOrientationSteps;
}

// A print whose field is the flow moved by (shiftX, shiftY) cells and turned by `turnSteps`, its
// print cells those of the rectangle given, with a few minutiae so that it can be prepared.
PreparedTemplate fieldPrint(int shiftX, int shiftY, int turnSteps, int left, int top, int right, int bottom) {
    FeatureTemplate t;
    for (int cy = 0; cy < kMaskRows; ++cy) {
        for (int cx = 0; cx < kMaskColumns; ++cx) {
            const int cell = cy * kMaskColumns + cx;
            t.mask[cell] = cx >= left && cx <= right && cy >= top && cy <= bottom ? 1 : 0;
            t.orientation[cell] =
                static_cast<std::uint8_t>(t.mask[cell] ? flowCode(cx - shiftX, cy - shiftY, turnSteps) : 0);
        }
    }
    for (int k = 0; k < 6; ++k) {
        Minutia m;
        m.x = 100 + 12 * k;
        m.y = 150 + 9 * k;
        m.angle = 0.5F * static_cast<float>(k);
        m.reliability = 80;
        t.minutiae.push_back(m);
    }
    PreparedTemplate p;
    prepareTemplate(t, p);
    return p;
}

TEST(PlacementByOrientation, FindsTheShiftThatMakesTheFieldsCoincide) {
    // The first print is a middle part of the finger; the second shows all of it, the flow moved by
    // one cell right and two down.
    const PreparedTemplate part = fieldPrint(0, 0, 0, 4, 5, 11, 16);
    const PreparedTemplate whole = fieldPrint(1, 2, 0, 0, 0, kMaskColumns - 1, kMaskRows - 1);
    const FieldPlacement p = placeByOrientation(part, whole);
    ASSERT_TRUE(p.placed);
    EXPECT_EQ(p.dx, kMaskCell);
    EXPECT_EQ(p.dy, 2 * kMaskCell);
    EXPECT_FLOAT_EQ(p.flow, 1.0F);
    EXPECT_EQ(p.cells, 8 * 6);  // every other row of the 8 x 12 cells
    // The centre of the part, moved: cells 4..11 and rows 5, 7, .., 15, plus the shift.
    EXPECT_FLOAT_EQ(p.centreX, 7.5F * kMaskCell + kMaskCell / 2.0F + kMaskCell);
    EXPECT_FLOAT_EQ(p.centreY, 10.0F * kMaskCell + kMaskCell / 2.0F + 2 * kMaskCell);
}

TEST(PlacementByOrientation, ShiftsBeyondTheReachAreNotSearched) {
    const PreparedTemplate part = fieldPrint(0, 0, 0, 4, 5, 11, 16);
    const PreparedTemplate far = fieldPrint(kPlacementReach + 2, 0, 0, 0, 0, kMaskColumns - 1, kMaskRows - 1);
    const FieldPlacement p = placeByOrientation(part, far);
    EXPECT_LE(std::abs(p.dx), kPlacementReach * kMaskCell);
    EXPECT_LE(std::abs(p.dy), kPlacementReach * kMaskCell);
}

TEST(PlacementByOrientation, CrossingOrObliqueFlowIsNotPlaced) {
    const PreparedTemplate part = fieldPrint(0, 0, 0, 4, 5, 11, 16);
    // Turned a right angle (4 steps): crossing everywhere, ruled out by the unshifted look.
    const FieldPlacement crossing =
        placeByOrientation(part, fieldPrint(0, 0, 4, 0, 0, kMaskColumns - 1, kMaskRows - 1));
    EXPECT_FALSE(crossing.placed);
    EXPECT_EQ(crossing.cells, 0);
    // Turned 45 degrees (2 steps): half agreement at best, below a genuine overlap's.
    const FieldPlacement oblique =
        placeByOrientation(part, fieldPrint(0, 0, 2, 0, 0, kMaskColumns - 1, kMaskRows - 1));
    EXPECT_FALSE(oblique.placed);
}

TEST(PlacementByOrientation, TooSmallAnOverlapIsNotPlaced) {
    const PreparedTemplate tiny = fieldPrint(0, 0, 0, 6, 8, 8, 13);  // 3 x 6 cells
    const PreparedTemplate whole = fieldPrint(0, 0, 0, 0, 0, kMaskColumns - 1, kMaskRows - 1);
    const FieldPlacement p = placeByOrientation(tiny, whole);
    EXPECT_FLOAT_EQ(p.flow, 1.0F);
    EXPECT_LT(p.cells, kMinPlacementCells);
    EXPECT_FALSE(p.placed);
}

TEST(PlacementByOrientation, NoPrintMeansNoPlacement) {
    const PreparedTemplate part = fieldPrint(0, 0, 0, 4, 5, 11, 16);
    const PreparedTemplate empty = fieldPrint(0, 0, 0, 1, 1, 0, 0);  // no cell at all
    EXPECT_FALSE(placeByOrientation(part, empty).placed);
    EXPECT_FALSE(placeByOrientation(empty, part).placed);
}

}  // namespace
}  // namespace tervo::fpr
