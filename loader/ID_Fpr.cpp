// The FP_ entry points for the run-time loading build: every call opens
// libID_Fpr.so by name and forwards to the library's own entry point. A missing
// library answers -9, a missing entry point -10.
#include "ID_Fpr.h"

#include "forward.h"

namespace {

constexpr int kLibraryMissing = -9;
constexpr int kEntryPointMissing = -10;

void* dllHandle = nullptr;
std::string openFailure;

using pFP_GetVersion = decltype(&FP_GetVersion);
using pFP_Begin = decltype(&FP_Begin);
using pFP_FeatureExtract = decltype(&FP_FeatureExtract);
using pFP_FeatureMatch = decltype(&FP_FeatureMatch);
using pFP_ImageMatch = decltype(&FP_ImageMatch);
using pFP_Compress = decltype(&FP_Compress);
using pFP_Decompress = decltype(&FP_Decompress);
using pFP_GetQualityScore = decltype(&FP_GetQualityScore);
using pFP_GenFeatureFromEmpty1 = decltype(&FP_GenFeatureFromEmpty1);
using pFP_GenFeatureFromEmpty2 = decltype(&FP_GenFeatureFromEmpty2);
using pFP_End = decltype(&FP_End);

// Each call adds a reference to the library; start-up's FP_Begin keeps it
// loaded for the life of the process, so reopening is cheap.
bool openLibrary() {
    dllHandle = loader::openLibrary("libID_Fpr.so", openFailure);
    return dllHandle != nullptr;
}

template <class Fn, class... Args>
int forward(const char* name, Args... args) {
    if (!openLibrary()) return kLibraryMissing;
    return loader::callOr<Fn>(kEntryPointMissing, dllHandle, name, args...);
}

}  // namespace

// The pointer type is the entry point's name with a p prefix, and the symbol
// looked up is the entry point's own name.
#define TERVO_FORWARD(entry, ...) forward<p##entry>(#entry __VA_OPT__(, ) __VA_ARGS__)

int FP_GetVersion(unsigned char* code) {
    return TERVO_FORWARD(FP_GetVersion, code);
}

int FP_Begin() {
    return TERVO_FORWARD(FP_Begin);
}

int FP_FeatureExtract(unsigned char cScannerType, unsigned char cFingerCode, unsigned char* pFingerImgBuf,
                      unsigned char* pFeatureData) {
    return TERVO_FORWARD(FP_FeatureExtract, cScannerType, cFingerCode, pFingerImgBuf, pFeatureData);
}

int FP_FeatureMatch(unsigned char* pFeatureData1, unsigned char* pFeatureData2, float* pfSimilarity) {
    return TERVO_FORWARD(FP_FeatureMatch, pFeatureData1, pFeatureData2, pfSimilarity);
}

int FP_ImageMatch(unsigned char* pFingerImgBuf, unsigned char* pFeatureData, float* pfSimilarity) {
    return TERVO_FORWARD(FP_ImageMatch, pFingerImgBuf, pFeatureData, pfSimilarity);
}

int FP_Compress(unsigned char cScannerType, unsigned char cEnrolResult, unsigned char cFingerCode,
                unsigned char* pFingerImgBuf, int nCompressRatio, unsigned char* pCompressedImgBuf,
                unsigned char* strBuf) {
    return TERVO_FORWARD(FP_Compress, cScannerType, cEnrolResult, cFingerCode, pFingerImgBuf, nCompressRatio,
                         pCompressedImgBuf, strBuf);
}

int FP_Decompress(unsigned char* pCompressedImgBuf, unsigned char* pFingerImgBuf, unsigned char* strBuf) {
    return TERVO_FORWARD(FP_Decompress, pCompressedImgBuf, pFingerImgBuf, strBuf);
}

int FP_GetQualityScore(unsigned char* pFingerImgBuf, unsigned char* pnScore) {
    return TERVO_FORWARD(FP_GetQualityScore, pFingerImgBuf, pnScore);
}

int FP_GenFeatureFromEmpty1(unsigned char cScannerType, unsigned char cFingerCode,
                            unsigned char* pFeatureData) {
    return TERVO_FORWARD(FP_GenFeatureFromEmpty1, cScannerType, cFingerCode, pFeatureData);
}

int FP_GenFeatureFromEmpty2(unsigned char cFingerCode, unsigned char* pFeatureData) {
    return TERVO_FORWARD(FP_GenFeatureFromEmpty2, cFingerCode, pFeatureData);
}

int FP_End() {
    if (!openLibrary()) return kLibraryMissing;
    const pFP_End end = loader::lookup<pFP_End>(dllHandle, "FP_End");
    if (end == nullptr) return kEntryPointMissing;
    const int ret = end();
    // One reference for this call's own open; the library's state after its
    // FP_End is the library's business.
    dlclose(dllHandle);
    dllHandle = nullptr;
    return ret;
}
