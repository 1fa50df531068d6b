#include "image_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "sensor_geometry.h"

namespace tervo::synth {
namespace {

constexpr std::size_t kMaxFileBytes = 64U << 20;
constexpr int kMaxSide = 16384;

void putLittle(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getLittle(const std::vector<std::uint8_t>& in, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return value;
}

std::uint8_t luminance(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<std::uint8_t>((299U * red + 587U * green + 114U * blue + 500U) / 1000U);
}

}  // namespace

std::vector<std::uint8_t> encodeGrayBmp(const GrayImage& image) {
    const std::size_t rowBytes = (static_cast<std::size_t>(image.width) + 3) / 4 * 4;
    std::vector<std::uint8_t> out(kBmpPixelOffset + rowBytes * image.height, 0);
    out[0] = 'B';
    out[1] = 'M';
    // File-size field stays 0, as in the console's own files.
    putLittle(out, 10, kBmpPixelOffset, 4);
    putLittle(out, 14, 40, 4);
    putLittle(out, 18, static_cast<std::uint32_t>(image.width), 4);
    putLittle(out, 22, static_cast<std::uint32_t>(image.height), 4);
    putLittle(out, 26, 1, 2);
    putLittle(out, 28, 8, 2);
    // Colours-used stays 0 (meaning all 256), byte for byte like the console's own files.
    for (int i = 0; i < 256; ++i) {
        const std::size_t entry = 54 + 4 * static_cast<std::size_t>(i);
        out[entry] = out[entry + 1] = out[entry + 2] = static_cast<std::uint8_t>(i);
    }
    for (int y = 0; y < image.height; ++y)
        std::memcpy(&out[kBmpPixelOffset + rowBytes * (image.height - 1 - y)], image.row(y), image.width);
    return out;
}

bool writeGrayBmp(const std::string& path, const GrayImage& image) {
    const std::vector<std::uint8_t> bytes = encodeGrayBmp(image);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::optional<GrayImage> decodeBmp(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
    const std::uint32_t pixelOffset = getLittle(bytes, 10, 4);
    const std::uint32_t headerSize = getLittle(bytes, 14, 4);
    const auto width = static_cast<std::int32_t>(getLittle(bytes, 18, 4));
    const auto signedHeight = static_cast<std::int32_t>(getLittle(bytes, 22, 4));
    const std::uint32_t bitsPerPixel = getLittle(bytes, 28, 2);
    const std::uint32_t compression = getLittle(bytes, 30, 4);
    if (headerSize < 40 || width <= 0 || width > kMaxSide || signedHeight == 0 || signedHeight < -kMaxSide ||
        signedHeight > kMaxSide || compression != 0)
        return std::nullopt;
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return std::nullopt;
    const int height = signedHeight < 0 ? -signedHeight : signedHeight;
    const std::size_t pixelBytes = bitsPerPixel / 8;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * pixelBytes + 3) / 4 * 4;
    if (pixelOffset > bytes.size() ||
        (bytes.size() - pixelOffset) / rowBytes < static_cast<std::size_t>(height))
        return std::nullopt;

    std::uint8_t palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = static_cast<std::uint8_t>(i);
    if (bitsPerPixel == 8) {
        std::uint32_t colours = getLittle(bytes, 46, 4);
        if (colours == 0 || colours > 256) colours = 256;
        const std::size_t paletteAt = 14 + static_cast<std::size_t>(headerSize);
        for (std::uint32_t i = 0; i < colours && paletteAt + 4 * i + 2 < pixelOffset; ++i) {
            const std::size_t entry = paletteAt + 4 * i;
            palette[i] = luminance(bytes[entry + 2], bytes[entry + 1], bytes[entry]);
        }
    }

    GrayImage image(width, height);
    for (int y = 0; y < height; ++y) {
        const int sourceRow = signedHeight > 0 ? height - 1 - y : y;
        const std::uint8_t* in = &bytes[pixelOffset + rowBytes * static_cast<std::size_t>(sourceRow)];
        std::uint8_t* out = image.row(y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* pixel = in + pixelBytes * x;
            out[x] = bitsPerPixel == 8 ? palette[pixel[0]] : luminance(pixel[2], pixel[1], pixel[0]);
        }
    }
    return image;
}

std::optional<GrayImage> decodePgm(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '5') return std::nullopt;
    std::size_t at = 2;
    long fields[3] = {0, 0, 0};  // width, height, maximum value
    for (long& field : fields) {
        while (at < bytes.size()) {
            if (bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n') ++at;
            } else if (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n') {
                ++at;
            } else {
                break;
            }
        }
        if (at >= bytes.size() || bytes[at] < '0' || bytes[at] > '9') return std::nullopt;
        while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && field <= 1000000)
            field = field * 10 + (bytes[at++] - '0');
    }
    // Exactly one white-space byte separates the header from the pixels.
    if (at >= bytes.size()) return std::nullopt;
    ++at;
    const long width = fields[0];
    const long height = fields[1];
    const long maximum = fields[2];
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || maximum <= 0 || maximum > 65535)
        return std::nullopt;
    const std::size_t sampleBytes = maximum > 255 ? 2 : 1;
    const std::size_t needed = static_cast<std::size_t>(width) * height * sampleBytes;
    if (bytes.size() - at < needed) return std::nullopt;

    GrayImage image(static_cast<int>(width), static_cast<int>(height));
    for (std::size_t i = 0; i < image.values.size(); ++i) {
        const std::size_t sample = at + i * sampleBytes;
        const long value = sampleBytes == 2 ? (bytes[sample] << 8 | bytes[sample + 1]) : bytes[sample];
        image.values[i] = static_cast<std::uint8_t>((std::min(value, maximum) * 255 + maximum / 2) / maximum);
    }
    return image;
}

std::optional<GrayImage> readGrayImageFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size <= 0 || static_cast<std::size_t>(size) > kMaxFileBytes) return std::nullopt;
    file.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return decodeBmp(bytes);
    return decodePgm(bytes);
}

GrayImage fitToSensor(const GrayImage& image) {
    GrayImage fitted(kSensorWidth, kSensorHeight, 255);
    // Offsets of the source's top-left corner on the sensor (negative: cropped).
    const int offsetX = (kSensorWidth - image.width) / 2;
    const int offsetY = (kSensorHeight - image.height) / 2;
    for (int y = 0; y < kSensorHeight; ++y) {
        const int sourceY = y - offsetY;
        if (sourceY < 0 || sourceY >= image.height) continue;
        for (int x = 0; x < kSensorWidth; ++x) {
            const int sourceX = x - offsetX;
            if (sourceX >= 0 && sourceX < image.width) fitted.at(x, y) = image.at(sourceX, sourceY);
        }
    }
    return fitted;
}

}  // namespace tervo::synth
