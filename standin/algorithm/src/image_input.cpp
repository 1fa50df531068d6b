#include "image_input.h"

#include <algorithm>
#include <cstring>

#include "checksum.h"
#include "result_codes.h"

namespace tervo::fpr {
namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteOffset = 54;

std::int32_t readSigned32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(readLe32(p));
}

}  // namespace

bool claimsToBeBmp(const std::uint8_t* buffer) {
    return buffer[0] == 'B' && buffer[1] == 'M';
}

bool parseBmpHeader(const std::uint8_t* b, ImageForm& form) {
    if (!claimsToBeBmp(b)) return false;
    const std::uint32_t fileSize = readLe32(b + 2);
    // Writers either leave the size at 0 (the console does) or fill in the true length.
    if (fileSize != 0 && fileSize != kBmpFileSize) return false;
    if (readLe32(b + 10) != kBmpHeaderSize) return false;
    if (readLe32(b + 14) != kInfoHeaderSize) return false;
    if (readSigned32(b + 18) != kWidth) return false;
    const std::int32_t height = readSigned32(b + 22);
    if (height != kHeight && height != -kHeight) return false;
    if (readLe16(b + 26) != 1 || readLe16(b + 28) != 8) return false;
    if (readLe32(b + 30) != 0) return false;  // BI_RGB: no run-length or bit-field coding
    const std::uint32_t imageSize = readLe32(b + 34);
    if (imageSize != 0 && imageSize != kPixelCount) return false;
    const std::uint32_t coloursUsed = readLe32(b + 46);
    if (coloursUsed != 0 && coloursUsed != 256) return false;
    if (readLe32(b + 50) > 256) return false;
    form = height > 0 ? ImageForm::BmpBottomUp : ImageForm::BmpTopDown;
    return true;
}

int decodeImage(const std::uint8_t* buffer, DecodedImage& out) {
    if (buffer == nullptr) return GA_E_INVALID_PARAMETER;
    if (!claimsToBeBmp(buffer)) {
        out.form = ImageForm::Raw;
        std::memcpy(out.pixels.data(), buffer, kPixelCount);
        return GA_OK;
    }
    ImageForm form{};
    if (!parseBmpHeader(buffer, form)) return GA_E_FILEIILEGAL;
    std::uint8_t luminance[256];
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* entry = buffer + kPaletteOffset + 4 * i;  // blue, green, red, reserved
        luminance[i] =
            static_cast<std::uint8_t>((114 * entry[0] + 587 * entry[1] + 299 * entry[2] + 500) / 1000);
    }
    const std::uint8_t* pixels = buffer + kBmpHeaderSize;
    for (int row = 0; row < kHeight; ++row) {
        const int sourceRow = form == ImageForm::BmpBottomUp ? kHeight - 1 - row : row;
        const std::uint8_t* src = pixels + static_cast<std::size_t>(sourceRow) * kWidth;
        std::uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(row) * kWidth;
        for (int x = 0; x < kWidth; ++x) dst[x] = luminance[src[x]];
    }
    out.form = form;
    return GA_OK;
}

void writeIdentityPalette(std::uint8_t* palette) {
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<std::uint8_t>(i);
        palette[4 * i + 3] = 0;
    }
}

void writePixels(const Pixels& pixels, ImageForm form, std::uint8_t* buffer) {
    if (form == ImageForm::Raw) {
        std::memcpy(buffer, pixels.data(), kPixelCount);
        return;
    }
    writeIdentityPalette(buffer + kBmpHeaderSize - 256 * 4);
    std::uint8_t* rows = buffer + kBmpHeaderSize;
    for (int row = 0; row < kHeight; ++row) {
        const int target = form == ImageForm::BmpBottomUp ? kHeight - 1 - row : row;
        std::memcpy(rows + static_cast<std::size_t>(target) * kWidth,
                    pixels.data() + static_cast<std::size_t>(row) * kWidth, kWidth);
    }
}

Pixels movedImage(const Pixels& in, int right, int down) {
    if (right == 0 && down == 0) return in;
    Pixels out;
    for (int y = 0; y < kHeight; ++y) {
        const int from = std::clamp(y - down, 0, kHeight - 1) * kWidth;
        for (int x = 0; x < kWidth; ++x)
            out[y * kWidth + x] = in[from + std::clamp(x - right, 0, kWidth - 1)];
    }
    return out;
}

Pixels movedImage(const Pixels& in, int offset) {
    return movedImage(in, offset, offset);
}

}  // namespace tervo::fpr
