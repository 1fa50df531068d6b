// Test double of libID_Fpr.so: every entry point answers what the script says.
//
// With `content=1` it also behaves as a small but honest algorithm library,
// for the compliance checker: a template is the magic "TDBL" and the means of
// 16 x 16 blocks of the image (raw, or a BMP file in the console's layout), two
// templates are as similar as their block means, an empty template ("TDBE")
// matches nothing, the quality is the image's gray-level spread discounted by
// its roughness (blank and noise score 0), the compressed image ("TDBC") is the
// block means, and anything without a magic answers -102.
//
// Faults to plant in content mode, each breaking one promise:
//   FP_FeatureExtract.overrun=N   N bytes written past the template (also Empty1/2)
//   FP_FeatureExtract.drift=1     a call counter in the template's last byte
//   FP_FeatureExtract.bmp=0       a BMP file read as if it were a raw image
//   FP_FeatureMatch.skew=D        D added when the first template sorts first
//   FP_FeatureMatch.scale=F       every similarity times F (also FP_ImageMatch)
//   FP_FeatureMatch.floor=F       no similarity below F
//   FP_FeatureMatch.empty=F       what an empty template scores
//   FP_FeatureMatch.overrun=N     N bytes written past the similarity
//   Entry.garbage=crash|accept    input without a magic crashes, or answers 1
//   FP_Compress.size=N            the compressed image is N bytes long
//   FP_Compress.work=N            N bytes written into the work buffer (also FP_Decompress)
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "double_core.h"

#pragma GCC visibility push(default)
#include "ID_Fpr.h"
extern "C" void tervo_double_fpr_configure(const char* script);
#pragma GCC visibility pop

namespace {

namespace dbl = tervo::test::dbl;

constexpr std::size_t kTemplateLen = 512;
constexpr int kWidth = 256;
constexpr int kHeight = 360;
constexpr std::size_t kImageLen = kWidth * kHeight;
constexpr int kBmpPixelOffset = 1078;
constexpr int kBlock = 16;
constexpr int kBlockColumns = kWidth / kBlock;
constexpr int kBlockRows = kHeight / kBlock;
constexpr std::size_t kMeans = kBlockColumns * kBlockRows;
constexpr std::size_t kMagicLen = 4;
constexpr int kFileIllegal = -102;

struct LoadLogger {
    LoadLogger() { dbl::configureFromEnvironment("libID_Fpr.so"); }
    ~LoadLogger() { dbl::logLine("unload libID_Fpr.so"); }
} loadLogger;

bool contentMode() {
    return dbl::setting("content", "0") == "1";
}

bool hasMagic(const unsigned char* data, const char* magic) {
    return data != nullptr && std::memcmp(data, magic, kMagicLen) == 0;
}

// Writes len bytes (the scripted fill byte) and any scripted overrun past them.
void fill(unsigned char* out, std::size_t len, const dbl::Call& c, long long byte) {
    if (out == nullptr || !c.writes()) return;
    std::memset(out, static_cast<int>(c.integer("fill", byte)), len);
    std::memset(out + len, 0xEE, static_cast<std::size_t>(c.integer("overrun", 0)));
}

// The image's pixels, top row first, from a raw image or a BMP file.
std::vector<unsigned char> pixelsOf(const unsigned char* image, bool readBmp = true) {
    std::vector<unsigned char> pixels(image, image + kImageLen);
    if (readBmp && image[0] == 'B' && image[1] == 'M' && image[10] == (kBmpPixelOffset & 0xFF) &&
        image[11] == (kBmpPixelOffset >> 8))
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(&pixels[y * kWidth], image + kBmpPixelOffset + (kHeight - 1 - y) * kWidth, kWidth);
    return pixels;
}

std::vector<unsigned char> blockMeans(const std::vector<unsigned char>& pixels) {
    std::vector<unsigned char> means(kMeans);
    for (int by = 0; by < kBlockRows; ++by)
        for (int bx = 0; bx < kBlockColumns; ++bx) {
            int sum = 0;
            for (int y = 0; y < kBlock; ++y)
                for (int x = 0; x < kBlock; ++x) sum += pixels[(by * kBlock + y) * kWidth + bx * kBlock + x];
            means[by * kBlockColumns + bx] = static_cast<unsigned char>(sum / (kBlock * kBlock));
        }
    return means;
}

void writeRecord(unsigned char* out, const char* magic, const std::vector<unsigned char>& body,
                 std::size_t len) {
    std::memset(out, 0, len);
    std::memcpy(out, magic, kMagicLen);
    std::memcpy(out + kMagicLen, body.data(), std::min(body.size(), len - kMagicLen));
}

int qualityOf(const std::vector<unsigned char>& pixels) {
    double sum = 0, squares = 0, steps = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        sum += pixels[i];
        squares += double(pixels[i]) * pixels[i];
        if (i % kWidth != 0) steps += std::abs(pixels[i] - pixels[i - 1]);
    }
    const double n = double(pixels.size());
    const double spread = std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
    if (spread < 4) return 0;
    // Neighbours of uniform noise differ by 1.13 times the spread on average.
    const double roughness = steps / (n - kHeight) / (1.13 * spread);
    return static_cast<int>(std::clamp(100.0 * (1.0 - roughness), 0.0, 100.0));
}

