#include "anchor_counts.h"

#include <atomic>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__aarch64__)
#include <arm_neon.h>
#endif

namespace tervo::fpr {
namespace {

using Kernel = std::uint64_t (*)(const Descriptor&, std::uint64_t, const PreparedTemplate&, DiceFloor,
                                 AnchorCounts&);

std::uint64_t aboveFloorPortable(const Descriptor& d, std::uint64_t bits, const PreparedTemplate& b,
                                 DiceFloor floor, AnchorCounts& common) {
    // Anchor by anchor, so that each sum stays in a register (summed word by word over all anchors, the
    // forty sums went through memory, and a store could falsely wait on a load 4 KiB away).
    std::uint64_t above = 0;
    for (int j = 0; j < kAnchorMinutiae; ++j) {
        std::uint64_t sum = 0;
#pragma GCC unroll 9
        for (int w = 0; w < kDescriptorWords; ++w)
            sum += static_cast<std::uint64_t>(__builtin_popcountll(d[w] & b.anchorWords[w][j]));
        common[j] = sum;
        above |= static_cast<std::uint64_t>(sum * floor.total > floor.common * (bits + b.bitCount[j])) << j;
    }
    return above;
}

#if defined(__x86_64__)
// Counts stay below 2^11 and the floor's integers too, so every product of the floor test fits 31 bits:
// the vector kernels multiply the low 32 bits of each lane and compare signed.
static_assert(kDescriptorBits < (1 << 10), "floor products fit the low 32 bits of a lane");
static_assert(kAnchorMinutiae % 8 == 0, "anchors fill whole vectors of four and of eight");

// Without a vector population count: each byte's count from two 16-entry look-ups of its nibbles
// (Mula, Kurz and Lemire 2016), summed per byte over the whole descriptor, then per 64-bit lane. A
// byte gains at most 8 per word, so the byte sums cannot overflow.
static_assert(kDescriptorWords * 8 < 256, "per-byte sums fit a byte");

__attribute__((target("avx2"))) std::uint64_t aboveFloorAvx2(const Descriptor& d, std::uint64_t bits,
                                                             const PreparedTemplate& b, DiceFloor floor,
                                                             AnchorCounts& common) {
    constexpr int kLanes = 4;
    constexpr int kVectors = kAnchorMinutiae / kLanes;
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i nibbleBits = _mm256_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4, 0, 1, 1, 2, 1,
                                                2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4);
    // Anchor column by column, so that each column's byte sums stay in one register.
    __m256i byteSums[kVectors];
    for (int v = 0; v < kVectors; ++v) {
        __m256i sums = _mm256_setzero_si256();
#pragma GCC unroll 9
        for (int w = 0; w < kDescriptorWords; ++w) {
            const __m256i shared = _mm256_and_si256(
                _mm256_set1_epi64x(static_cast<long long>(d[w])),
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b.anchorWords[w].data() + v * kLanes)));
            const __m256i low = _mm256_shuffle_epi8(nibbleBits, _mm256_and_si256(shared, nibble));
            const __m256i high =
                _mm256_shuffle_epi8(nibbleBits, _mm256_and_si256(_mm256_srli_epi16(shared, 4), nibble));
            sums = _mm256_add_epi8(sums, _mm256_add_epi8(low, high));
        }
        byteSums[v] = sums;
    }
    const __m256i floorTotal = _mm256_set1_epi64x(static_cast<long long>(floor.total));
    const __m256i floorCommon = _mm256_set1_epi64x(static_cast<long long>(floor.common));
    const __m256i ownBits = _mm256_set1_epi64x(static_cast<long long>(bits));
    std::uint64_t above = 0;
    for (int v = 0; v < kVectors; ++v) {
        const __m256i sum = _mm256_sad_epu8(byteSums[v], _mm256_setzero_si256());
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(common.data() + v * kLanes), sum);
        const __m128i counts =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b.bitCount.data() + v * kLanes));
        const __m256i total = _mm256_add_epi64(ownBits, _mm256_cvtepu16_epi64(counts));
        const __m256i beats =
            _mm256_cmpgt_epi64(_mm256_mul_epu32(sum, floorTotal), _mm256_mul_epu32(total, floorCommon));
        above |= static_cast<std::uint64_t>(_mm256_movemask_pd(_mm256_castsi256_pd(beats))) << (v * kLanes);
    }
    return above;
}

