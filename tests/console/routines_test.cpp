// The guarded call and the routines whose results a transcript cannot show.
#include <stdexcept>
#include <string>

#include "console_test_support.h"
#include "modulapi.h"

using namespace tervo::test;

namespace {

TEST(GuardedCall, StandardExceptionIsOneLineAndMinusOne) {
    int result = 0;
    EXPECT_EQ(printed([&] { result = guardedCall([]() -> int { throw std::out_of_range("index 7"); }); }),
              "index 7\n");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(guardedCall([] { return 2; }), 2) << "results pass through unchanged";
}

TEST(GuardedCall, OtherExceptionsAreNotItsBusiness) {
    EXPECT_THROW(guardedCall([]() -> int { throw 5; }), int);
}

class Routines : public InTempDir {
  protected:
    unsigned char image[imgLen] = {};
    unsigned char feature[kFeatureLen] = {};
};

TEST_F(Routines, RoutinesReturnTheLibraryResult) {
    float score = 0;
    script("FP_FeatureExtract=2;FP_FeatureMatch=throw;FP_ImageMatch=-3;FP_Compress=7;FP_Decompress=throw:x");
    int ret = 0;
    printed([&] { ret = capAndExtraFea(image, feature); });
    EXPECT_EQ(ret, 2) << "an extraction result above 1 is returned as it is";
    printed([&] { ret = matchFea(feature, feature, &score); });
    EXPECT_EQ(ret, -1);
    printed([&] { ret = matchImg(image, feature, &score); });
    EXPECT_EQ(ret, -3);
    printed([&] { ret = testCompress(image, image); });
    EXPECT_EQ(ret, 7);
    printed([&] { ret = testDeCompress(image, image); });
    EXPECT_EQ(ret, -1);
}

TEST_F(Routines, ImageFileResultIsTheQualityCallsResult) {
    writeFile("img.bmp", std::string(kBmpFileLen, '\x10'));
    char name[] = "img.bmp";
    char missing[] = "missing.bmp";
    script("FP_FeatureExtract=-3;FP_GetQualityScore=1");
    int ret = 0;
    printed([&] { ret = getFeaFromFile(name, image, feature); });
    EXPECT_EQ(ret, 1) << "a failed extraction does not change the result";
    printed([&] { ret = getFeaFromFile(missing, image, feature); });
    EXPECT_EQ(ret, -1);
    EXPECT_EQ(image[0], 0x10) << "the whole file, header included, is the image argument";
}

TEST_F(Routines, CaptureSavesOnlyOnSuccess) {
    script("LIVESCAN_GetFPRawData=-2,1");
    EXPECT_EQ(masked(printed([&] { EXPECT_EQ(capImg(image), -2); })),
              "get image cost # ms\r\nget Image Fail,ret = -2\n");
    EXPECT_FALSE(exists("Fp.bmp"));
    EXPECT_EQ(masked(printed([&] { EXPECT_EQ(capImg(image), 1); })), "get image cost # ms\r\n");
    EXPECT_EQ(readFile("Fp.bmp").size(), static_cast<std::size_t>(kBmpFileLen));
}

TEST_F(Routines, CycleResultIsTheLastStepThatRan) {
    unsigned char image2[imgLen] = {};
    unsigned char feature2[kFeatureLen] = {};
    pFingerBmp1 = image;
    pFingerBmp2 = image2;
    pFea1 = feature;
    pFea2 = feature2;
    script("FP_Begin=1,-7");
    int ret = 0;
    std::string out = printed([&] { ret = cycTest(2); });
    EXPECT_EQ(ret, -7);
    EXPECT_NE(out.find("correctTimes is 1,errTimes is 1"), std::string::npos);
    out = printed([&] { ret = cycTest(0); });
    EXPECT_EQ(ret, GA_NO_ERROR) << "no cycle, no step result";
    pFingerBmp1 = pFingerBmp2 = pFea1 = pFea2 = nullptr;
}

}  // namespace
