#include "compression.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "block_edge_filter.h"
#include "checksum.h"
#include "encoding_judge.h"
#include "image_input.h"
#include "jpeg_codec.h"
#include "result_codes.h"

namespace tervo::fpr {
namespace {

constexpr std::uint8_t kMagic[4] = {'T', 'V', 'J', 'C'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kFixedHeader = 20;
constexpr std::size_t kBmpHeadersSize = 54;  // file header and information header, without the palette
constexpr int kLowestQuality = 5;
constexpr int kHighestQuality = 95;
// Flag beside the source form: the decoder smooths the block edges (see block_edge_filter.h).
constexpr std::uint8_t kSmoothedEdges = 0x80;

// Quantisation table shapes tried at each size, from the library's standard table to ones that keep
// the ridge band ever finer at the expense of the finest detail (flat up to radius `knee`, then
// steeper by `slope`): the one that serves a print best varies from print to print.
constexpr QuantShape kShapes[] = {{0.0F, 0.0F}, {0.2F, 1.5F}, {0.3F, 2.0F}, {0.4F, 2.5F}, {0.5F, 3.0F},
                                  {0.7F, 3.5F}, {1.0F, 4.0F}, {1.5F, 4.5F}, {2.0F, 5.0F}, {3.0F, 5.5F}};

struct Encoding {
    std::vector<std::uint8_t> stream;
    int quality = -1;
    bool smoothEdges = false;
};

// Finds the highest JPEG quality whose stream fits the budget; the size grows with the quality
// monotonically enough for a bisection. Given a guess (the quality another table shape reached, usually
// a few steps away), it first strides outward from there to bracket the answer.
class QualitySearch {
  public:
    QualitySearch(const Pixels& pixels, const QuantShape& shape, std::size_t budget, Encoding& out)
        : pixels_(pixels), shape_(shape), budget_(budget), out_(out) {
        out_.quality = -1;
    }

    bool run(int guess) {
        if (guess >= kLowestQuality && guess <= kHighestQuality && !strideFrom(guess)) return false;
        while (failing_ - fitting_ > 1) {
            if (!probe((fitting_ + failing_) / 2)) return false;
        }
        return fitting_ >= kLowestQuality;
    }

  private:
    bool strideFrom(int guess) {
        if (!probe(guess)) return false;
        for (int step = 1; failing_ > kHighestQuality && fitting_ < kHighestQuality; step *= 2) {
            if (!probe(std::min(kHighestQuality, fitting_ + step))) return false;
        }
        for (int step = 1; fitting_ < kLowestQuality && failing_ > kLowestQuality; step *= 2) {
            if (!probe(std::max(kLowestQuality, failing_ - step))) return false;
        }
        return true;
    }

    // Every probe lies above the highest quality known to fit, so a fitting stream is the best yet.
    bool probe(int quality) {
        if (!encodeJpeg(pixels_, quality, shape_, candidate_)) return false;
        if (candidate_.size() <= budget_) {
            fitting_ = quality;
            out_.stream.swap(candidate_);
            out_.quality = quality;
        } else {
            failing_ = quality;
        }
        return true;
    }

    const Pixels& pixels_;
    const QuantShape& shape_;
    const std::size_t budget_;
    Encoding& out_;
    std::vector<std::uint8_t> candidate_;
    int fitting_ = kLowestQuality - 1;
    int failing_ = kHighestQuality + 1;
};

// Encodings of one size differ in which details survive, and minutiae react to the slightest change.
// So every table shape is encoded at the budget, each decoded image is judged plain and with its block
// edges smoothed, and the best of them is kept (see encoding_judge.h). The first shape, unsmoothed,
// wins ties, which settles an image without a print at once.
bool chooseEncoding(const Pixels& pixels, std::size_t budget, Encoding& chosen) {
    const EncodingJudge judge(pixels);
    float best = 0.0F;
    Encoding candidate;
    const auto restored = std::make_unique<Pixels>();  // the caller's stack already holds one image
    const auto smoothed = std::make_unique<Pixels>();
    int guess = -1;
    for (const QuantShape& shape : kShapes) {
        if (!QualitySearch(pixels, shape, budget, candidate).run(guess)) continue;
        guess = candidate.quality;
        if (judge.printless()) {
            chosen = std::move(candidate);
            return true;
        }
        int step = 0;
        if (!decodeJpeg(candidate.stream.data(), candidate.stream.size(), *restored, &step)) continue;
        *smoothed = *restored;
        smoothBlockEdges(*smoothed, step);
        for (const bool smooth : {false, true}) {
            if (smooth && *smoothed == *restored) continue;
            const float merit = judge.judge(smooth ? *smoothed : *restored).merit();
            if (chosen.quality < 0 || merit > best) {
                best = merit;
                chosen.stream = candidate.stream;
                chosen.quality = candidate.quality;
                chosen.smoothEdges = smooth;
            }
        }
    }
    return chosen.quality >= 0;
}

}  // namespace

std::uint32_t containerChecksum(const std::uint8_t* container, std::size_t bodyLength) {
    const std::uint32_t head = crc32(container, 16);
    return crc32(container + kFixedHeader, bodyLength, head);
}

int compressImage(const std::uint8_t* image, int ratio, std::uint8_t* out, CompressionReport& report) {
    if (image == nullptr || out == nullptr) return GA_E_INVALID_PARAMETER;
    if (ratio < kMinRatio || ratio > kMaxRatio) return GA_E_INVALID_PARAMETER;
    DecodedImage decoded;
    const int rc = decodeImage(image, decoded);
    if (rc != GA_OK) return rc;
    const bool bmp = decoded.form != ImageForm::Raw;
    const std::size_t limit = kPixelCount / static_cast<std::size_t>(ratio);
    const std::size_t prefix = kFixedHeader + (bmp ? kBmpHeadersSize : 0);
    Encoding encoding;
    if (!chooseEncoding(decoded.pixels, limit - prefix, encoding)) return GA_E_INVALID_PARAMETER;
    const std::vector<std::uint8_t>& stream = encoding.stream;
    const int quality = encoding.quality;
    std::memcpy(out, kMagic, 4);
    out[4] = kVersion;
    out[5] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(decoded.form) |
                                       (encoding.smoothEdges ? kSmoothedEdges : 0));
    out[6] = static_cast<std::uint8_t>(ratio);
    out[7] = static_cast<std::uint8_t>(quality);
    writeLe32(out + 8, static_cast<std::uint32_t>(stream.size()));
    writeLe32(out + 12, static_cast<std::uint32_t>(bmp ? kBmpFileSize : kPixelCount));
    if (bmp) std::memcpy(out + kFixedHeader, image, kBmpHeadersSize);
    std::memcpy(out + prefix, stream.data(), stream.size());
    writeLe32(out + 16, containerChecksum(out, prefix - kFixedHeader + stream.size()));
    report.bytes = prefix + stream.size();
    report.quality = quality;
    return GA_OK;
}

int decompressImage(const std::uint8_t* in, std::uint8_t* out) {
    if (in == nullptr || out == nullptr) return GA_E_INVALID_PARAMETER;
    const std::uint8_t formByte = in[5] & ~kSmoothedEdges;
    if (std::memcmp(in, kMagic, 4) != 0 || in[4] != kVersion || formByte > 2) return GA_E_FILEIILEGAL;
    const auto form = static_cast<ImageForm>(formByte);
    const bool bmp = form != ImageForm::Raw;
    const std::size_t prefix = kFixedHeader + (bmp ? kBmpHeadersSize : 0);
    const std::size_t streamLength = readLe32(in + 8);
    const std::size_t restoredLength = readLe32(in + 12);
    if (restoredLength != (bmp ? kBmpFileSize : kPixelCount)) return GA_E_FILEIILEGAL;
    if (streamLength == 0 || streamLength > kImageBufferSize - prefix) return GA_E_FILEIILEGAL;
    if (readLe32(in + 16) != containerChecksum(in, prefix - kFixedHeader + streamLength))
        return GA_E_FILEIILEGAL;
    ImageForm headerForm{};
    if (bmp) {
        // The stored headers must still describe this image; the palette is not stored, the restored
        // pixels are gray levels and get the identity palette.
        std::uint8_t header[kBmpHeaderSize];
        std::memcpy(header, in + kFixedHeader, kBmpHeadersSize);
        writeIdentityPalette(header + kBmpHeadersSize);
        if (!parseBmpHeader(header, headerForm) || headerForm != form) return GA_E_FILEIILEGAL;
    }
    Pixels pixels;
    int step = 0;
    if (!decodeJpeg(in + prefix, streamLength, pixels, &step)) return GA_E_FILEIILEGAL;
    if ((in[5] & kSmoothedEdges) != 0) smoothBlockEdges(pixels, step);
    if (bmp) std::memcpy(out, in + kFixedHeader, kBmpHeadersSize);
    writePixels(pixels, form, out);
    return GA_OK;
}

}  // namespace tervo::fpr