__attribute__((target("avx512f,avx512vpopcntdq"))) std::uint64_t aboveFloorAvx512(const Descriptor& d,
                                                                                  std::uint64_t bits,
                                                                                  const PreparedTemplate& b,
                                                                                  DiceFloor floor,
                                                                                  AnchorCounts& common) {
    constexpr int kLanes = 8;
    constexpr int kVectors = kAnchorMinutiae / kLanes;
    __m512i sum[kVectors];
    for (__m512i& v : sum) v = _mm512_setzero_si512();
    // The inner loop unrolled, so that the five sums stay in registers: rolled, GCC kept them on the
    // stack, and each addition waited for the store of the one before (half the kernel's time).
    for (int w = 0; w < kDescriptorWords; ++w) {
        const __m512i word = _mm512_set1_epi64(static_cast<long long>(d[w]));
#pragma GCC unroll 5
        for (int v = 0; v < kVectors; ++v) {
            const __m512i column = _mm512_loadu_si512(b.anchorWords[w].data() + v * kLanes);
            sum[v] = _mm512_add_epi64(sum[v], _mm512_popcnt_epi64(_mm512_and_si512(word, column)));
        }
    }
    const __m512i floorTotal = _mm512_set1_epi64(static_cast<long long>(floor.total));
    const __m512i floorCommon = _mm512_set1_epi64(static_cast<long long>(floor.common));
    const __m512i ownBits = _mm512_set1_epi64(static_cast<long long>(bits));
    std::uint64_t above = 0;
#pragma GCC unroll 5
    for (int v = 0; v < kVectors; ++v) {
        _mm512_storeu_si512(common.data() + v * kLanes, sum[v]);
        // Widened through the all-lanes masked form: GCC 12 warns about the plain form's undefined source.
        const __m128i counts =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(b.bitCount.data() + v * kLanes));
        const __m512i total = _mm512_add_epi64(ownBits, _mm512_maskz_cvtepu16_epi64(0xFF, counts));
        const __mmask8 beats = _mm512_cmpgt_epu64_mask(_mm512_mullo_epi32(sum[v], floorTotal),
                                                       _mm512_mullo_epi32(total, floorCommon));
        above |= static_cast<std::uint64_t>(beats) << (v * kLanes);
    }
    return above;
}
#endif

#if defined(__aarch64__)
static_assert(kAnchorMinutiae % 8 == 0, "anchors fill whole groups of eight");
static_assert(kDescriptorWords * 8 * 2 < 256, "two anchors' per-byte sums added pairwise fit a byte");
static_assert(kDescriptorBits < (1 << 10), "a shared count times a floor total below 2^22 fits 32 bits");

