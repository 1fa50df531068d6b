#include "images.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace tervo::check {
namespace {

void put(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get(const std::vector<std::uint8_t>& in, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes; i-- > 0;) value = (value << 8) | in[at + i];
    return value;
}

// Header fields of the console's BMP layout: offset, width in bytes, value.
struct Field {
    std::size_t at;
    int bytes;
    std::uint32_t value;
};
constexpr Field kBmpFields[] = {
    {0, 1, 'B'}, {1, 1, 'M'}, {10, 4, kBmpHeaderBytes}, {14, 4, 40}, {18, 4, kWidth}, {22, 4, kHeight},
    {26, 2, 1},  {28, 2, 8},
};

double spreadOf(const Image& image, int x0, int y0, int width, int height) {
    double sum = 0, squares = 0;
    for (int y = y0; y < y0 + height; ++y)
        for (int x = x0; x < x0 + width; ++x) {
            const double v = image[static_cast<std::size_t>(y) * kWidth + x];
            sum += v;
            squares += v * v;
        }
    const double n = double(width) * height;
    return std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const Image& image) {
    std::vector<std::uint8_t> file(kBmpFileBytes, 0);
    for (const Field& f : kBmpFields) put(file, f.at, f.value, f.bytes);
    for (std::uint32_t i = 0; i < 256; ++i) put(file, 54 + 4 * i, i * 0x010101U, 4);
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(
            image.begin() + static_cast<long>(y) * kWidth, kWidth,
            file.begin() + static_cast<long>(kBmpHeaderBytes) + static_cast<long>(kHeight - 1 - y) * kWidth);
    return file;
}

bool readBmpFile(const std::string& path, Image& image, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') {
        error = path + " is not a BMP file";
        return false;
    }
    const std::uint32_t offset = get(file, 10, 4);
    const auto height = static_cast<std::int32_t>(get(file, 22, 4));
    if (get(file, 18, 4) != kWidth || (height != kHeight && height != -kHeight) || get(file, 28, 2) != 8 ||
        get(file, 30, 4) != 0) {
        error = path + " is not an uncompressed 256 x 360 image with 8 bits per pixel";
        return false;
    }
    const std::uint32_t colours = get(file, 46, 4) == 0 ? 256 : get(file, 46, 4);
    if (colours > 256 || offset < 54 + 4 * colours || file.size() < offset + kRawImageBytes) {
        error = path + " is shorter than its header says";
        return false;
    }
    image.assign(kRawImageBytes, 0);
    for (int y = 0; y < kHeight; ++y) {
        const std::size_t row = offset + static_cast<std::size_t>(height > 0 ? kHeight - 1 - y : y) * kWidth;
        for (int x = 0; x < kWidth; ++x) {
            // The palette entry's blue, green and red, averaged to gray.
            const std::uint8_t index = file[row + x];
            const std::size_t entry = 54 + 4 * std::size_t{index};
            image[static_cast<std::size_t>(y) * kWidth + x] =
                index < colours
                    ? static_cast<std::uint8_t>((file[entry] + file[entry + 1] + file[entry + 2]) / 3)
                    : index;
        }
    }
    return true;
}

Image uniformImage(std::uint8_t gray) {
    return Image(kRawImageBytes, gray);
}

std::vector<std::uint8_t> noiseBytes(std::size_t count, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t state = seed * 2654435761U + 1;
    for (std::uint8_t& b : bytes) {
        // xorshift32: fixed on every platform.
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

Image noiseImage(std::uint32_t seed) {
    return noiseBytes(kRawImageBytes, seed);
}

Image mirrored(const Image& image) {
    Image out(image.size());
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            out[static_cast<std::size_t>(y) * kWidth + x] =
                image[static_cast<std::size_t>(y) * kWidth + kWidth - 1 - x];
    return out;
}

ImageContent measureContent(const Image& image) {
    constexpr int kBlock = 16;
    ImageContent content;
    content.spread = spreadOf(image, 0, 0, kWidth, kHeight);
    int blocks = 0, foreground = 0;
    for (int y = 0; y + kBlock <= kHeight; y += kBlock)
        for (int x = 0; x + kBlock <= kWidth; x += kBlock) {
            ++blocks;
            foreground += spreadOf(image, x, y, kBlock, kBlock) >= kMinBlockSpread;
        }
    content.foregroundShare = double(foreground) / blocks;
    return content;
}

bool showsSomething(const ImageContent& content) {
    return content.spread >= kMinSpread && content.foregroundShare >= kMinForegroundShare;
}

std::string describe(const ImageContent& content) {
    char text[96];
    std::snprintf(text, sizeof text, "gray-level spread %.1f, foreground share %.2f", content.spread,
                  content.foregroundShare);
    return text;
}

}  // namespace tervo::check
