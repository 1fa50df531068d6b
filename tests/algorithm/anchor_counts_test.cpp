#include "anchor_counts.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "extractor.h"
#include "test_images.h"

namespace tervo::fpr {
namespace {

// Every kernel this processor runs; the portable one first.
std::vector<CountKernel> availableKernels() {
    std::vector<CountKernel> out;
    for (CountKernel k : {CountKernel::Portable, CountKernel::Avx2, CountKernel::Avx512, CountKernel::Neon})
        if (countKernelAvailable(k)) out.push_back(k);
    return out;
}

// Puts the kernel chosen at start back whatever a test forced.
class AnchorCounts : public ::testing::Test {
  protected:
    void TearDown() override { useCountKernel(chosen_); }

  private:
    CountKernel chosen_ = activeCountKernel();
};

struct Row {
    std::uint64_t above;
    tervo::fpr::AnchorCounts common;
};

Row runRow(CountKernel kernel, const Descriptor& d, std::uint64_t bits, const PreparedTemplate& b,
           DiceFloor floor) {
    EXPECT_TRUE(useCountKernel(kernel));
    Row r{};
    r.above = anchorsAboveFloor(d, bits, b, floor, r.common);
    return r;
}

// Each kernel against the portable one over every row of a against b, at a few floors from none to
// above any pair; counts compared for every anchor b has.
void expectKernelsAgree(const PreparedTemplate& a, const PreparedTemplate& b, const char* what) {
    const int anchors = std::min(b.count, kAnchorMinutiae);
    for (const DiceFloor floor :
         {DiceFloor{}, DiceFloor{1, 9}, DiceFloor{1, 3}, DiceFloor{3, 7}, DiceFloor{2, 2}}) {
        for (int i = 0; i < std::min(a.count, kAnchorMinutiae); ++i) {
            const Row expected = runRow(CountKernel::Portable, a.descriptor[i], a.bitCount[i], b, floor);
            for (CountKernel k : availableKernels()) {
                const Row got = runRow(k, a.descriptor[i], a.bitCount[i], b, floor);
                ASSERT_EQ(got.above, expected.above) << what << ": kernel " << static_cast<int>(k) << ", row "
                                                     << i << ", floor " << floor.common << "/" << floor.total;
                for (int j = 0; j < anchors; ++j)
                    ASSERT_EQ(got.common[j], expected.common[j]) << what << ": row " << i << ", anchor " << j;
            }
        }
    }
}

void fillAnchorWords(PreparedTemplate& p) {
    for (int w = 0; w < kDescriptorWords; ++w) {
        for (int j = 0; j < kAnchorMinutiae; ++j) p.anchorWords[w][j] = j < p.count ? p.descriptor[j][w] : 0;
    }
}

// Descriptors of random bits at a random density each (from nearly empty to nearly full), with stale
// bit counts past the count, as a reused prepared template has.
PreparedTemplate randomDescriptors(std::mt19937_64& rng, int count) {
    PreparedTemplate p;
    p.count = count;
    p.bitCount.fill(0xFFFF);
    for (int i = 0; i < count; ++i) {
        const int keepOneIn = 1 + static_cast<int>(rng() % 8);
        int bits = 0;
        for (std::uint64_t& w : p.descriptor[i]) {
            w = rng();
            for (int k = 1; k < keepOneIn; ++k) w &= rng() | rng();
            if (keepOneIn == 8) w = ~w;
            bits += __builtin_popcountll(w);
        }
        p.bitCount[i] = static_cast<std::uint16_t>(bits);
    }
    fillAnchorWords(p);
    return p;
}

// Real descriptors leave whole words empty (the inner rings hold few neighbours), which a kernel may
// skip: random ones with words emptied at random, one with no bit at all, one with its last word only,
// and bits set in one half of every byte only, where a nibble look-up could mix up the halves.
PreparedTemplate withEmptyWords(std::mt19937_64& rng, PreparedTemplate p) {
    for (int i = 0; i < p.count; ++i) {
        const std::uint64_t keep = i == 0 ? 0 : i == 1 ? 1U << (kDescriptorWords - 1) : rng();
        const std::uint64_t halves = i % 3 == 0   ? ~0ULL
                                     : i % 3 == 1 ? 0x0F0F0F0F0F0F0F0FULL
                                                  : 0xF0F0F0F0F0F0F0F0ULL;
        int bits = 0;
        for (int w = 0; w < kDescriptorWords; ++w) {
            p.descriptor[i][w] = (keep >> w & 1U) != 0 ? p.descriptor[i][w] & halves : 0;
            bits += __builtin_popcountll(p.descriptor[i][w]);
        }
        p.bitCount[i] = static_cast<std::uint16_t>(bits);
    }
    fillAnchorWords(p);
    return p;
}

TEST_F(AnchorCounts, EveryKernelCountsLikeThePortableLoopWhenWholeWordsAreEmpty) {
    std::mt19937_64 rng(11);
    for (int count : {kAnchorMinutiae, 2, kMaxMatched}) {
        const PreparedTemplate a = withEmptyWords(rng, randomDescriptors(rng, count));
        const PreparedTemplate b = withEmptyWords(rng, randomDescriptors(rng, kMaxMatched - count / 2));
        expectKernelsAgree(a, b, "empty words");
        expectKernelsAgree(b, a, "empty words");
    }
}

TEST_F(AnchorCounts, EveryKernelCountsLikeThePortableLoopOnRandomDescriptors) {
    std::mt19937_64 rng(7);
    for (int count : {kAnchorMinutiae, 1, 13, kAnchorMinutiae - 1, kMaxMatched}) {
        const PreparedTemplate a = randomDescriptors(rng, count), b = randomDescriptors(rng, 64 - count / 2);
        expectKernelsAgree(a, b, "random");
        expectKernelsAgree(b, a, "random");
    }
}

TEST_F(AnchorCounts, EveryKernelCountsLikeThePortableLoopOnRealDescriptors) {
    std::vector<PreparedTemplate> prints;
    for (int database : {1, 3}) {
        for (int finger : {101, 102}) {
            testing::Buffer buffer;
            if (!testing::loadFvc(database, finger, 1, buffer))
                GTEST_SKIP() << "shared fingerprint data not found";
            DecodedImage image;
            ASSERT_EQ(decodeImage(buffer.data(), image), 1);
            prints.emplace_back();
            prepareTemplate(extractFeatures(image.pixels, 0, 0), prints.back());
        }
    }
    for (const PreparedTemplate& a : prints) {
        for (const PreparedTemplate& b : prints) expectKernelsAgree(a, b, "real");
    }
}

// The vector kernels test the floor in 32-bit lanes, far above what descriptors reach (the matcher's
// floors and bit counts stay below 2^11). Near the NEON kernel's limits, and beyond them where it hands
// the row to the portable loop, every kernel must give the portable loop's answer. The AVX2 kernel is
// exact while the factors stay below 2^32 and the products below 2^63, as here; the AVX-512 kernel's
// products only below 2^32, so it is left out where they reach that.
TEST_F(AnchorCounts, EveryKernelCountsLikeThePortableLoopAtTheEdgesOfTheFloorTest) {
    std::mt19937_64 rng(5);
    const PreparedTemplate a = randomDescriptors(rng, kAnchorMinutiae), b = randomDescriptors(rng, 30);
    constexpr std::uint64_t kBig = 1U << 15, kHuge = 1U << 22, kTop = 0xFFFF0000U;
    struct Case {
        DiceFloor floor;
        std::uint64_t bits;
        bool beyond32;  // products of 2^32 or more
    };
    std::vector<Case> cases;
    for (const DiceFloor floor : {DiceFloor{kBig - 1, kHuge - 1}, DiceFloor{kBig, kHuge}, DiceFloor{kBig, 1},
                                  DiceFloor{1, kHuge}, DiceFloor{kBig - 1, kBig}})
        for (const std::uint64_t bits : {std::uint64_t{0}, kBig - 1, kBig, std::uint64_t{0xFFFF}})
            cases.push_back({floor, bits, false});
    for (const DiceFloor floor : {DiceFloor{1, 8}, DiceFloor{1U << 20, 1U << 30},
                                  DiceFloor{1U << 30, 1U << 30}, DiceFloor{3, 1U << 30}})
        for (const std::uint64_t bits : {std::uint64_t{40}, kTop - 1}) cases.push_back({floor, bits, true});
    for (const Case& c : cases) {
        for (int i = 0; i < a.count; ++i) {
            const Row expected = runRow(CountKernel::Portable, a.descriptor[i], c.bits, b, c.floor);
            for (CountKernel k : availableKernels()) {
                if (c.beyond32 && k == CountKernel::Avx512) continue;
                const Row got = runRow(k, a.descriptor[i], c.bits, b, c.floor);
                ASSERT_EQ(got.above, expected.above)
                    << "kernel " << static_cast<int>(k) << ", row " << i << ", own bits " << c.bits
                    << ", floor " << c.floor.common << "/" << c.floor.total;
                for (int j = 0; j < b.count; ++j) ASSERT_EQ(got.common[j], expected.common[j]);
            }
        }
    }
}

TEST_F(AnchorCounts, TheBoardsRunTheVectorKernel) {
#if defined(__aarch64__)
    EXPECT_EQ(activeCountKernel(), CountKernel::Neon);
#else
    GTEST_SKIP() << "not an AArch64 build";
#endif
}

TEST_F(AnchorCounts, AKernelTheProcessorLacksIsRefusedAndTheActiveOneKept) {
    const CountKernel before = activeCountKernel();
    EXPECT_TRUE(countKernelAvailable(CountKernel::Portable));
    for (CountKernel k : {CountKernel::Avx2, CountKernel::Avx512, CountKernel::Neon}) {
        if (countKernelAvailable(k)) continue;
        EXPECT_FALSE(useCountKernel(k));
        EXPECT_EQ(activeCountKernel(), before);
    }
}

}  // namespace
}  // namespace tervo::fpr
