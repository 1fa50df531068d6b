// The FP_ entry points of libID_Fpr.so: argument checks, the ready state and the translation between
// the console's buffers and the pipeline. Nothing here prints to stdout, and no exception leaves.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include "ID_Fpr.h"
#include "compression.h"
#include "extractor.h"
#include "feature_template.h"
#include "image_input.h"
#include "matcher.h"
#include "prepared_cache.h"
#include "result_codes.h"

#define TERVO_EXPORT extern "C" __attribute__((visibility("default")))

namespace tervo::fpr {
namespace {

std::atomic<bool> ready{false};

constexpr std::uint8_t kVersionRecord[10] = {'T', 'V', 'F', 'A', 1, 0, 1, 1, 0, 0};

template <typename Work>
int guarded(Work&& work) {
    if (!ready.load()) return GA_E_DEVICE_NOINIT;
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return GA_E_INSERFICIENT_MEMORY;
    } catch (...) {
        return GA_E_RESERVED;
    }
}

int extractInto(const std::uint8_t* image, std::uint8_t scannerType, std::uint8_t fingerCode,
                FeatureTemplate& t) {
    DecodedImage decoded;
    const int rc = decodeImage(image, decoded);
    if (rc != GA_OK) return rc;
    t = extractFeatures(decoded.pixels, scannerType, fingerCode);
    return GA_OK;
}

void writeNote(unsigned char* strBuf, const char* text) {
    if (strBuf != nullptr) std::snprintf(reinterpret_cast<char*>(strBuf), 256, "%s", text);
}

}  // namespace
}  // namespace tervo::fpr

using namespace tervo;
using namespace tervo::fpr;

TERVO_EXPORT int FP_GetVersion(unsigned char* code) {
    if (code == nullptr) return GA_E_INVALID_PARAMETER;
    std::memcpy(code, kVersionRecord, sizeof kVersionRecord);
    return GA_OK;
}

TERVO_EXPORT int FP_Begin(void) {
    try {
        // One throw-away extraction builds the filter bank now rather than during the first capture.
        static const bool warmed = [] {
            Pixels blank{};
            blank.fill(255);
            (void)extractFeatures(blank, 0, 0);
            return true;
        }();
        (void)warmed;
    } catch (const std::bad_alloc&) {
        return GA_E_INSERFICIENT_MEMORY;
    }
    ready.store(true);
    return GA_OK;
}

TERVO_EXPORT int FP_End(void) {
    ready.store(false);
    clearPreparedCache();
    return GA_OK;
}

TERVO_EXPORT int FP_FeatureExtract(unsigned char cScannerType, unsigned char cFingerCode,
                                   unsigned char* pFingerImgBuf, unsigned char* pFeatureData) {
    return guarded([&] {
        if (pFingerImgBuf == nullptr || pFeatureData == nullptr) return GA_E_INVALID_PARAMETER;
        // An image file must be a BMP: bytes without the signature are refused, never read as raw pixels.
        if (cScannerType == kScannerTypeFile && !claimsToBeBmp(pFingerImgBuf)) return GA_E_FILEIILEGAL;
        FeatureTemplate t;
        const int rc = extractInto(pFingerImgBuf, cScannerType, cFingerCode, t);
        if (rc == GA_OK) encodeTemplate(t, pFeatureData);
        return rc;
    });
}

TERVO_EXPORT int FP_FeatureMatch(unsigned char* pFeatureData1, unsigned char* pFeatureData2,
                                 float* pfSimilarity) {
    return guarded([&] {
        if (pFeatureData1 == nullptr || pFeatureData2 == nullptr || pfSimilarity == nullptr) {
            return GA_E_INVALID_PARAMETER;
        }
        const PreparedTemplate *a = nullptr, *b = nullptr;
        if (!preparePair(pFeatureData1, pFeatureData2, a, b)) return GA_E_FILEIILEGAL;
        *pfSimilarity = matchPrepared(*a, *b).similarity;
        return GA_OK;
    });
}

TERVO_EXPORT int FP_ImageMatch(unsigned char* pFingerImgBuf, unsigned char* pFeatureData,
                               float* pfSimilarity) {
    return guarded([&] {
        if (pFingerImgBuf == nullptr || pFeatureData == nullptr || pfSimilarity == nullptr) {
            return GA_E_INVALID_PARAMETER;
        }
        FeatureTemplate stored;
        if (!decodeTemplate(pFeatureData, stored)) return GA_E_FILEIILEGAL;
        FeatureTemplate probe;
        const int rc = extractInto(pFingerImgBuf, 0, stored.fingerCode, probe);
        if (rc != GA_OK) return rc;
        // Through the byte form, so that an image match gives exactly what a template match would.
        std::uint8_t encoded[kTemplateSize];
        encodeTemplate(probe, encoded);
        const PreparedTemplate *a = nullptr, *b = nullptr;
        if (!preparePair(encoded, pFeatureData, a, b)) return GA_E_FILEIILEGAL;
        *pfSimilarity = matchPrepared(*a, *b).similarity;
        return GA_OK;
    });
}

TERVO_EXPORT int FP_Compress(unsigned char cScannerType, unsigned char cEnrolResult,
                             unsigned char cFingerCode, unsigned char* pFingerImgBuf, int nCompressRatio,
                             unsigned char* pCompressedImgBuf, unsigned char* strBuf) {
    (void)cScannerType;
    (void)cEnrolResult;
    (void)cFingerCode;
    return guarded([&] {
        CompressionReport report;
        const int rc = compressImage(pFingerImgBuf, nCompressRatio, pCompressedImgBuf, report);
        if (rc == GA_OK && strBuf != nullptr) {
            std::snprintf(reinterpret_cast<char*>(strBuf), 256, "JPEG quality %d, %zu bytes", report.quality,
                          report.bytes);
        }
        return rc;
    });
}

TERVO_EXPORT int FP_Decompress(unsigned char* pCompressedImgBuf, unsigned char* pFingerImgBuf,
                               unsigned char* strBuf) {
    return guarded([&] {
        const int rc = decompressImage(pCompressedImgBuf, pFingerImgBuf);
        if (rc == GA_OK) writeNote(strBuf, "restored");
        return rc;
    });
}

TERVO_EXPORT int FP_GetQualityScore(unsigned char* pFingerImgBuf, unsigned char* pnScore) {
    return guarded([&] {
        if (pFingerImgBuf == nullptr || pnScore == nullptr) return GA_E_INVALID_PARAMETER;
        DecodedImage decoded;
        const int rc = decodeImage(pFingerImgBuf, decoded);
        if (rc != GA_OK) return rc;
        *pnScore = qualityOfImage(decoded.pixels);
        return GA_OK;
    });
}

TERVO_EXPORT int FP_GenFeatureFromEmpty1(unsigned char cScannerType, unsigned char cFingerCode,
                                         unsigned char* pFeatureData) {
    return guarded([&] {
        if (pFeatureData == nullptr) return GA_E_INVALID_PARAMETER;
        FeatureTemplate t;
        t.empty = true;
        t.scannerType = cScannerType;
        t.fingerCode = cFingerCode;
        encodeTemplate(t, pFeatureData);
        return GA_OK;
    });
}

TERVO_EXPORT int FP_GenFeatureFromEmpty2(unsigned char cFingerCode, unsigned char* pFeatureData) {
    return FP_GenFeatureFromEmpty1(0, cFingerCode, pFeatureData);
}
