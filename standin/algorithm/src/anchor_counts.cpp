#include "anchor_counts.h"

#include <atomic>

#if defined(__x86_64__)
#include <immintrin.h>
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

Kernel kernelFor(CountKernel kernel) {
    switch (kernel) {
#if defined(__x86_64__)
        case CountKernel::Avx2:
            return aboveFloorAvx2;
        case CountKernel::Avx512:
            return aboveFloorAvx512;
#endif
        default:
            return aboveFloorPortable;
    }
}

CountKernel fastestKernel() {
    for (CountKernel k : {CountKernel::Avx512, CountKernel::Avx2}) {
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
            return true;
    }
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
