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

bool encodeJpeg(const Pixels& pixels, int quality, std::vector<std::uint8_t>& out);
bool decodeJpeg(const std::uint8_t* data, std::size_t length, Pixels& out);

}  // namespace tervo::fpr

#endif
