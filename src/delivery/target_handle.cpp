#include "delivery/target_handle.h"

#include "text/utf8_text.h"

namespace {

bool IsAsciiBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

uint32_t ParseTargetHandle(std::string_view text) {
  constexpr uint64_t kHandleLimit = 0xFFFFFFFFu;
  constexpr uint64_t kBroadcast = 0xFFFFu;
  size_t i = 0;
  while (i < text.size() && IsAsciiBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > kHandleLimit) return 0;
  }
  uint64_t value = magnitude;
  if (negative) {
    if (magnitude > 0x80000000u) return 0;
    value = (kHandleLimit + 1 - magnitude) & kHandleLimit;
  }
  if (value == kBroadcast) return 0;
  return static_cast<uint32_t>(value);
}

std::string TargetHandleText(uint32_t handle) { return utf8::IntToText(handle); }
