#include "checksum.h"

#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tervo::fpr {
namespace {

constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320U;

// Eight tables for the slicing-by-8 method (Kounavis and Berry 2008): table k gives the CRC of a byte
// followed by k zero bytes, so eight bytes are folded in with eight independent look-ups instead of a
// chain of eight dependent ones. This is the method everywhere, and for short inputs and the last few
// bytes where the processor can multiply without carries.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

CrcTables makeCrcTables() {
    CrcTables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1U) ? kReflectedPolynomial ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
        for (int k = 1; k < 8; ++k) t[k][i] = t[0][t[k - 1][i] & 0xFFU] ^ (t[k - 1][i] >> 8);
    }
    return t;
}

// The CRC register c carried over the bytes (no inversion on the way in or out).
std::uint32_t updateWithTables(std::uint32_t c, const std::uint8_t* data, std::size_t length) {
    static const CrcTables t = makeCrcTables();
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        const std::uint32_t low = c ^ readLe32(data + i);
        const std::uint32_t high = readLe32(data + i + 4);
        c = t[7][low & 0xFFU] ^ t[6][low >> 8 & 0xFFU] ^ t[5][low >> 16 & 0xFFU] ^ t[4][low >> 24] ^
            t[3][high & 0xFFU] ^ t[2][high >> 8 & 0xFFU] ^ t[1][high >> 16 & 0xFFU] ^ t[0][high >> 24];
    }
    for (; i < length; ++i) c = t[0][(c ^ data[i]) & 0xFFU] ^ (c >> 8);
    return c;
}

#if defined(__x86_64__)
// Folding with carry-less multiplication (the method of Gopal et al., Intel 2009): a template is
// checked on every comparison of a search, and this takes under a third of the tables' time on a
// template.
//
// Bits are reflected throughout: a 16-byte block loaded little-endian holds the coefficient of
// x^(127 - i) at bit i, the first bit on the wire being the highest power. Any 128-bit value X that is
// congruent to the bytes read so far modulo the polynomial P leaves the CRC register exactly as those
// bytes would, so X can stand in for them. Moving X on past the next D bits is X x^D mod P: with X's
// low half H (the high powers) and high half L, X x^D = H x^(D+64) + L x^D; with the powers reduced
// modulo P first, that is two carry-less 64 x 32-bit products, which fit the 128 bits as they are.

// x^n mod P, reflected into 33 bits (degree d at bit 32 - d). Read in the 128-bit layout, the
// carry-less product of a reflected 64-bit half with such a constant stands for the polynomial product
// times x^32, so the constant for a factor x^m is x^(m - 32).
constexpr std::uint64_t foldingConstant(int n) {
    std::uint32_t r = 0x80000000U;  // x^0: degree d at bit 31 - d
    for (int k = 0; k < n; ++k) r = (r & 1U) ? (r >> 1) ^ kReflectedPolynomial : r >> 1;
    return static_cast<std::uint64_t>(r) << 1;
}

constexpr int kBlockBits = 128;
constexpr int kLanes = 4;  // blocks folded side by side: the multiplications of one lane wait on each other
constexpr std::size_t kBlockBytes = kBlockBits / 8;
constexpr std::size_t kRoundBytes = kLanes * kBlockBytes;

// The two factors moving a block on by `distance` bits: for its half holding the high powers (the low
// 64 bits) and for the other half.
struct FoldFactors {
    std::uint64_t high, low;
};
constexpr FoldFactors foldFactors(int distance) {
    return {foldingConstant(distance + 64 - 32), foldingConstant(distance - 32)};
}
constexpr FoldFactors kByLanes = foldFactors(kLanes * kBlockBits);
constexpr FoldFactors kByBlock = foldFactors(kBlockBits);

__attribute__((target("sse2,pclmul"))) inline __m128i factorsOf(FoldFactors f) {
    return _mm_set_epi64x(static_cast<long long>(f.low), static_cast<long long>(f.high));
}

__attribute__((target("sse2,pclmul"))) inline __m128i foldOn(__m128i x, __m128i factors, __m128i next) {
    return _mm_xor_si128(
        _mm_xor_si128(_mm_clmulepi64_si128(x, factors, 0x00), _mm_clmulepi64_si128(x, factors, 0x11)), next);
}

__attribute__((target("sse2,pclmul"))) inline __m128i blockAt(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Carries the register c over the whole blocks of the data, at least kLanes of them; returns how many
// bytes that was.
__attribute__((target("sse2,pclmul"))) std::size_t foldBlocks(std::uint32_t& c, const std::uint8_t* data,
                                                              std::size_t length) {
    const __m128i byLanes = factorsOf(kByLanes), byBlock = factorsOf(kByBlock);
    // The register stands for the bytes before: it enters as the first four bytes' complement.
    __m128i lane[kLanes];
    for (int k = 0; k < kLanes; ++k) lane[k] = blockAt(data + k * kBlockBytes);
    lane[0] = _mm_xor_si128(lane[0], _mm_cvtsi32_si128(static_cast<int>(c)));
    std::size_t done = kRoundBytes;
    for (; done + kRoundBytes <= length; done += kRoundBytes) {
        for (int k = 0; k < kLanes; ++k)
            lane[k] = foldOn(lane[k], byLanes, blockAt(data + done + k * kBlockBytes));
    }
    __m128i x = lane[0];
    for (int k = 1; k < kLanes; ++k) x = foldOn(x, byBlock, lane[k]);
    for (; done + kBlockBytes <= length; done += kBlockBytes) x = foldOn(x, byBlock, blockAt(data + done));
    // The 16 bytes of x leave a cleared register as all the data did.
    std::array<std::uint8_t, kBlockBytes> bytes;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes.data()), x);
    c = updateWithTables(0, bytes.data(), bytes.size());
    return done;
}

bool canFold() {
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("pclmul") != 0;
    }();
    return available;
}
#endif

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t length, std::uint32_t seed) {
    std::uint32_t c = seed ^ 0xFFFFFFFFU;
    std::size_t done = 0;
#if defined(__x86_64__)
    if (length >= kRoundBytes && canFold()) done = foldBlocks(c, data, length);
#endif
    return updateWithTables(c, data + done, length - done) ^ 0xFFFFFFFFU;
}

}  // namespace tervo::fpr