// What a library does with input it does not recognise.
int garbage(const dbl::Call& c) {
    const std::string answer = c.text("garbage", "");
    if (answer == "crash") dbl::crash();
    return answer == "accept" ? 1 : kFileIllegal;
}

void writeSimilarity(const dbl::Call& c, float* out, double similarity) {
    if (out == nullptr || !c.writes()) return;
    *out = static_cast<float>(similarity);
    std::memset(out + 1, 0xEE, static_cast<std::size_t>(c.integer("overrun", 0)));
}

int similarityOf(const dbl::Call& c, const unsigned char* a, const unsigned char* b, float* out) {
    if (hasMagic(a, "TDBE") || hasMagic(b, "TDBE")) {
        writeSimilarity(c, out, c.real("empty", 0));
        return c.result();
    }
    if (!hasMagic(a, "TDBL") || !hasMagic(b, "TDBL")) return garbage(c);
    double difference = 0;
    for (std::size_t i = kMagicLen; i < kMagicLen + kMeans; ++i) difference += std::abs(a[i] - b[i]);
    double similarity = std::clamp(1.0 - difference / kMeans / 64.0, 0.0, 1.0) * c.real("scale", 1);
    similarity = std::max(similarity, c.real("floor", 0));
    if (std::memcmp(a, b, kTemplateLen) < 0) similarity += c.real("skew", 0);
    writeSimilarity(c, out, similarity);
    return c.result();
}

void useWorkBuffer(const dbl::Call& c, unsigned char* work) {
    if (work != nullptr) std::memset(work, 'w', static_cast<std::size_t>(c.integer("work", 0)));
}

int similarity(const dbl::Call& c, float* out) {
    if (out != nullptr && c.writes()) *out = static_cast<float>(c.real("similarity", 0.75));
    return c.result();
}

// Each entry point of the table as a type, to pick its behaviour by.
namespace entry {
#define TERVO_FP_ENTRY(name, parameters, arguments) \
    struct name {                                   \
        static constexpr const char* text = #name;  \
    };
#define TERVO_FP_LIFECYCLE TERVO_FP_ENTRY
#include "fp_entries.def"
#undef TERVO_FP_LIFECYCLE
#undef TERVO_FP_ENTRY
}  // namespace entry

// What an entry point does: by default it answers the scripted result and
// writes nothing. The entry points that write something specialise it.
template <class Entry, class... Args>
int answer(Args... args) {
    return dbl::Call(Entry::text, dbl::numbersOf(args...)).result();
}

template <>
int answer<entry::FP_GetVersion>(unsigned char* code) {
    dbl::Call c("FP_GetVersion", {});
    if (c.writes()) {
        const std::string v = c.text("text", "1234");
        std::memset(code, 0, 10);
        std::memcpy(code, v.data(), v.size() < 10 ? v.size() : 10);
    }
    return c.result();
}

template <>
int answer<entry::FP_FeatureExtract>(unsigned char cScannerType, unsigned char cFingerCode,
                                     unsigned char* pFingerImgBuf, unsigned char* pFeatureData) {
    dbl::Call c("FP_FeatureExtract", {cScannerType, cFingerCode});
    fill(pFeatureData, kTemplateLen, c, 0x5A);
    if (contentMode() && pFingerImgBuf != nullptr && pFeatureData != nullptr && c.writes()) {
        writeRecord(pFeatureData, "TDBL", blockMeans(pixelsOf(pFingerImgBuf, c.integer("bmp", 1) != 0)),
                    kTemplateLen);
        static unsigned char calls = 0;
        if (c.integer("drift", 0) != 0) pFeatureData[kTemplateLen - 1] = ++calls;
    }
    return c.result();
}

template <>
int answer<entry::FP_FeatureMatch>(unsigned char* pFeatureData1, unsigned char* pFeatureData2,
                                   float* pfSimilarity) {
    dbl::Call c("FP_FeatureMatch", {});
    dbl::logDigest("template 1", pFeatureData1, kTemplateLen);
    dbl::logDigest("template 2", pFeatureData2, kTemplateLen);
    if (contentMode()) return similarityOf(c, pFeatureData1, pFeatureData2, pfSimilarity);
    return similarity(c, pfSimilarity);
}

