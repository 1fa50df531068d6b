// Counts of ranks 0..n-1 in a binary indexed tree (Fenwick 1994): adding or removing one rank and
// finding the k-th smallest present both take log n steps. Used for medians of sliding windows, where
// each step changes a few entries of a window of a hundred.
#ifndef TERVO_FPR_RANK_COUNTER_H
#define TERVO_FPR_RANK_COUNTER_H

#include <vector>

namespace tervo::fpr {

class RankCounter {
  public:
    explicit RankCounter(int n) : tree_(static_cast<std::size_t>(n) + 1, 0) {
        while (top_ * 2 <= n) top_ *= 2;
    }
    // change +1 adds one rank, -1 removes one.
    void add(int rank, int change) {
        for (int i = rank + 1; i < static_cast<int>(tree_.size()); i += i & -i) tree_[i] += change;
        count_ += change;
    }
    int count() const { return count_; }
    // The k-th smallest rank present, k from 0; k must be below count().
    int kth(int k) const {
        int position = 0;
        for (int step = top_; step > 0; step /= 2) {
            const int next = position + step;
            if (next < static_cast<int>(tree_.size()) && tree_[next] <= k) {
                position = next;
                k -= tree_[next];
            }
        }
        return position;  // ranks below position + 1 number k or fewer: position is the rank itself
    }

  private:
    std::vector<int> tree_;
    int top_ = 1, count_ = 0;
};

}  // namespace tervo::fpr

#endif
