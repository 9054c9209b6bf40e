// The tick count's arithmetic.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "text/tick_count.h"

namespace {

TEST(TickCount, TicksCountAsPassedOnlyBeyondTheWaitAlsoAcrossTheWrap) {
  struct TickCase {
    uint32_t start, now, ms;
    bool passed;
  };
  const TickCase cases[] = {
      {1000, 1000, 10, false},
      {1000, 1010, 10, false},  // reached is not passed
      {1000, 1011, 10, true},
      {1000, 1016, 10, true},
      {0xFFFFFFF0u, 0xFFFFFFFAu, 10, false},
      {0xFFFFFFF0u, 0xFFFFFFFBu, 10, true},
      {0xFFFFFFF0u, 0x00000005u, 10, true},  // the count wrapped during the wait
      {0xFFFFFFFCu, 0x00000002u, 10, false},
      {0xFFFFFFFCu, 0x0000000Fu, 10, true},
  };
  for (const TickCase& c : cases) {
    EXPECT_EQ(TicksHavePassed(c.start, c.now, c.ms), c.passed)
        << std::hex << "start 0x" << c.start << ", now 0x" << c.now << std::dec << ", ms " << c.ms;
  }
}

}  // namespace
