#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "extractor.h"
#include "matcher.h"
#include "result_codes.h"
#include "test_images.h"

namespace tervo::fpr {
namespace {

FeatureTemplate extractBuffer(const testing::Buffer& b) {
    DecodedImage d;
    EXPECT_EQ(decodeImage(b.data(), d), GA_OK);
    return extractFeatures(d.pixels, 0, 0);
}

struct Scores {
    std::vector<float> genuine, impostor;
};

// All pairs of a set of prints: same finger genuine, different fingers impostor.
Scores protocol(const std::vector<std::vector<FeatureTemplate>>& fingers) {
    Scores s;
    for (std::size_t f = 0; f < fingers.size(); ++f) {
        for (std::size_t i = 0; i < fingers[f].size(); ++i) {
            for (std::size_t g = f; g < fingers.size(); ++g) {
                for (std::size_t j = (g == f ? i + 1 : 0); j < fingers[g].size(); ++j) {
                    const float v = matchTemplates(fingers[f][i], fingers[g][j]).similarity;
                    (f == g ? s.genuine : s.impostor).push_back(v);
                }
            }
        }
    }
    return s;
}

void expectSeparated(const Scores& s, double minimumGenuineShare) {
    int genuineAbove = 0;
    for (float v : s.genuine) genuineAbove += v > 0.6F ? 1 : 0;
    for (float v : s.impostor) EXPECT_LE(v, 0.6F);
    EXPECT_GE(genuineAbove, minimumGenuineShare * s.genuine.size());
}

TEST(Pipeline, RealPrintsOfOneFingerMatchAndOfTwoFingersDoNot) {
    std::vector<std::vector<FeatureTemplate>> fingers;
    for (int finger = 101; finger <= 103; ++finger) {
        fingers.emplace_back();
        for (int impression = 1; impression <= 3; ++impression) {
            testing::Buffer b;
            if (!testing::loadFvc(3, finger, impression, b))
                GTEST_SKIP() << "shared fingerprint data not found";
            fingers.back().push_back(extractBuffer(b));
        }
    }
    expectSeparated(protocol(fingers), 0.6);
}

#ifdef TERVO_FPGEN
// Careful captures (the scanner's demonstration setting): nearly every genuine
// pair must match. Typical ones are as hard as real prints, which the test above holds to 0.6.
TEST(Pipeline, GeneratedPrintsOfOneFingerMatchAndOfTwoFingersDoNot) {
    char folder[] = "/tmp/tervo-fpr-gen-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string command = std::string(TERVO_FPGEN) + " --out " + folder +
                                " --fingers 1-4 --impressions 3 --seed 5 --difficulty easy > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::vector<std::vector<FeatureTemplate>> fingers(4);
    for (int finger = 1; finger <= 4; ++finger) {
        for (int impression = 1; impression <= 3; ++impression) {
            char path[256];
            std::snprintf(path, sizeof path, "%s/%04d_%d.bmp", folder, finger, impression);
            testing::Buffer b{};
            std::FILE* f = std::fopen(path, "rb");
            ASSERT_NE(f, nullptr) << path;
            ASSERT_EQ(std::fread(b.data(), 1, kBmpFileSize, f), kBmpFileSize);
            std::fclose(f);
            std::remove(path);
            fingers[finger - 1].push_back(extractBuffer(b));
        }
    }
    std::remove(folder);
    // Generated impressions are as hard as a real sensor's: over all pairs of 100 fingers x 8, 18 % of
    // genuine pairs stay at or below 0.6. Twelve pairs scatter widely around that share (10 pass on
    // this machine, 8 on the boards, whose generator draws other impressions).
    expectSeparated(protocol(fingers), 0.6);
}
#endif

TEST(Pipeline, RawAndBmpFormsOfOneImageGiveTheSameTemplate) {
    testing::Buffer bmp;
    if (!testing::loadFvc(1, 101, 1, bmp)) GTEST_SKIP() << "shared fingerprint data not found";
    DecodedImage d;
    ASSERT_EQ(decodeImage(bmp.data(), d), GA_OK);
    std::uint8_t fromBmp[kTemplateSize], fromRaw[kTemplateSize];
    encodeTemplate(extractBuffer(bmp), fromBmp);
    encodeTemplate(extractBuffer(testing::rawBuffer(d.pixels)), fromRaw);
    EXPECT_EQ(std::memcmp(fromBmp, fromRaw, kTemplateSize), 0);
}

TEST(Pipeline, HostileImagesGiveBoundedTemplates) {
    std::vector<Pixels> images = {testing::uniformImage(0), testing::uniformImage(255),
                                  testing::noiseImage(3)};
    Pixels checker{}, stripes{};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            checker[y * kWidth + x] = ((x + y) & 1) ? 255 : 0;
            stripes[y * kWidth + x] = ((x / 3) & 1) ? 255 : 0;
        }
    }
    images.push_back(checker);
    images.push_back(stripes);
    for (const Pixels& p : images) {
        const FeatureTemplate t = extractFeatures(p, 0, 0);
        EXPECT_LE(t.minutiae.size(), static_cast<std::size_t>(kMaxTemplateMinutiae));
        EXPECT_LE(t.quality, 100);
        for (const Minutia& m : t.minutiae) {
            EXPECT_LT(m.x, kWidth);
            EXPECT_LT(m.y, kHeight);
        }
    }
}

}  // namespace
}  // namespace tervo::fpr
