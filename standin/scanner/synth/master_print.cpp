#include "master_print.h"

#include <algorithm>
#include <cmath>

#include "finger_pad.h"
#include "gabor_bank.h"
#include "ridge_growth.h"
#include "ridge_shifts.h"
#include "skin_marks.h"
#include "smooth_field.h"
#include "upsample.h"

namespace tervo::synth {
namespace {

// Pixels this far outside the pad outline still get ridges, so that a hard
// press, which spreads the contact, never reaches a blank master.
constexpr float kGrowthMargin = -0.12F;

struct FingerFields {
    Plane<std::uint16_t> kernelIndex;
    Plane<std::uint8_t> region;
};

// Ridges are a little finer towards the fingertip, and vary at random.
double ridgePeriodAt(const SmoothField& periodVariation, double meanPeriod, double x, double y) {
    const double towardsTip = std::clamp((y - MasterPrint::kHeight / 2.0) / 200.0, -1.0, 1.0);
    return meanPeriod * (1.0 + 0.05 * towardsTip + 0.08 * periodVariation.at(x, y));
}

// Kernel choice and growth region on the half-resolution growth grid:
// grid pixel (i, j) stands for master pixel (2i, 2j).
FingerFields describeFinger(const OrientationModel& orientation, const SmoothField& periodVariation,
                            double meanPeriod, const FloatPlane& padDepth) {
    const GaborBank& bank = GaborBank::instance();
    const int width = padDepth.width / 2;
    const int height = padDepth.height / 2;
    FingerFields fields{Plane<std::uint16_t>(width, height), Plane<std::uint8_t>(width, height)};
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            if (padDepth.at(2 * i, 2 * j) < kGrowthMargin) continue;
            fields.region.at(i, j) = 1;
            const double period = 0.5 * ridgePeriodAt(periodVariation, meanPeriod, 2 * i, 2 * j);
            fields.kernelIndex.at(i, j) = bank.indexFor(orientation.angleAt(2 * i, 2 * j), period);
        }
    }
    return fields;
}

FloatPlane drawSkinTexture(RandomStream& random, int width, int height) {
    FloatPlane grain(width, height);
    for (float& value : grain.values) value = static_cast<float>(random.uniform());
    // A 3 x 3 box average gives breaks a few pixels long instead of single-pixel salt.
    FloatPlane texture(width, height);
    for (int y = 1; y + 1 < height; ++y) {
        for (int x = 1; x + 1 < width; ++x) {
            float sum = 0.0F;
            for (int v = -1; v <= 1; ++v)
                for (int u = -1; u <= 1; ++u) sum += grain.at(x + u, y + v);
            // Rescale the narrowed distribution of the average back towards [0, 1].
            texture.at(x, y) = std::clamp(0.5F + (sum / 9.0F - 0.5F) * 3.0F, 0.0F, 1.0F);
        }
    }
    return texture;
}

}  // namespace

MasterPrint generateMasterPrint(const FingerIdentity& identity) {
    RandomStream random(
        streamKey({identity.seed, static_cast<std::uint64_t>(identity.finger), 0x6d6173746572ULL}));
    MasterPrint master;
    master.identity = identity;

    const OrientationModel orientation(random, master.centreX, master.centreY);
    master.pattern = orientation.pattern();
    const FingerPad pad(random, master.centreX, master.centreY);
    master.meanRidgePeriod = random.uniform(8.0, 10.0);
    const SmoothField periodVariation(random, 150.0, 400.0);
    const SmoothField moisture(random, 60.0, 160.0);

    master.padDepth = FloatPlane(MasterPrint::kWidth, MasterPrint::kHeight);
    for (int y = 0; y < MasterPrint::kHeight; ++y)
        for (int x = 0; x < MasterPrint::kWidth; ++x)
            master.padDepth.at(x, y) = static_cast<float>(pad.depth(x, y));
    // Moisture varies over tens of pixels: sampling it at half resolution is plenty.
    FloatPlane coarseMoisture(MasterPrint::kWidth / 2, MasterPrint::kHeight / 2);
    for (int j = 0; j < coarseMoisture.height; ++j)
        for (int i = 0; i < coarseMoisture.width; ++i)
            coarseMoisture.at(i, j) = static_cast<float>(moisture.at(2 * i, 2 * j));
    master.skinMoisture = upsampleTwice(coarseMoisture);

    const FingerFields fields =
        describeFinger(orientation, periodVariation, master.meanRidgePeriod, master.padDepth);
    RidgeGrowthPlan plan;
    // Ridges start from many scattered places and fuse as they spread; where
    // two fronts meet out of phase they leave an ending or a bifurcation of
    // either polarity. The number is set so that, with the forced endings of
    // the plain zero-pole flow gone, prints carry as many minutiae as real ones.
    plan.seedCount = random.uniformInt(150, 250);
    master.ridges = upsampleTwice(growRidges(fields.kernelIndex, fields.region, plan, random));
    // Ridge shifts from their own stream: adding them re-deals nothing else.
    RandomStream shiftRandom(
        streamKey({identity.seed, static_cast<std::uint64_t>(identity.finger), 0x7368696674ULL}));
    const double meanPeriod = master.meanRidgePeriod;
    paintRidgeShifts(
        master.ridges, master.padDepth, orientation,
        [&](double x, double y) { return ridgePeriodAt(periodVariation, meanPeriod, x, y); },
        RidgeShiftPlan{}, shiftRandom);
    paintSkinMarks(random, master.ridges, master.centreX, master.centreY);
    master.skinTexture = drawSkinTexture(random, MasterPrint::kWidth, MasterPrint::kHeight);
    return master;
}

}  // namespace tervo::synth
