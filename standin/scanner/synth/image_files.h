// Reading and writing 8-bit grayscale image files.
//
// Written BMPs use the console's own layout: 14 + 40 byte header with a zero
// file-size field, a 256-entry gray palette, pixel data at offset 1078,
// bottom-up rows. Readers accept what an operator is likely to drop into a
// replay folder: 8-bit palettised, 24-bit and 32-bit BMP (either row order)
// and binary PGM (P5, 8 or 16 bits), and reject anything malformed.
#ifndef TERVO_SYNTH_IMAGE_FILES_H
#define TERVO_SYNTH_IMAGE_FILES_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plane.h"

namespace tervo::synth {

constexpr std::size_t kBmpPixelOffset = 1078;

std::vector<std::uint8_t> encodeGrayBmp(const GrayImage& image);
bool writeGrayBmp(const std::string& path, const GrayImage& image);

std::optional<GrayImage> decodeBmp(const std::vector<std::uint8_t>& bytes);
std::optional<GrayImage> decodePgm(const std::vector<std::uint8_t>& bytes);

// Reads a BMP or PGM file, recognised by its first bytes; files above 64 MiB are refused.
std::optional<GrayImage> readGrayImageFile(const std::string& path);

// Centres an image of any size on the sensor window, cropping what sticks
// out and padding with white, the colour of an empty optical sensor.
GrayImage fitToSensor(const GrayImage& image);

}  // namespace tervo::synth

#endif
