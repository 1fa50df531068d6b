#include "checksum.h"

#include <array>

namespace tervo::fpr {
namespace {

// Eight tables for the slicing-by-8 method (Kounavis and Berry 2008): table k gives the CRC of a byte
// followed by k zero bytes, so eight bytes are folded in with eight independent look-ups instead of a
// chain of eight dependent ones. A template is checked on every comparison of a search.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

CrcTables makeCrcTables() {
    CrcTables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1U) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
        for (int k = 1; k < 8; ++k) t[k][i] = t[0][t[k - 1][i] & 0xFFU] ^ (t[k - 1][i] >> 8);
    }
    return t;
}

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t length, std::uint32_t seed) {
    static const CrcTables t = makeCrcTables();
    std::uint32_t c = seed ^ 0xFFFFFFFFU;
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        const std::uint32_t low = c ^ readLe32(data + i);
        const std::uint32_t high = readLe32(data + i + 4);
        c = t[7][low & 0xFFU] ^ t[6][low >> 8 & 0xFFU] ^ t[5][low >> 16 & 0xFFU] ^ t[4][low >> 24] ^
            t[3][high & 0xFFU] ^ t[2][high >> 8 & 0xFFU] ^ t[1][high >> 16 & 0xFFU] ^ t[0][high >> 24];
    }
    for (; i < length; ++i) c = t[0][(c ^ data[i]) & 0xFFU] ^ (c >> 8);
    return c ^ 0xFFFFFFFFU;
}

}  // namespace tervo::fpr
