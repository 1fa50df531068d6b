// One-to-many search of a live finger against the templates in "lib.dat".
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "modulapi.h"

namespace {

constexpr int kQualityThreshold = 60;  // a quality of 60 or less is captured again
constexpr int kVerifyThreshold = 600;  // a scaled score above this is a verified match
constexpr float kScoreScale = 1000.0F;
constexpr int kReconnectAttempts = 100;

long long msSince(int64_t start) {
    return static_cast<long long>(get_current_timestamp() - start);
}

// The whole library file in a new buffer; null, after one line saying why, when
// it cannot be had.
unsigned char* readLibrary(std::FILE* lib, int* filesize) {
    unsigned char* LibBuf = nullptr;
    switch (readWholeFile(lib, &LibBuf, filesize)) {
        case WholeFileRead::Read:
            return LibBuf;
        case WholeFileRead::TooLarge:
            std::printf("lib.dat is too large to search!\n");
            break;
        case WholeFileRead::NoMemory:
            std::printf("unable to malloc %d bytes memory!\n", *filesize);
            break;
        case WholeFileRead::ShortRead:
            std::printf("fread lib.dat fail!\n");
            break;
    }
    return nullptr;
}

// Scales a similarity the way the report shows it: the product rounded to a
// 32-bit float, then truncated; out-of-range values are clamped, not undefined.
int scaledScore(float similarity) {
    const volatile float product = similarity * kScoreScale;
    if (product >= static_cast<float>(INT_MAX)) return INT_MAX;
    return static_cast<int>(product);
}

// Matches the live template against the library and prints the verdict.
void searchLibrary(std::FILE* lib, unsigned char* pFtr, unsigned char** LibBuf) {
    int filesize = 0;
    *LibBuf = readLibrary(lib, &filesize);
    if (*LibBuf == nullptr) return;
    const int FingerNum = filesize / kFeatureLen;
    int FeatureID = -1;
    int Score = 0;
    const int64_t start = get_current_timestamp();
    FingerMatch1vN(pFtr, *LibBuf, FingerNum, &FeatureID, &Score);
    const long long spent = msSince(start);
    if (Score > kVerifyThreshold)
        std::printf("验证成功，指纹保存位置ID=%d 得分 %d  \r\n耗时%lld ms\n", FeatureID, Score, spent);
    else
        std::printf("验证失败，指纹保存位置ID=%d 得分 %d  \r\n耗时%lld ms\n", FeatureID, Score, spent);
}

}  // namespace

int FingerMatch1vN(unsigned char* ptr1, unsigned char* ptrn, int num, int* FeatureID, int* score) {
    const int64_t start = get_current_timestamp();
    float best = 0;
    int bestPos = 0;
    bool anyMatched = false;
    for (int i = 0; i < num; ++i) {
        // Reset for every call: a call that fails or writes nothing must not
        // repeat the previous similarity at another position.
        float similarity = 0;
        if (FP_FeatureMatch(ptr1, ptrn + static_cast<std::size_t>(kFeatureLen) * i, &similarity) != 1)
            continue;
        anyMatched = true;
        // Strictly greater: ties keep the earlier position, NaN never wins.
        if (similarity > best) {
            best = similarity;
            bestPos = i;
        }
    }
    std::printf("FeaturSimilaritySort cost %lld ms\n", msSince(start));
    if (!anyMatched) return -1;
    *FeatureID = bestPos;
    *score = scaledScore(best);
    return 0;
}

int waitForReconnect(int delay0_1s) {
    LIVESCAN_Close();
    for (int attempt = 0; attempt < delay0_1s; ++attempt) {
        usleep(100000);
        // Opened means 1, as at start-up and in the cycle test.
        if (LIVESCAN_Init() == 1) return 1;
    }
    return -1;
}

void* PC_Serch(void* /*arg*/) {
    unsigned char* ImageBuf = static_cast<unsigned char*>(std::malloc(ImageLen));
    if (ImageBuf == nullptr) {
        std::printf("unable to malloc %d bytes memory!\n", ImageLen);
        return nullptr;
    }
    std::printf("serch\r\n");
    std::FILE* lib = std::fopen("lib.dat", "rb");
    if (lib == nullptr) {
        std::printf("文件打开失败\r\n");
        std::free(ImageBuf);
        return nullptr;
    }
    unsigned char pFtr[kFeatureLen] = {};
    unsigned char* LibBuf = nullptr;
    for (;;) {
        std::printf("get fp data\r\n");
        const int ret = LIVESCAN_GetFPRawData(0, ImageBuf);
        if (ret == 1) {
            unsigned char quality = 0;
            FP_GetQualityScore(ImageBuf, &quality);
            if (quality <= kQualityThreshold) {
                std::printf("质量分数过低\r\n质量分数 %d\r\n", quality);
                continue;
            }
            const int64_t start = get_current_timestamp();
            if (FP_FeatureExtract(11, 2, ImageBuf, pFtr) != 1) {
                std::printf("提取特征失败\r\n");
                break;
            }
            std::printf("提取特征成功，耗时%lld ms\n", msSince(start));
            searchLibrary(lib, pFtr, &LibBuf);
            break;
        }
        if (ret == -1 || ret == -2) {
            std::printf("device connect error ! Waiting for reconnect \r\n");
            if (waitForReconnect(kReconnectAttempts) >= 0) continue;
            break;
        }
    }
    std::fclose(lib);
    std::printf("free libbuf");
    std::free(LibBuf);
    std::printf("free ImageBuf");
    std::free(ImageBuf);
    return nullptr;
}
