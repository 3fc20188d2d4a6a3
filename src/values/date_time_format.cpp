#include "values/date_time_format.h"

#include <cstdio>
#include <utility>

namespace brinehold {
namespace {

constexpr int64_t kDayNumberOf1900 = 693595;
constexpr int64_t kSecondsPerDay = 86400;
constexpr int kMaxScale = 18;  // 10^18 still fits a 64-bit count

constexpr int64_t kLastShownDay = 3652058;       // 9999-12-31
constexpr int64_t kDaysFromMarchOfYear0 = 306;  // 0000-03-01 .. 0001-01-01

uint64_t PowerOf10(int exponent) {
  uint64_t value = 1;
  for (int i = 0; i < exponent; ++i) value *= 10;
  return value;
}

// Appends `value` (0 or more) as at least `width` digits, zero-padded;
// texts are built by hand since these run once per value of every row.
void AppendDigits(std::string& text, int64_t value, int width) {
  if (value < 0) {  // not reached: callers pass checked fields
    text += std::to_string(value);
    return;
  }
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && count < static_cast<int>(sizeof digits));
  if (count < width) text.append(static_cast<size_t>(width - count), '0');
  while (count > 0) text += digits[--count];
}

// Writes `value` (0 .. 10^width - 1) as exactly `width` digits at `to`.
void PutDigits(char* to, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    to[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

// "YYYY-MM-DD HH:MM:SS" of a date that can be shown and a second of the day
// (0 .. 86399), appended without building the text piece by piece.
void AppendShownDateTime(std::string& text, const CivilDate& date, int64_t secondOfDay) {
  char buffer[19];
  const int second = static_cast<int>(secondOfDay);
  PutDigits(buffer, date.year, 4);
  buffer[4] = '-';
  PutDigits(buffer + 5, date.month, 2);
  buffer[7] = '-';
  PutDigits(buffer + 8, date.day, 2);
  buffer[10] = ' ';
  PutDigits(buffer + 11, second / 3600, 2);
  buffer[13] = ':';
  PutDigits(buffer + 14, second / 60 % 60, 2);
  buffer[16] = ':';
  PutDigits(buffer + 17, second % 60, 2);
  text.append(buffer, sizeof buffer);
}

void AppendDate(std::string& text, const CivilDate& date) {
  AppendDigits(text, date.year, 4);
  text += '-';
  AppendDigits(text, date.month, 2);
  text += '-';
  AppendDigits(text, date.day, 2);
}

void AppendTime(std::string& text, int64_t secondOfDay) {
  AppendDigits(text, secondOfDay / 3600, 2);
  text += ':';
  AppendDigits(text, secondOfDay / 60 % 60, 2);
  text += ':';
  AppendDigits(text, secondOfDay % 60, 2);
}

std::string DateText(const CivilDate& date) {
  std::string text;
  AppendDate(text, date);
  return text;
}

std::string TimeText(int64_t secondOfDay) {
  std::string text;
  AppendTime(text, secondOfDay);
  return text;
}

std::string FractionText(uint64_t fraction, int scale) {
  std::string digits = std::to_string(fraction);
  if (scale > 0 && digits.size() < static_cast<size_t>(scale))
    digits.insert(0, static_cast<size_t>(scale) - digits.size(), '0');
  return "." + digits;
}

// "YYYY-MM-DD HH:MM:SS", or nothing when the day or second cannot be shown.
std::optional<std::string> DateTimeText(int64_t dayNumber, int64_t secondOfDay) {
  auto date = CivilFromDayNumber(dayNumber);
  if (!date || secondOfDay < 0 || secondOfDay >= kSecondsPerDay) return std::nullopt;
  std::string text;
  AppendShownDateTime(text, *date, secondOfDay);
  return text;
}

// A count of 10^-scale seconds split into whole seconds and fraction.
struct TimeCount {
  uint64_t seconds = 0;
  uint64_t fraction = 0;
};

std::optional<TimeCount> SplitCount(uint64_t count, int scale) {
  if (scale < 0 || scale > kMaxScale) return std::nullopt;
  uint64_t divisor = PowerOf10(scale);
  return TimeCount{count / divisor, count % divisor};
}

uint64_t CountOf(ByteReader bytes, int width) {
  if (width <= 0) return 0;
  return bytes.UInt(0, static_cast<size_t>(width > 8 ? 8 : width)).value_or(0);
}

}  // namespace

std::optional<CivilDate> CivilFromDayNumber(int64_t dayNumber) {
  if (dayNumber < 0 || dayNumber > kLastShownDay) return std::nullopt;
  // Counted from 0000-03-01, years run from March: the leap day ends a
  // year, and the month follows from the day of that year by a straight
  // line (153 days to every five months), with no table to search.
  const int64_t z = dayNumber + kDaysFromMarchOfYear0;
  const int64_t era = z / 146097;  // 400 years
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return CivilDate{year, month, day};
}

std::string FormatDateTime(ByteReader bytes) {
  std::string text;
  AppendDateTime(text, bytes);
  return text;
}

void AppendDateTime(std::string& out, ByteReader bytes) {
  int64_t ticks = bytes.GetOr<int32_t>(0, 0);
  int64_t days = bytes.GetOr<int32_t>(4, 0);
  // A tick is 1/300 s; SQL Server shows it rounded to whole milliseconds
  // (.003, .007, .010).
  const int64_t milliseconds = (ticks * 10 + 1) / 3;
  const int64_t secondOfDay = milliseconds / 1000;
  auto date = ticks < 0 ? std::nullopt : CivilFromDayNumber(days + kDayNumberOf1900);
  if (!date || secondOfDay >= kSecondsPerDay) {
    out += kUnshowableDate;
    return;
  }
  AppendShownDateTime(out, *date, secondOfDay);
  if (milliseconds % 1000 != 0) {
    char fraction[4] = {'.'};
    PutDigits(fraction + 1, static_cast<int>(milliseconds % 1000), 3);
    out.append(fraction, sizeof fraction);
  }
}

std::string FormatSmallDateTime(ByteReader bytes) {
  int64_t minutes = bytes.GetOr<int16_t>(0, 0);
  int64_t days = bytes.GetOr<uint16_t>(2, 0);
  return DateTimeText(days + kDayNumberOf1900, minutes * 60).value_or(kUnshowableDate);
}

std::string FormatDate(ByteReader bytes) {
  auto date = CivilFromDayNumber(static_cast<int64_t>(CountOf(bytes, 3)));
  return date ? DateText(*date) : kUnshowableDate;
}

std::string FormatTime(ByteReader bytes, int scale, int length) {
  auto count = SplitCount(CountOf(bytes, length), scale);
  if (!count || count->seconds >= static_cast<uint64_t>(kSecondsPerDay)) return kUnshowableDate;
  std::string text = TimeText(static_cast<int64_t>(count->seconds));
  if (scale > 0) text += FractionText(count->fraction, scale);
  return text;
}

std::string FormatDateTime2(ByteReader bytes, int scale, int length) {
  uint64_t count = 0;
  int64_t day = 0;
  if (length >= 6 && length <= 8) {
    int timeWidth = length - 3;
    count = CountOf(bytes, timeWidth);
    day = static_cast<int64_t>(bytes.UInt(static_cast<size_t>(timeWidth), 3).value_or(0));
  }
  auto split = SplitCount(count, scale);
  if (!split || split->seconds >= static_cast<uint64_t>(kSecondsPerDay)) return kUnshowableDate;
  auto text = DateTimeText(day, static_cast<int64_t>(split->seconds));
  if (!text) return kUnshowableDate;
  if (scale > 0) *text += FractionText(split->fraction, scale);
  return std::move(*text);
}

std::string FormatDateTimeOffset(ByteReader bytes, int scale, int length) {
  uint64_t count = 0;
  int64_t day = 0;
  if (length >= 8 && length <= 10) {
    int timeWidth = length - 5;
    count = CountOf(bytes, timeWidth);
    day = static_cast<int64_t>(bytes.UInt(static_cast<size_t>(timeWidth), 3).value_or(0));
  }
  int offset = length >= 2 ? bytes.GetOr<int16_t>(static_cast<size_t>(length - 2), 0) : 0;
  auto split = SplitCount(count, scale);
  if (!split || split->seconds >= static_cast<uint64_t>(kSecondsPerDay)) return kUnshowableDate;
  // Local time = stored UTC time + offset, carried across midnight either way.
  int64_t second = static_cast<int64_t>(split->seconds) + int64_t{offset} * 60;
  int64_t carry = second >= 0 ? second / kSecondsPerDay : -((-second + kSecondsPerDay - 1) / kSecondsPerDay);
  auto text = DateTimeText(day + carry, second - carry * kSecondsPerDay);
  if (!text) return kUnshowableDate;
  if (scale > 0) *text += FractionText(split->fraction, scale);
  int magnitude = offset < 0 ? -offset : offset;
  char zone[32];
  std::snprintf(zone, sizeof zone, " %c%02d:%02d", offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return *text + zone;
}

}  // namespace brinehold
