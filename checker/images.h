// Fingerprint images as the contracts pass them: 256 x 360 bytes of gray,
// top row first, or a whole BMP file in the console's layout.
#ifndef TERVO_CHECKER_IMAGES_H
#define TERVO_CHECKER_IMAGES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tervo::check {

constexpr int kWidth = 256;
constexpr int kHeight = 360;
constexpr std::size_t kRawImageBytes = 92160;
constexpr std::size_t kImageBufferBytes = 95160;  // the console's image buffers
constexpr std::size_t kBmpHeaderBytes = 1078;     // file and information headers, 256-entry palette
constexpr std::size_t kBmpFileBytes = kBmpHeaderBytes + kRawImageBytes;

using Image = std::vector<std::uint8_t>;  // kRawImageBytes, top row first

// The whole BMP file the console writes for an image: bottom-up rows after a
// gray palette.
std::vector<std::uint8_t> encodeBmp(const Image& image);
// Reads a 256 x 360 BMP with 8 bits per pixel (palette mapped to gray, either
// row order); false with a reason otherwise.
bool readBmpFile(const std::string& path, Image& image, std::string& error);

Image uniformImage(std::uint8_t gray);
Image noiseImage(std::uint32_t seed);
Image mirrored(const Image& image);
std::vector<std::uint8_t> noiseBytes(std::size_t count, std::uint32_t seed);

// Whether an image shows something: its gray-level spread and the share of
// 16 x 16 blocks whose own spread shows structure (ridges, not a flat sensor).
struct ImageContent {
    double spread = 0;
    double foregroundShare = 0;
};
ImageContent measureContent(const Image& image);
constexpr double kMinSpread = 10;      // gray levels
constexpr double kMinBlockSpread = 9;  // gray levels; a bare sensor's noise stays below
constexpr double kMinForegroundShare = 0.15;
bool showsSomething(const ImageContent& content);
std::string describe(const ImageContent& content);

}  // namespace tervo::check

#endif
