#include "encoding_judge.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "extractor.h"
#include "result_codes.h"
#include "test_images.h"

namespace tervo::fpr {
namespace {

Pixels printForJudging() {
    testing::Buffer fvc{};
    DecodedImage decoded;
    if (testing::loadFvc(1, 102, 3, fvc) && decodeImage(fvc.data(), decoded) == GA_OK) return decoded.pixels;
    return testing::printWithMinutiae();
}

// The judge must rank images by what they keep of the original: the original itself above any damaged
// copy, and heavier damage lower still.
TEST(EncodingJudge, DamageLowersTheMerit) {
    const Pixels original = printForJudging();
    const EncodingJudge judge(original);
    ASSERT_FALSE(judge.printless());
    const Verdict itself = judge.judge(original);
    EXPECT_EQ(itself.recovery, static_cast<int>(extractFeatures(original, 0, 0).minutiae.size()));
    EXPECT_GT(itself.reproduced, 0.1F) << "the other grids give back most of the same minutiae";

    Pixels light = original, heavy = original;
    for (std::size_t i = 0; i < kPixelCount; ++i) {
        // A fixed pattern of streaks across the ridges, faint and strong.
        const int streak = (i / kWidth) % 7 == 0 ? 1 : 0;
        light[i] = static_cast<std::uint8_t>(std::min(255, original[i] + 40 * streak));
        heavy[i] = static_cast<std::uint8_t>(std::min(255, original[i] + 160 * streak));
    }
    const float lightMerit = judge.judge(light).merit();
    EXPECT_LT(lightMerit, itself.merit());
    EXPECT_LT(judge.judge(heavy).merit(), lightMerit);
    EXPECT_LE(judge.judge(testing::uniformImage(128)).merit(), 0.0F) << "nothing recovered";
}

TEST(EncodingJudge, AnImageWithoutPrintIsPrintless) {
    const EncodingJudge judge(testing::uniformImage(200));
    EXPECT_TRUE(judge.printless());
    const Verdict v = judge.judge(printForJudging());
    EXPECT_EQ(v.reproduced, 0.0F);
    EXPECT_LE(v.recovery, 0) << "every minutia of the other image is new";
}

}  // namespace
}  // namespace tervo::fpr