// Byte population counts (CNT) of the shared words, summed per byte over the whole descriptor for
// eight anchors at a time (four registers of two), then folded by pairwise additions into one 16-bit
// count per anchor. The floor test multiplies in 32-bit lanes, exact while the floor's integers and
// the descriptor's own count stay in the range checked first; outside it the portable loop answers.
std::uint64_t aboveFloorNeon(const Descriptor& d, std::uint64_t bits, const PreparedTemplate& b,
                             DiceFloor floor, AnchorCounts& common) {
    // A count below 2^10 times a total below 2^22, and a common count below 2^15 times a total below
    // 2^15 + 2^16 (a bit count is 16 bits), both stay below 2^32.
    if (bits >= (1U << 15) || floor.common >= (1U << 15) || floor.total >= (1U << 22))
        return aboveFloorPortable(d, bits, b, floor, common);
    constexpr int kGroup = 8;
    uint64x2_t word[kDescriptorWords];
#pragma GCC unroll 9
    for (int w = 0; w < kDescriptorWords; ++w) word[w] = vdupq_n_u64(d[w]);
    const uint32x4_t floorTotal = vdupq_n_u32(static_cast<std::uint32_t>(floor.total));
    const uint32x4_t floorCommon = vdupq_n_u32(static_cast<std::uint32_t>(floor.common));
    const uint32x4_t ownBits = vdupq_n_u32(static_cast<std::uint32_t>(bits));
    const uint16x8_t laneBit = {1, 2, 4, 8, 16, 32, 64, 128};
    std::uint64_t above = 0;
    for (int g = 0; g < kAnchorMinutiae; g += kGroup) {
        uint8x16_t sums[4] = {vdupq_n_u8(0), vdupq_n_u8(0), vdupq_n_u8(0), vdupq_n_u8(0)};
#pragma GCC unroll 9
        for (int w = 0; w < kDescriptorWords; ++w) {
            const uint64x2x4_t columns = vld1q_u64_x4(b.anchorWords[w].data() + g);
            sums[0] = vaddq_u8(sums[0], vcntq_u8(vreinterpretq_u8_u64(vandq_u64(word[w], columns.val[0]))));
            sums[1] = vaddq_u8(sums[1], vcntq_u8(vreinterpretq_u8_u64(vandq_u64(word[w], columns.val[1]))));
            sums[2] = vaddq_u8(sums[2], vcntq_u8(vreinterpretq_u8_u64(vandq_u64(word[w], columns.val[2]))));
            sums[3] = vaddq_u8(sums[3], vcntq_u8(vreinterpretq_u8_u64(vandq_u64(word[w], columns.val[3]))));
        }
        // Bytes of anchors g, g+1 | g+2, g+3 -> four per anchor (each at most 144) -> two 16-bit sums
        // per anchor -> one per anchor, in anchor order.
        const uint16x8_t low = vpaddlq_u8(vpaddq_u8(sums[0], sums[1]));
        const uint16x8_t high = vpaddlq_u8(vpaddq_u8(sums[2], sums[3]));
        const uint16x8_t counts = vpaddq_u16(low, high);
        const uint32x4_t counts0 = vmovl_u16(vget_low_u16(counts)), counts1 = vmovl_high_u16(counts);
        const uint64x2x4_t wide = {{vmovl_u32(vget_low_u32(counts0)), vmovl_high_u32(counts0),
                                    vmovl_u32(vget_low_u32(counts1)), vmovl_high_u32(counts1)}};
        vst1q_u64_x4(common.data() + g, wide);
        const uint16x8_t anchorBits = vld1q_u16(b.bitCount.data() + g);
        const uint32x4_t total0 = vaddw_u16(ownBits, vget_low_u16(anchorBits));
        const uint32x4_t total1 = vaddw_high_u16(ownBits, anchorBits);
        const uint32x4_t beats0 = vcgtq_u32(vmulq_u32(counts0, floorTotal), vmulq_u32(total0, floorCommon));
        const uint32x4_t beats1 = vcgtq_u32(vmulq_u32(counts1, floorTotal), vmulq_u32(total1, floorCommon));
        const uint16x8_t beats = vuzp1q_u16(vreinterpretq_u16_u32(beats0), vreinterpretq_u16_u32(beats1));
        above |= static_cast<std::uint64_t>(vaddvq_u16(vandq_u16(beats, laneBit))) << g;
    }
    return above;
}
#endif

Kernel kernelFor(CountKernel kernel) {
    switch (kernel) {
#if defined(__x86_64__)
        case CountKernel::Avx2:
            return aboveFloorAvx2;
        case CountKernel::Avx512:
            return aboveFloorAvx512;
#elif defined(__aarch64__)
        case CountKernel::Neon:
            return aboveFloorNeon;
#endif
        default:
            return aboveFloorPortable;
    }
}

CountKernel fastestKernel() {
    for (CountKernel k : {CountKernel::Avx512, CountKernel::Avx2, CountKernel::Neon}) {
        if (countKernelAvailable(k)) return k;
    }
    return CountKernel::Portable;
}

struct Choice {
    std::atomic<Kernel> run;
    std::atomic<CountKernel> kernel;
    Choice() : run(kernelFor(fastestKernel())), kernel(fastestKernel()) {}
};

Choice& choice() {
    static Choice c;
    return c;
}

}  // namespace

std::uint64_t anchorsAboveFloor(const Descriptor& d, std::uint64_t bits, const PreparedTemplate& b,
                                DiceFloor floor, AnchorCounts& common) {
    return choice().run.load(std::memory_order_relaxed)(d, bits, b, floor, common);
}

bool countKernelAvailable(CountKernel kernel) {
#if defined(__x86_64__)
    __builtin_cpu_init();
    switch (kernel) {
        case CountKernel::Avx2:
            return __builtin_cpu_supports("avx2");
        case CountKernel::Avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vpopcntdq");
        default:
            return kernel == CountKernel::Portable;
    }
#elif defined(__aarch64__)
    // Advanced SIMD is part of every AArch64 processor.
    return kernel == CountKernel::Portable || kernel == CountKernel::Neon;
#else
    return kernel == CountKernel::Portable;
#endif
}

CountKernel activeCountKernel() {
    return choice().kernel.load();
}

bool useCountKernel(CountKernel kernel) {
    if (!countKernelAvailable(kernel)) return false;
    choice().run.store(kernelFor(kernel));
    choice().kernel.store(kernel);
    return true;
}

}  // namespace tervo::fpr
