#include "lyrics/lrc_order.h"

#include <algorithm>

namespace lrc {

namespace {

// Prefix counts with updates in O(log n).
class CountTree {
 public:
  explicit CountTree(size_t n) : tree_(n + 1, 0) {}
  void Add(size_t index, int32_t delta) {
    for (size_t i = index + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
  }
  // Sum of the counts at indices [0, end).
  int32_t Prefix(size_t end) const {
    int32_t sum = 0;
    for (size_t i = end; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }
  // Smallest index whose prefix up to and including it reaches k (k >= 1).
  size_t FindKth(int32_t k) const {
    size_t pos = 0;
    size_t step = 1;
    while (step * 2 < tree_.size()) step *= 2;
    for (; step > 0; step /= 2) {
      if (pos + step < tree_.size() && tree_[pos + step] < k) {
        pos += step;
        k -= tree_[pos];
      }
    }
    return pos;
  }

 private:
  std::vector<int32_t> tree_;
};

}  // namespace

// Between different times the insertion is a plain sort; it only matters where a time
// goes among entries of the same time. With a list of m entries whose block of times
// equal to t occupies the 1-based positions s..e:
//   - t >= last time: appended, so it ends the block;
//   - else t <= first time: in front, so it starts the block;
//   - else the bisection keeps list[lo] < t < list[hi], narrowing by the same steps as
//     long as its probe misses s..e, and it cannot stop before a probe lands in s..e
//     (the block lies strictly between lo and hi); the entry goes right after that probe.
// So the place inside the block follows from m, s and e alone, which a count tree over
// the distinct times gives without the list. What remains is a list of "insert at place
// p of this block" steps per block; taken backwards, each entry gets the p-th slot of its
// block not yet taken by a later entry.
std::vector<size_t> InsertionOrder(const std::vector<int32_t>& times) {
  const size_t n = times.size();
  std::vector<int32_t> distinct(times);
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());

  std::vector<size_t> block(n);
  for (size_t i = 0; i < n; ++i) {
    block[i] = static_cast<size_t>(std::lower_bound(distinct.begin(), distinct.end(), times[i]) -
                                   distinct.begin());
  }

  CountTree byTime(distinct.size());
  std::vector<int32_t> blockSize(distinct.size(), 0);
  std::vector<int32_t> placeInBlock(n, 1);
  int32_t first = 0;
  int32_t last = 0;
  for (size_t i = 0; i < n; ++i) {
    const int32_t t = times[i];
    const int32_t equal = blockSize[block[i]];
    if (i > 0 && equal > 0) {
      if (t >= last) {
        placeInBlock[i] = equal + 1;
      } else if (t > first) {
        const int64_t s = byTime.Prefix(block[i]) + 1;
        const int64_t e = s + equal - 1;
        int64_t lo = 1;
        int64_t hi = static_cast<int64_t>(i);
        while (lo < hi - 1) {
          const int64_t mid = (lo + hi) / 2;
          if (mid >= s && mid <= e) {
            placeInBlock[i] = static_cast<int32_t>(mid - s + 2);
            break;
          }
          if (mid > e) {
            hi = mid;
          } else {
            lo = mid;
          }
        }
      }
    }
    ++blockSize[block[i]];
    byTime.Add(block[i], 1);
    first = i == 0 ? t : std::min(first, t);
    last = i == 0 ? t : std::max(last, t);
  }

  std::vector<int32_t> blockStart(distinct.size(), 0);
  for (size_t b = 1; b < distinct.size(); ++b) blockStart[b] = blockStart[b - 1] + blockSize[b - 1];

  CountTree freeSlots(n);
  for (size_t i = 0; i < n; ++i) freeSlots.Add(i, 1);
  std::vector<size_t> slot(n);
  for (size_t i = n; i-- > 0;) {
    const int32_t k = freeSlots.Prefix(static_cast<size_t>(blockStart[block[i]])) + placeInBlock[i];
    slot[i] = freeSlots.FindKth(k);
    freeSlots.Add(slot[i], -1);
  }
  return slot;
}

}  // namespace lrc
