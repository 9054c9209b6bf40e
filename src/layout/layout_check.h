// Compile-time check that a layout table's rows stand at their own enum index.
#pragma once

#include <cstddef>
#include <iterator>

#include "win/layout_row.h"

template <size_t N>
constexpr bool RowsAreInEnumOrder(const LayoutRow (&rows)[N]) {
  for (size_t i = 0; i < N; ++i) {
    if (rows[i].id != static_cast<int>(i)) return false;
    if (rows[i].parent >= static_cast<int>(i)) return false;  // parents come first
  }
  return true;
}
