#include "rank_counter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace tervo::fpr {
namespace {

TEST(RankCounter, KthAgreesWithASortedListThroughAddsAndRemovals) {
    // Sizes around powers of two, where the descent's first step is easiest to get wrong.
    for (int n : {1, 2, 7, 8, 9, 100, 128, 1440}) {
        std::mt19937 random(static_cast<unsigned>(n));
        RankCounter counter(n);
        std::vector<int> present;
        for (int step = 0; step < 400; ++step) {
            if (present.empty() || random() % 3 != 0) {
                const int rank = static_cast<int>(random() % n);
                counter.add(rank, 1);
                present.insert(std::upper_bound(present.begin(), present.end(), rank), rank);
            } else {
                const auto at = present.begin() + random() % present.size();
                counter.add(*at, -1);
                present.erase(at);
            }
            ASSERT_EQ(counter.count(), static_cast<int>(present.size()));
            for (int k = 0; k < counter.count(); k += 1 + counter.count() / 7)
                ASSERT_EQ(counter.kth(k), present[k]) << "n " << n << " step " << step << " k " << k;
        }
    }
}

}  // namespace
}  // namespace tervo::fpr
