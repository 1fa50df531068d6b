// Live capture and feature extraction, from the scanner or from image files.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "modulapi.h"

namespace {

int elapsedMs(int64_t since) {
    return static_cast<int>(get_current_timestamp() - since);
}

}  // namespace

int capImg(unsigned char* pBmp) {
    const int64_t start = get_current_timestamp();
    const int ret = LIVESCAN_GetFPRawData(0, pBmp);
    std::printf("get image cost %d ms\r\n", elapsedMs(start));
    if (ret == 1) {
        char name[] = "./Fp.bmp";
        // A capture that cannot be kept says so, rather than leaving an old
        // image in its place without a word.
        if (WriteBMP(name, pBmp, kImageWidth, kImageHeight) != 1)
            std::printf("unable to save %s: %s!\n", name, std::strerror(errno));
    } else {
        std::printf("get Image Fail,ret = %d\n", ret);
    }
    return ret;
}

int capAndExtraFea(unsigned char* pBmp, unsigned char* pFea) {
    // A failed capture does not stop the chain: quality and extraction run on
    // whatever the buffer holds, which is what an operator testing the
    // algorithm library wants to see.
    capImg(pBmp);

    unsigned char score = 0;
    int64_t start = get_current_timestamp();
    FP_GetQualityScore(pBmp, &score);
    std::printf("FP_GetQualityScore cost %d ms\r\n", elapsedMs(start));
    std::printf("质量分数 %d\n", score);

    start = get_current_timestamp();
    const int ret = FP_FeatureExtract(11, 2, pBmp, pFea);
    std::printf("FP_FeatureExtract cost %d ms\r\n", elapsedMs(start));
    if (ret <= 0) std::printf("FP_FeatureExtract Error . Ret = %d\r\n", ret);
    return ret;
}

int getFeaFromFile(char* file, unsigned char* pFingerBmp, unsigned char* pFea) {
    const int read = readFileData(file, pFingerBmp, kBmpFileLen);
    if (read != 1) return read;

    const int extracted = guardedCall([&] { return FP_FeatureExtract(0, 0, pFingerBmp, pFea); });
    if (extracted == 1)
        std::printf("FP_FeatureExtract success!\n");
    else
        std::printf("FP_FeatureExtract faile %d!\n", extracted);

    unsigned char score = 0;
    const int scored = guardedCall([&] { return FP_GetQualityScore(pFingerBmp, &score); });
    if (scored == 1)
        std::printf("get Finger Score %d\n", score);
    else
        std::printf("get Finger Score fail%d\n", scored);
    return scored;
}
