// Counts of ranks 0..n-1, kept per rank and per bucket of 32 ranks: adding or removing a rank touches
// two counters, and the k-th smallest present is found by walking the bucket counts, then one bucket.
// Used for medians of sliding windows, where each step changes a few entries of a window of a
// hundred; the walks are plain loops with one exit, which the processor predicts well, unlike the
// data-dependent branches of a tree descent.
#ifndef TERVO_FPR_RANK_COUNTER_H
#define TERVO_FPR_RANK_COUNTER_H

#include <vector>

namespace tervo::fpr {

class RankCounter {
  public:
    explicit RankCounter(int n)
        : perRank_(static_cast<std::size_t>(n), 0),
          perBucket_(static_cast<std::size_t>(n / kBucket + 1), 0) {}
    // change +1 adds one rank, -1 removes one.
    void add(int rank, int change) {
        perRank_[rank] += change;
        perBucket_[rank / kBucket] += change;
        count_ += change;
    }
    int count() const { return count_; }
    // The k-th smallest rank present, k from 0; k must be below count().
    int kth(int k) const {
        std::size_t bucket = 0;
        while (k >= perBucket_[bucket]) k -= perBucket_[bucket++];
        std::size_t rank = bucket * kBucket;
        while (k >= perRank_[rank]) k -= perRank_[rank++];
        return static_cast<int>(rank);
    }

  private:
    static constexpr int kBucket = 32;
    std::vector<int> perRank_, perBucket_;
    int count_ = 0;
};

}  // namespace tervo::fpr

#endif
