// The text format of the target window's handle.
#include <gtest/gtest.h>

#include <cstdint>

#include "delivery/target_handle.h"

namespace {

struct HandleCase {
  const char* text;
  uintptr_t handle;
};

TEST(ParseTargetHandle, ReadsLeadingDigitsAsAnUnsigned32BitHandle) {
  const HandleCase cases[] = {
      {"123", 123},
      {"", 0},
      {"0", 0},
      {"abc", 0},
      {"x123", 0},
      {"0x1F", 0},
      {"42abc", 42},
      {"12 34", 12},
      {"  \t42", 42},
      {"+42", 42},
      {"-", 0},
      {"- 5", 0},
      {"-0", 0},
      {"0000000000000000000000123", 123},
      {"\xA3\xB1\xA3\xB2", 0},  // full-width digits are no number here
      {"中12", 0},
      // Handles with the top bit set, in either spelling.
      {"3000000000", 3000000000u},
      {"-1294967296", 3000000000u},
      {"4294967295", 0xFFFFFFFFu},
      {"-1", 0xFFFFFFFFu},
      {"-2147483648", 0x80000000u},
      // Numbers that cannot be a 32-bit handle name no window.
      {"4294967296", 0},
      {"4294967297", 0},
      {"-2147483649", 0},
      {"99999999999999999999999999999999", 0},
      // HWND_BROADCAST would reach every top-level window.
      {"65535", 0},
      {"65534", 65534},
      {"65536", 65536},
  };
  for (const HandleCase& c : cases) {
    EXPECT_EQ(ParseTargetHandle(c.text), c.handle) << "text \"" << c.text << "\"";
  }
}

TEST(TargetHandleText, WritesHandlesUnsignedSoTheyReadBack) {
  for (const uint32_t handle : {0u, 123u, 65534u, 0x80000000u, 3000000000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(ParseTargetHandle(TargetHandleText(handle)), handle) << handle;
  }
  EXPECT_EQ(TargetHandleText(3000000000u), "3000000000");
}

}  // namespace
