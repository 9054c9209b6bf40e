// The order of a lyric's entries: each entry, taken in tag order, is put into the list by
// a bisection insertion.
//   - the list is empty or the time is at least the last time: appended;
//   - else the time is at most the first time: put in front;
//   - else a bisection over the 1-based positions lo = 1, hi = size, while lo < hi - 1:
//     the probe mid = (lo + hi) / 2 stops the search (lo = mid) when its time equals the
//     entry's, else narrows hi = mid when the time is below the probe's and lo = mid
//     otherwise; the entry goes right after position lo.
// Computed with counting trees instead of moving elements: O(n log n).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lrc {

// Final 0-based index of every entry (given in tag order by its time) after the
// insertions.
std::vector<size_t> InsertionOrder(const std::vector<int32_t>& times);

}  // namespace lrc
