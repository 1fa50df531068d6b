// Sequential JPEG coding of 256x360 gray images through libjpeg-turbo (arithmetic-coded; the decoder also
// reads the Huffman-coded streams of older containers), with every library error turned
// into a false result instead of the library's default exit.
#ifndef TERVO_FPR_JPEG_CODEC_H
#define TERVO_FPR_JPEG_CODEC_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image_input.h"

namespace tervo::fpr {

// Shape of the quantisation table before the quality scaling: slope 0 is the library's standard table;
// otherwise the step is flat (16) up to a radius `knee` in the 8x8 frequency plane, where the ridge
// frequencies of a 500 dpi print lie, and grows by `slope` x 16 per unit of radius beyond it.
struct QuantShape {
    float slope = 0.0F;
    float knee = 0.0F;
};

bool encodeJpeg(const Pixels& pixels, int quality, const QuantShape& shape, std::vector<std::uint8_t>& out);
// Optionally tells the quantisation step of the stream's lowest frequencies, the measure of how coarse
// its block edges may be (see block_edge_filter.h).
bool decodeJpeg(const std::uint8_t* data, std::size_t length, Pixels& out, int* lowFrequencyStep = nullptr);

}  // namespace tervo::fpr

#endif
