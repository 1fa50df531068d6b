// The algorithm exercise routines: each makes one guarded call to an
// algorithm entry point and prints one success or failure line.
#include <cstdio>

#include "modulapi.h"

namespace {

int reportMatch(int ret, const float* score) {
    if (ret == 1)
        std::printf("match success,score is %0.2f\n", *score);
    else
        std::printf("match fail %d\n", ret);
    return ret;
}

int reportNamed(int ret, const char* entryPoint) {
    if (ret == 1)
        std::printf("%s success\n", entryPoint);
    else
        std::printf("%s fail %d\n", entryPoint, ret);
    return ret;
}

// The work buffer the codec entry points ask for; its content is the library's.
constexpr int kCodecWorkLen = 256;

}  // namespace

int matchFea(unsigned char* pFea1, unsigned char* pFea2, float* score) {
    return reportMatch(guardedCall([&] { return FP_FeatureMatch(pFea1, pFea2, score); }), score);
}

int matchImg(unsigned char* pBmp, unsigned char* pFea2, float* score) {
    return reportMatch(guardedCall([&] { return FP_ImageMatch(pBmp, pFea2, score); }), score);
}

int testCompress(unsigned char* psrcBmp, unsigned char* pdstBmp) {
    unsigned char strBuf[kCodecWorkLen] = {};
    return reportNamed(guardedCall([&] { return FP_Compress(0, 0, 0, psrcBmp, 6, pdstBmp, strBuf); }),
                       "FP_Compress");
}

int testDeCompress(unsigned char* psrcBmp, unsigned char* pdstBmp) {
    unsigned char strBuf[kCodecWorkLen] = {};
    return reportNamed(guardedCall([&] { return FP_Decompress(psrcBmp, pdstBmp, strBuf); }), "FP_Decompress");
}

int testGenFeatureFromEmpty1(unsigned char* pFea) {
    return reportNamed(guardedCall([&] { return FP_GenFeatureFromEmpty1(0, 0, pFea); }),
                       "FP_GenFeatureFromEmpty1");
}

int testGenFeatureFromEmpty2(unsigned char* pFea) {
    return reportNamed(guardedCall([&] { return FP_GenFeatureFromEmpty2(0, pFea); }),
                       "FP_GenFeatureFromEmpty2");
}
