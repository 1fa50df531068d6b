// CRC-32 (IEEE 802.3 polynomial, reflected), used by the template and the compressed stream.
#ifndef TERVO_FPR_CHECKSUM_H
#define TERVO_FPR_CHECKSUM_H

#include <cstddef>
#include <cstdint>

namespace tervo::fpr {

std::uint32_t crc32(const std::uint8_t* data, std::size_t length, std::uint32_t seed = 0);

inline std::uint32_t readLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint16_t readLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint64_t readLe48(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(readLe16(p + 4)) << 32 | readLe32(p);
}
inline void writeLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void writeLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void writeLe48(std::uint8_t* p, std::uint64_t v) {
    writeLe32(p, static_cast<std::uint32_t>(v));
    writeLe16(p + 4, static_cast<std::uint16_t>(v >> 32));
}

}  // namespace tervo::fpr

#endif