template <>
int answer<entry::FP_ImageMatch>(unsigned char* pFingerImgBuf, unsigned char* pFeatureData,
                                 float* pfSimilarity) {
    dbl::Call c("FP_ImageMatch", {});
    dbl::logDigest("image", pFingerImgBuf, kImageLen);
    dbl::logDigest("template", pFeatureData, kTemplateLen);
    if (!contentMode()) return similarity(c, pfSimilarity);
    if (pFingerImgBuf == nullptr) return garbage(c);
    std::vector<unsigned char> probe(kTemplateLen);
    writeRecord(probe.data(), "TDBL", blockMeans(pixelsOf(pFingerImgBuf)), kTemplateLen);
    return similarityOf(c, probe.data(), pFeatureData, pfSimilarity);
}

template <>
int answer<entry::FP_Compress>(unsigned char cScannerType, unsigned char cEnrolResult,
                               unsigned char cFingerCode, unsigned char* pFingerImgBuf, int nCompressRatio,
                               unsigned char* pCompressedImgBuf, unsigned char* strBuf) {
    dbl::Call c("FP_Compress", {cScannerType, cEnrolResult, cFingerCode, nCompressRatio});
    useWorkBuffer(c, strBuf);
    const bool content = contentMode();
    const auto size =
        static_cast<std::size_t>(c.integer("size", content ? kMagicLen + kMeans : kImageLen / 6));
    fill(pCompressedImgBuf, size, c, 0xC0);
    if (content && pFingerImgBuf != nullptr && pCompressedImgBuf != nullptr && c.writes())
        writeRecord(pCompressedImgBuf, "TDBC", blockMeans(pixelsOf(pFingerImgBuf)), size);
    return c.result();
}

template <>
int answer<entry::FP_Decompress>(unsigned char* pCompressedImgBuf, unsigned char* pFingerImgBuf,
                                 unsigned char* strBuf) {
    dbl::Call c("FP_Decompress", {});
    useWorkBuffer(c, strBuf);
    if (!contentMode()) {
        fill(pFingerImgBuf, kImageLen, c, 0x80);
        return c.result();
    }
    if (!hasMagic(pCompressedImgBuf, "TDBC")) return garbage(c);
    if (pFingerImgBuf != nullptr && c.writes())
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pFingerImgBuf[y * kWidth + x] =
                    pCompressedImgBuf[kMagicLen + std::min(y / kBlock, kBlockRows - 1) * kBlockColumns +
                                      x / kBlock];
    return c.result();
}

template <>
int answer<entry::FP_GetQualityScore>(unsigned char* pFingerImgBuf, unsigned char* pnScore) {
    dbl::Call c("FP_GetQualityScore", {});
    const int fallback = contentMode() && pFingerImgBuf != nullptr ? qualityOf(pixelsOf(pFingerImgBuf)) : 80;
    if (pnScore != nullptr && c.writes()) *pnScore = static_cast<unsigned char>(c.integer("score", fallback));
    return c.result();
}

template <>
int answer<entry::FP_GenFeatureFromEmpty1>(unsigned char cScannerType, unsigned char cFingerCode,
                                           unsigned char* pFeatureData) {
    dbl::Call c("FP_GenFeatureFromEmpty1", {cScannerType, cFingerCode});
    fill(pFeatureData, kTemplateLen, c, 0);
    if (contentMode() && pFeatureData != nullptr && c.writes()) std::memcpy(pFeatureData, "TDBE", kMagicLen);
    return c.result();
}

template <>
int answer<entry::FP_GenFeatureFromEmpty2>(unsigned char cFingerCode, unsigned char* pFeatureData) {
    dbl::Call c("FP_GenFeatureFromEmpty2", {cFingerCode});
    fill(pFeatureData, kTemplateLen, c, 0);
    if (contentMode() && pFeatureData != nullptr && c.writes()) std::memcpy(pFeatureData, "TDBE", kMagicLen);
    return c.result();
}

}  // namespace

void tervo_double_fpr_configure(const char* script) {
    dbl::configure(script);
}

// NOLINTBEGIN(bugprone-macro-parentheses)
#define TERVO_FP_ENTRY(name, parameters, arguments) \
    int name parameters {                           \
        return answer<entry::name> arguments;       \
    }
// NOLINTEND(bugprone-macro-parentheses)
#define TERVO_FP_LIFECYCLE TERVO_FP_ENTRY
#include "fp_entries.def"
#undef TERVO_FP_LIFECYCLE
#undef TERVO_FP_ENTRY
