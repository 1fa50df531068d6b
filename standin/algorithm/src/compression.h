// The compressed image container written by FP_Compress.
//
//   offset size  field
//        0    4  magic "TVJC"
//        4    1  layout version (1)
//        5    1  source form: 0 raw image, 1 BMP bottom-up rows, 2 BMP top-down rows; plus 0x80 when the
//                 decoder is to smooth the block edges (see block_edge_filter.h)
//        6    1  requested ratio
//        7    1  JPEG quality used
//        8    4  JPEG stream length (LE)
//       12    4  length of the restored buffer: 92160 or 93238 (LE)
//       16    4  CRC-32 of bytes 0..15 followed by everything after byte 19 (LE)
//       20   54  only for a BMP source: its file and information headers, restored verbatim
//        .    .  JPEG stream: 8-bit gray, one sequential scan, arithmetic-coded (Huffman-coded in older
//                 containers, still read); its quantisation table is one of a few shapes, see compression.cpp
// The whole container is at most 92160 / ratio bytes.
#ifndef TERVO_FPR_COMPRESSION_H
#define TERVO_FPR_COMPRESSION_H

#include <cstddef>
#include <cstdint>

namespace tervo::fpr {

constexpr int kMinRatio = 2;
constexpr int kMaxRatio = 30;

struct CompressionReport {
    std::size_t bytes = 0;
    int quality = 0;
};

// Reads an image buffer (raw or BMP file), writes the container into out (capacity kImageBufferSize).
int compressImage(const std::uint8_t* image, int ratio, std::uint8_t* out, CompressionReport& report);

// Reads a container from a buffer of kImageBufferSize bytes and restores the original form into out
// (capacity kImageBufferSize). Garbage answers GA_E_FILEIILEGAL.
int decompressImage(const std::uint8_t* container, std::uint8_t* out);

// The checksum of bytes 16..19: CRC-32 of the first 16 bytes and of the `bodyLength` bytes after the
// 20-byte fixed header (the BMP headers, if any, and the JPEG stream).
std::uint32_t containerChecksum(const std::uint8_t* container, std::size_t bodyLength);

}  // namespace tervo::fpr

#endif
