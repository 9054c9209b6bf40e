// The texts of the update window's progress display: rounding, byte sizes, the
// remaining time and the elapsed clock. No windows here, so that all of it runs natively.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Rounds half away from zero to the given number of decimals (>= 0). A tiny 1e-12 is
// added before the cut so that 1.005 (stored as 1.00499999...) rounds to 1.01 as a
// person would expect. 0 and NaN come back unchanged.
double RoundHalfAway(double x, int32_t decimals);

// "%.13g": at most 13 significant digits, no trailing zeros, no point for whole numbers.
std::string NumberText(double x);

// 512B, 1.5KB, 10.24KB, 1MB, 1.5GB: two decimals at most; n <= 0 gives the plain number.
std::string FormatByteSize(int64_t n);

// The remaining time as the display shows it, each part a decimal text. The seconds
// are computed through 13-digit texts and rounded back, so that 59 s of work reads
// 0/0/59 and not 0/0/58.9999999998.
struct RemainingTime {
  std::string hours, minutes, seconds;
};
// Nothing when the speed is zero or less (no estimate can be made). Negative remaining
// bytes (more arrived than announced) count as none left.
std::optional<RemainingTime> FormatRemainingTime(double remainingBytes, int32_t bytesPerSecond);

// The elapsed-time clock advanced once per display tick. Seconds and minutes count
// 1..60 before they roll over, so a full minute reads as 60 seconds.
struct ElapsedClock {
  int32_t hours = 0, minutes = 0, seconds = 0;
  void Advance();
};

// The six texts of the display for one tick, from the values the downloader reported.
// A text that cannot be computed yet (no total size before the downloader announced it,
// no speed to estimate from) is nullopt: the label keeps what it shows.
namespace progress_label {
inline constexpr char kPercentCaption[] = "正在下载...已完成：";
inline constexpr char kSpeedCaption[] = "下载速度：";
inline constexpr char kDoneCaption[] = "已经下载：";
inline constexpr char kElapsedCaption[] = "已用时间：";
inline constexpr char kRemainingCaption[] = "剩余时间：";

// The percentage done, rounded to whole percents; nullopt while the total is unknown.
std::optional<double> RoundedPercent(double doneBytes, double totalBytes);
std::string Percent(double roundedPercent);                 // 正在下载...已完成：50%
std::string Speed(int64_t bytesLastSecond);                 // 下载速度：1.5KB/秒
std::string Done(int64_t doneBytes, double totalBytes);     // 已经下载：5MB/10MB
std::string Elapsed(const ElapsedClock& clock);             // 已用时间：0小时1分钟1秒
std::optional<std::string> Remaining(double totalBytes, int64_t doneBytes, int32_t bytesPerSecond);
}  // namespace progress_label
