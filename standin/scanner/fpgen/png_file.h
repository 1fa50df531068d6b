// Writes an 8-bit grayscale image as a PNG (for documentation pictures).
#ifndef TERVO_FPGEN_PNG_FILE_H
#define TERVO_FPGEN_PNG_FILE_H

#include <string>

#include "plane.h"

namespace tervo::fpgen {

// Returns false (and leaves no partial file behind) when the file cannot be written.
bool writeGrayPng(const std::string& path, const tervo::synth::GrayImage& image);

}  // namespace tervo::fpgen

#endif
