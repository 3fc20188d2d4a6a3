// Text of the date and time kinds.
//
// Dates are counted in days from 0001-01-01 (day 0) in the proleptic
// Gregorian calendar; texts are "YYYY-MM-DD", "HH:MM:SS" and
// "YYYY-MM-DD HH:MM:SS", with a fraction of a second where the type stores
// one. A date or time that cannot be shown (year outside 1..9999, hour above
// 23, a negative count) gives " " (one blank) as the whole text. Bytes
// missing from a short view count as zero.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/byte_reader.h"

namespace brinehold {

struct CivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// Days from 0001-01-01 between 0001-01-01 and 9999-12-31, else nothing.
std::optional<CivilDate> CivilFromDayNumber(int64_t dayNumber);

// The text shown for a value that cannot be shown.
inline constexpr const char* kUnshowableDate = " ";

// datetime: bytes 0-3 the time of day in 1/300 s, bytes 4-7 days since
// 1900-01-01. Milliseconds follow the seconds (".997") when not zero.
std::string FormatDateTime(ByteReader bytes);
// The same, appended to `out`.
void AppendDateTime(std::string& out, ByteReader bytes);
// smalldatetime: bytes 0-1 minutes since midnight, bytes 2-3 days since
// 1900-01-01.
std::string FormatSmallDateTime(ByteReader bytes);
// date: an unsigned 24-bit day number.
std::string FormatDate(ByteReader bytes);
// time(scale): the first `length` bytes count units of 10^-scale seconds;
// the fraction has exactly `scale` digits.
std::string FormatTime(ByteReader bytes, int scale, int length);
// datetime2(scale): length 6, 7 or 8 = time count in 3, 4 or 5 bytes, then
// a 3-byte day number; any other length reads as day 0, time 0.
std::string FormatDateTime2(ByteReader bytes, int scale, int length);
// datetimeoffset(scale): length 8, 9 or 10 = time, day and then the offset
// in minutes (signed 16-bit, last two bytes). The stored time is UTC; the
// offset is added (carrying into the date) and shown after one blank as
// SQL Server shows it: +05:30, +00:00, -14:00.
std::string FormatDateTimeOffset(ByteReader bytes, int scale, int length);

}  // namespace brinehold
