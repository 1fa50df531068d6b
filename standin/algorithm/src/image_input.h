// Reading the two image forms the console hands over: a raw 256x360 image (top row first) or the whole
// content of a 93238-byte 8-bit BMP file with bottom-up or top-down rows.
#ifndef TERVO_FPR_IMAGE_INPUT_H
#define TERVO_FPR_IMAGE_INPUT_H

#include <array>
#include <cstdint>

#include "geometry.h"

namespace tervo::fpr {

// The scanner type that says an extraction's input is a whole image file, header first; live images
// come with their scanner's own type (the console's captures use 11).
constexpr std::uint8_t kScannerTypeFile = 0;

enum class ImageForm : std::uint8_t { Raw = 0, BmpBottomUp = 1, BmpTopDown = 2 };

using Pixels = std::array<std::uint8_t, kPixelCount>;  // gray levels, top row first

struct DecodedImage {
    ImageForm form = ImageForm::Raw;
    Pixels pixels{};
};

// True when the buffer starts with the BMP signature: such a buffer is held to the full header check and
// never falls back to being read as a raw image.
bool claimsToBeBmp(const std::uint8_t* buffer);

// Full header check of a 256x360 8-bit uncompressed BMP with a 256-entry palette. On success tells the
// row order. Reads only the first kBmpHeaderSize bytes.
bool parseBmpHeader(const std::uint8_t* buffer, ImageForm& form);

// Decodes either form into top-row-first gray levels (BMP pixels go through the palette's luminance).
// Returns GA_OK, GA_E_INVALID_PARAMETER for a null buffer or GA_E_FILEIILEGAL for a broken BMP.
// Reads at most kBmpFileSize bytes.
int decodeImage(const std::uint8_t* buffer, DecodedImage& out);

// The 256-entry palette (4 bytes an entry) that maps each pixel value to its own gray level.
void writeIdentityPalette(std::uint8_t* palette);

// Writes gray levels into a buffer of the given form: a raw image as it is; a BMP's rows in its row
// order after its headers, which must already be in place, with the identity palette that gray levels
// stand for. Writes at most kBmpFileSize bytes.
void writePixels(const Pixels& pixels, ImageForm form, std::uint8_t* buffer);

// The image moved `offset` pixels right and down, the first rows and columns repeated: the same print
// as a capture a little off would give it, with the 8x8 block grids of the codec and the extractor
// falling elsewhere on it.
Pixels movedImage(const Pixels& in, int offset);
// The same, moved `right` and `down` pixels apart.
Pixels movedImage(const Pixels& in, int right, int down);

}  // namespace tervo::fpr

#endif
