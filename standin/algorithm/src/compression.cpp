#include "compression.h"

#include <cstring>
#include <vector>

#include "checksum.h"
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

std::uint32_t containerChecksum(const std::uint8_t* container, std::size_t bodyLength) {
    const std::uint32_t head = crc32(container, 16);
    return crc32(container + kFixedHeader, bodyLength, head);
}

// Highest JPEG quality whose stream fits the budget; quality grows the size monotonically enough for
// a bisection.
bool encodeWithinBudget(const Pixels& pixels, std::size_t budget, std::vector<std::uint8_t>& stream,
                        int& quality) {
    int low = kLowestQuality, high = kHighestQuality, best = -1;
    std::vector<std::uint8_t> candidate;
    while (low <= high) {
        const int mid = (low + high) / 2;
        if (!encodeJpeg(pixels, mid, candidate)) return false;
        if (candidate.size() <= budget) {
            best = mid;
            stream.swap(candidate);
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    quality = best;
    return best >= 0;
}

void writeIdentityPalette(std::uint8_t* palette) {
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<std::uint8_t>(i);
        palette[4 * i + 3] = 0;
    }
}

}  // namespace

int compressImage(const std::uint8_t* image, int ratio, std::uint8_t* out, CompressionReport& report) {
    if (image == nullptr || out == nullptr) return GA_E_INVALID_PARAMETER;
    if (ratio < kMinRatio || ratio > kMaxRatio) return GA_E_INVALID_PARAMETER;
    DecodedImage decoded;
    const int rc = decodeImage(image, decoded);
    if (rc != GA_OK) return rc;
    const bool bmp = decoded.form != ImageForm::Raw;
    const std::size_t limit = kPixelCount / static_cast<std::size_t>(ratio);
    const std::size_t prefix = kFixedHeader + (bmp ? kBmpHeadersSize : 0);
    std::vector<std::uint8_t> stream;
    int quality = 0;
    if (!encodeWithinBudget(decoded.pixels, limit - prefix, stream, quality)) return GA_E_INVALID_PARAMETER;
    std::memcpy(out, kMagic, 4);
    out[4] = kVersion;
    out[5] = static_cast<std::uint8_t>(decoded.form);
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
    if (std::memcmp(in, kMagic, 4) != 0 || in[4] != kVersion || in[5] > 2) return GA_E_FILEIILEGAL;
    const auto form = static_cast<ImageForm>(in[5]);
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
    if (!decodeJpeg(in + prefix, streamLength, pixels)) return GA_E_FILEIILEGAL;
    if (!bmp) {
        std::memcpy(out, pixels.data(), kPixelCount);
        return GA_OK;
    }
    std::memcpy(out, in + kFixedHeader, kBmpHeadersSize);
    writeIdentityPalette(out + kBmpHeadersSize);
    std::uint8_t* rows = out + kBmpHeaderSize;
    for (int row = 0; row < kHeight; ++row) {
        const int target = form == ImageForm::BmpBottomUp ? kHeight - 1 - row : row;
        std::memcpy(rows + static_cast<std::size_t>(target) * kWidth,
                    pixels.data() + static_cast<std::size_t>(row) * kWidth, kWidth);
    }
    return GA_OK;
}

}  // namespace tervo::fpr
