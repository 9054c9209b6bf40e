#include "update/progress_text.h"

#include <cmath>
#include <limits>

#include "text/utf8_text.h"

double RoundHalfAway(double x, int32_t decimals) {
  if (x == 0 || std::isnan(x)) return x;
  const double scale = std::pow(10.0, decimals);
  const double t = std::fabs(x) * scale + 1e-12;
  double r = std::floor(t);
  if (t - r >= 0.5) r += 1;
  return std::copysign(r / scale, x);
}

std::string NumberText(double x) { return utf8::DoubleToText(x); }

std::string FormatByteSize(int64_t n) {
  if (n <= 0) return utf8::IntToText(n);
  struct Unit {
    int64_t size;
    const char* name;
  };
  static constexpr Unit kUnits[] = {{1LL << 30, "GB"}, {1LL << 20, "MB"}, {1LL << 10, "KB"}, {1, "B"}};
  for (const Unit& u : kUnits)
    if (n >= u.size) return NumberText(RoundHalfAway(static_cast<double>(n) / static_cast<double>(u.size), 2)) + u.name;
  return {};
}

namespace {

// A quotient whose fraction lies within 1e-12 of the next integer counts as that
// integer, so that 300 / 100 computed as 2.9999999999999996 still gives 3.
int32_t WholeSeconds(double quotient) {
  double s = std::floor(quotient);
  if (quotient - s >= 1 - 1e-12) s += 1;
  if (s >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  return s < 0 ? 0 : static_cast<int32_t>(s);
}

// Splits a number's text at its first "." into the whole part and "0." + the rest.
void SplitAtPoint(const std::string& text, std::string& whole, std::string& fraction) {
  const size_t dot = text.find('.');
  if (dot == std::string::npos) {
    whole = text;
    fraction = "0";
  } else {
    whole = text.substr(0, dot);
    fraction = "0" + text.substr(dot);
  }
}

// The sixtieths of a fraction's text, rounded back to a whole number.
std::string Sixtieths(const std::string& fraction) {
  return NumberText(RoundHalfAway(utf8::ToNumber(NumberText(utf8::ToNumber(fraction) * 60)), 0));
}

}  // namespace

std::optional<RemainingTime> FormatRemainingTime(double remainingBytes, int32_t bytesPerSecond) {
  if (bytesPerSecond <= 0 || std::isnan(remainingBytes)) return std::nullopt;
  if (remainingBytes < 0) remainingBytes = 0;
  const int32_t s = WholeSeconds(remainingBytes / bytesPerSecond);
  std::string whole, fraction, hWhole, hFraction;
  SplitAtPoint(NumberText(s / 60.0), whole, fraction);
  RemainingTime t;
  t.seconds = Sixtieths(fraction);
  SplitAtPoint(NumberText(utf8::ToNumber(whole) / 60), hWhole, hFraction);
  t.hours = hWhole;
  t.minutes = Sixtieths(hFraction);
  return t;
}

void ElapsedClock::Advance() {
  if (++seconds > 60) {
    seconds = 1;
    ++minutes;
  }
  if (minutes > 60) {
    minutes = 1;
    ++hours;
  }
}

namespace progress_label {

std::optional<double> RoundedPercent(double doneBytes, double totalBytes) {
  if (!(totalBytes > 0)) return std::nullopt;
  return RoundHalfAway(doneBytes / totalBytes * 100, 0);
}

std::string Percent(double roundedPercent) { return kPercentCaption + NumberText(roundedPercent) + "%"; }

std::string Speed(int64_t bytesLastSecond) { return kSpeedCaption + FormatByteSize(bytesLastSecond) + "/秒"; }

std::string Done(int64_t doneBytes, double totalBytes) {
  const int64_t total = totalBytes > 0 ? static_cast<int64_t>(totalBytes) : 0;
  return kDoneCaption + FormatByteSize(doneBytes) + "/" + FormatByteSize(total);
}

std::string Elapsed(const ElapsedClock& clock) {
  return kElapsedCaption + utf8::IntToText(clock.hours) + "小时" + utf8::IntToText(clock.minutes) + "分钟" +
         utf8::IntToText(clock.seconds) + "秒";
}

std::optional<std::string> Remaining(double totalBytes, int64_t doneBytes, int32_t bytesPerSecond) {
  if (!(totalBytes > 0)) return std::nullopt;
  const auto t = FormatRemainingTime(totalBytes - static_cast<double>(doneBytes), bytesPerSecond);
  if (!t) return std::nullopt;
  return kRemainingCaption + t->hours + "时" + t->minutes + "分" + t->seconds + "秒";
}

}  // namespace progress_label
