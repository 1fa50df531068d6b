// A search calls the matcher a hundred thousand times in a row, so matching two prepared templates must
// not touch the heap. The global allocation functions are replaced for this test binary to count
// calls; they only forward to malloc and free, so every other test runs as before. Kept out of line:
// inlined into a caller, the free would sit beside an operator new the compiler takes for the
// library's and be reported as a mismatch.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "local_structures.h"
#include "matcher.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

[[gnu::noinline]] void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}

[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}

[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace tervo::fpr {
namespace {

// Minutiae scattered over the image; the second print is the first moved a little, with a few of its
// own, so that the comparison runs every stage (several consolidations, refits, the elastic pass).
FeatureTemplate scattered(unsigned seed, int count, int shift) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> x(20, kWidth - 21), y(20, kHeight - 21);
    std::uniform_real_distribution<float> turn(0.0F, 6.28F);
    FeatureTemplate t;
    t.mask.fill(1);
    for (int i = 0; i < count; ++i) {
        Minutia m;
        m.x = x(rng) + shift;
        m.y = y(rng) + shift;
        m.angle = turn(rng);
        m.reliability = 80;
        t.minutiae.push_back(m);
    }
    return t;
}

TEST(MatcherAllocation, MatchingPreparedTemplatesAllocatesNothing) {
    const FeatureTemplate first = scattered(1, 45, 0);
    FeatureTemplate second = scattered(1, 40, 3);
    const FeatureTemplate extra = scattered(2, 12, 0);
    second.minutiae.insert(second.minutiae.end(), extra.minutiae.begin(), extra.minutiae.end());
    const FeatureTemplate unrelated = scattered(3, 38, 0);
    PreparedTemplate a, b, c;
    prepareTemplate(first, a);
    prepareTemplate(second, b);
    prepareTemplate(unrelated, c);

    const long before = allocations.load();
    const MatchDetail related = matchPrepared(a, b);
    const MatchDetail apart = matchPrepared(a, c);
    const MatchDetail reversed = matchPrepared(c, b);
    const long during = allocations.load() - before;

    EXPECT_EQ(during, 0);
    EXPECT_GT(related.similarity, apart.similarity);  // the comparisons did run
    EXPECT_GE(reversed.similarity, 0.0F);
}

}  // namespace
}  // namespace tervo::fpr
