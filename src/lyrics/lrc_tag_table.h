// The distinct tag texts of a lyric, numbered in order of first appearance. Open
// addressing over one flat array: a node-based map spends most of the parse on cache
// misses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace lrc {

class TagTable {
 public:
  static constexpr size_t kMissing = std::string_view::npos;

  explicit TagTable(size_t expected) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    slots_.assign(capacity, kEmpty);
  }

  size_t Size() const { return texts_.size(); }

  // Number of text, added if new.
  size_t Insert(std::string_view text) {
    uint32_t& slot = SlotOf(text);
    if (slot == kEmpty) {
      slot = static_cast<uint32_t>(texts_.size());
      texts_.push_back(text);
    }
    return slot;
  }

  size_t Find(std::string_view text) {
    const uint32_t slot = SlotOf(text);
    return slot == kEmpty ? kMissing : slot;
  }

 private:
  // A tag takes at least four bytes: no text this program can hold has 2^32 - 1 of them.
  static constexpr uint32_t kEmpty = std::numeric_limits<uint32_t>::max();

  static size_t Hash(std::string_view text) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return static_cast<size_t>(h ^ (h >> 32));
  }

  // The slot holding text, or the empty slot where it belongs. The table is never more
  // than half full, so the probe ends.
  uint32_t& SlotOf(std::string_view text) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = Hash(text) & mask;; i = (i + 1) & mask) {
      if (slots_[i] == kEmpty || texts_[slots_[i]] == text) return slots_[i];
    }
  }

  std::vector<uint32_t> slots_;
  std::vector<std::string_view> texts_;
};

}  // namespace lrc
