// Test double of libID_Fpr.so: every entry point answers what the script says.
#include <cstring>
#include <string>

#include "double_core.h"

#pragma GCC visibility push(default)
#include "ID_Fpr.h"
extern "C" void tervo_double_fpr_configure(const char* script);
#pragma GCC visibility pop

namespace {

constexpr std::size_t kTemplateLen = 512;
constexpr std::size_t kImageLen = 92160;

struct LoadLogger {
    LoadLogger() { dbl::configureFromEnvironment("libID_Fpr.so"); }
    ~LoadLogger() { dbl::logLine("unload libID_Fpr.so"); }
} loadLogger;

void fill(unsigned char* out, std::size_t len, const dbl::Call& c, long long byte) {
    if (out != nullptr && c.writes()) std::memset(out, static_cast<int>(c.integer("fill", byte)), len);
}

int similarity(const dbl::Call& c, float* out) {
    if (out != nullptr && c.writes()) *out = static_cast<float>(c.real("similarity", 0.75));
    return c.result();
}

}  // namespace

void tervo_double_fpr_configure(const char* script) {
    dbl::configure(script);
}

int FP_GetVersion(unsigned char* code) {
    dbl::Call c("FP_GetVersion", {});
    if (c.writes()) {
        const std::string v = c.text("text", "1234");
        std::memset(code, 0, 10);
        std::memcpy(code, v.data(), v.size() < 10 ? v.size() : 10);
    }
    return c.result();
}

int FP_Begin() {
    return dbl::Call("FP_Begin", {}).result();
}

int FP_FeatureExtract(unsigned char cScannerType, unsigned char cFingerCode, unsigned char* /*img*/,
                      unsigned char* pFeatureData) {
    dbl::Call c("FP_FeatureExtract", {cScannerType, cFingerCode});
    fill(pFeatureData, kTemplateLen, c, 0x5A);
    return c.result();
}

int FP_FeatureMatch(unsigned char* f1, unsigned char* f2, float* pfSimilarity) {
    dbl::Call c("FP_FeatureMatch", {});
    dbl::logDigest("template 1", f1, kTemplateLen);
    dbl::logDigest("template 2", f2, kTemplateLen);
    return similarity(c, pfSimilarity);
}

int FP_ImageMatch(unsigned char* img, unsigned char* f, float* pfSimilarity) {
    dbl::Call c("FP_ImageMatch", {});
    dbl::logDigest("image", img, kImageLen);
    dbl::logDigest("template", f, kTemplateLen);
    return similarity(c, pfSimilarity);
}

int FP_Compress(unsigned char cScannerType, unsigned char cEnrolResult, unsigned char cFingerCode,
                unsigned char* /*img*/, int nCompressRatio, unsigned char* pCompressedImgBuf,
                unsigned char* /*work*/) {
    dbl::Call c("FP_Compress", {cScannerType, cEnrolResult, cFingerCode, nCompressRatio});
    fill(pCompressedImgBuf, kImageLen / 6, c, 0xC0);
    return c.result();
}

int FP_Decompress(unsigned char* /*compressed*/, unsigned char* pFingerImgBuf, unsigned char* /*work*/) {
    dbl::Call c("FP_Decompress", {});
    fill(pFingerImgBuf, kImageLen, c, 0x80);
    return c.result();
}

int FP_GetQualityScore(unsigned char* /*img*/, unsigned char* pnScore) {
    dbl::Call c("FP_GetQualityScore", {});
    if (pnScore != nullptr && c.writes()) *pnScore = static_cast<unsigned char>(c.integer("score", 80));
    return c.result();
}

int FP_GenFeatureFromEmpty1(unsigned char cScannerType, unsigned char cFingerCode,
                            unsigned char* pFeatureData) {
    dbl::Call c("FP_GenFeatureFromEmpty1", {cScannerType, cFingerCode});
    fill(pFeatureData, kTemplateLen, c, 0);
    return c.result();
}

int FP_GenFeatureFromEmpty2(unsigned char cFingerCode, unsigned char* pFeatureData) {
    dbl::Call c("FP_GenFeatureFromEmpty2", {cFingerCode});
    fill(pFeatureData, kTemplateLen, c, 0);
    return c.result();
}

int FP_End() {
    return dbl::Call("FP_End", {}).result();
}
