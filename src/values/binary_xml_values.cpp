#include "values/binary_xml_values.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>

#include "platform/text_codec.h"
#include "values/binary_format.h"
#include "values/binary_xml_primitives.h"
#include "values/binary_xml_tokens.h"
#include "values/date_time_format.h"
#include "values/number_format.h"

namespace brinehold::binxml {

namespace {

constexpr int64_t kDayOf1900 = 693595;  // 1900-01-01 counted from 0001-01-01
constexpr int64_t kSecondsPerDay = 86400;

std::string Digits2(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::optional<std::string> DateText(int64_t dayNumber) {
  auto date = CivilFromDayNumber(dayNumber);
  if (!date) return std::nullopt;
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date->year, date->month, date->day);
  return std::string(text);
}

// `units` of 10^-scale seconds since midnight; the fraction keeps `scale`
// digits (trailing zeros removed when `trim`).
std::optional<std::string> TimeText(uint64_t units, int scale, bool trim) {
  uint64_t perSecond = 1;
  for (int i = 0; i < scale; ++i) perSecond *= 10;
  const uint64_t seconds = units / perSecond;
  if (seconds >= static_cast<uint64_t>(kSecondsPerDay)) return std::nullopt;
  char text[40];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(seconds / 3600),
                static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
  std::string out = text;
  if (scale > 0) {
    std::string digits(static_cast<size_t>(scale), '0');
    uint64_t fraction = units % perSecond;
    for (size_t i = digits.size(); i > 0 && fraction != 0; --i, fraction /= 10)
      digits[i - 1] = static_cast<char>('0' + fraction % 10);
    if (trim) {
      while (!digits.empty() && digits.back() == '0') digits.pop_back();
    }
    if (!digits.empty()) out += "." + digits;
  }
  return out;
}

std::string OffsetText(int minutes) {
  if (minutes == 0) return "Z";
  const int magnitude = minutes < 0 ? -minutes : minutes;
  return std::string(minutes < 0 ? "-" : "+") + Digits2(magnitude / 60) + ":" + Digits2(magnitude % 60);
}

std::string IntegerText(long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld", value);
  return text;
}

std::string UnsignedText(unsigned long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu", value);
  return text;
}

std::string DoubleText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return ShortestDoubleText(value);
}

std::string RealText(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return ShortestRealText(value);
}

std::string Uint128Text(unsigned __int128 value) {
  if (value == 0) return "0";
  std::string digits;
  while (value != 0) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  }
  return digits;
}

// A length byte (7, 11, 15 or 19: the bytes that follow), precision,
// scale, sign (0 negative) and 4 to 16 magnitude bytes. The xsd decimal
// drops the trailing zeros of its fraction ("1.50" is "1.5", "2.00" is "2").
std::optional<std::string> DecimalValue(ByteReader in, size_t* pos, bool trimZeros) {
  size_t at = *pos;
  auto length = in.U8(at++);
  if (!length || *length < 4 || *length > 19) return std::nullopt;
  auto body = ReadFixed(in, &at, *length);
  if (!body) return std::nullopt;
  int scale = body->GetOr<uint8_t>(1, 0);
  const bool positive = body->GetOr<uint8_t>(2, 1) != 0;
  if (scale > 38) return std::nullopt;
  unsigned __int128 magnitude = 0;
  for (size_t i = body->size(); i > 3; --i) magnitude = (magnitude << 8) | body->GetOr<uint8_t>(i - 1, 0);
  if (trimZeros) {
    if (magnitude == 0) scale = 0;
    while (scale > 0 && magnitude % 10 == 0) {
      magnitude /= 10;
      --scale;
    }
  }
  std::string digits = Uint128Text(magnitude);
  if (scale > 0) {
    if (digits.size() <= static_cast<size_t>(scale)) digits.insert(0, static_cast<size_t>(scale) + 1 - digits.size(), '0');
    digits.insert(digits.end() - scale, '.');
  }
  *pos = at;
  return (positive || magnitude == 0 ? "" : "-") + digits;
}

std::optional<std::string> TenThousandths(int64_t count) { return FormatTenThousandths(count); }

// Bytes of the time part for a scale of the newer time types.
int TimeBytes(int scale) { return scale <= 2 ? 3 : (scale <= 4 ? 4 : 5); }

// Which parts a newer token stores (`stores*`) and which its text shows.
// The time and the dateTime tokens store scale, time and date; the three
// offset tokens store scale, time, date and offset; the date token its date.
struct NewerParts {
  bool storesTime = false, storesOffset = false;
  bool showsDate = false, showsTime = false;
};

std::optional<std::string> NewerDateTime(uint8_t token, ByteReader in, size_t* pos) {
  NewerParts parts;
  switch (token) {
    case kXsdDate2: parts = {false, false, true, false}; break;
    case kXsdTime2: parts = {true, false, false, true}; break;
    case kXsdDateTime2: parts = {true, false, true, true}; break;
    case kXsdTimeOffset: parts = {true, true, false, true}; break;
    case kXsdDateOffset: parts = {true, true, true, false}; break;
    default: parts = {true, true, true, true}; break;
  }
  size_t at = *pos;
  int scale = 0;
  uint64_t units = 0;
  if (parts.storesTime) {
    auto scaleByte = in.U8(at++);
    if (!scaleByte || *scaleByte > 7) return std::nullopt;
    scale = *scaleByte;
    auto bytes = ReadFixed(in, &at, static_cast<size_t>(TimeBytes(scale)));
    if (!bytes) return std::nullopt;
    units = *bytes->UInt(0, bytes->size());
  }
  int64_t day = 0;
  {
    auto bytes = ReadFixed(in, &at, 3);
    if (!bytes) return std::nullopt;
    day = static_cast<int64_t>(*bytes->UInt(0, 3));
  }
  int offset = 0;
  if (parts.storesOffset) {
    auto minutes = in.I16(at);
    if (!minutes || *minutes < -14 * 60 || *minutes > 14 * 60) return std::nullopt;
    offset = *minutes;
    at += 2;
  }
  uint64_t perSecond = 1;
  for (int i = 0; i < scale; ++i) perSecond *= 10;
  if (units / perSecond >= static_cast<uint64_t>(kSecondsPerDay)) return std::nullopt;
  if (parts.storesOffset) {
    // Stored in UTC: shown at the local time of its offset.
    int64_t seconds = static_cast<int64_t>(units / perSecond) + offset * 60;
    const uint64_t fraction = units % perSecond;
    if (seconds < 0) {
      seconds += kSecondsPerDay;
      --day;
    } else if (seconds >= kSecondsPerDay) {
      seconds -= kSecondsPerDay;
      ++day;
    }
    units = static_cast<uint64_t>(seconds) * perSecond + fraction;
  }
  std::string out;
  auto date = DateText(day);
  if (!date) return std::nullopt;
  if (parts.showsDate) out = *date;
  if (parts.showsTime) {
    auto time = TimeText(units, scale, true);
    if (!time) return std::nullopt;
    out += (parts.showsDate ? "T" : "") + *time;
  }
  if (parts.storesOffset) out += OffsetText(offset);
  *pos = at;
  return out;
}

// The xsd time, dateTime and date tokens: one 64-bit value whose two low
// bits are flags, the rest counted by successive division. dateTime and
// time: milliseconds (1000), seconds (60), minutes (60), hours (24, time:
// the rest), then day (31), month (12) and the year offset by 9999. date: a
// zone field (29 * 60; minus 14 * 60 it is the negated offset in minutes),
// then day, month and year. Times are in UTC ("Z"); the fraction shows
// three digits when not zero.
std::string YearText(int64_t year) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%04lld", year < 0 ? "-" : "", static_cast<long long>(year < 0 ? -year : year));
  return text;
}

std::optional<std::string> PackedTime(int64_t* packed) {
  const int64_t milliseconds = *packed % 1000;
  *packed /= 1000;
  const int64_t second = *packed % 60;
  *packed /= 60;
  const int64_t minute = *packed % 60;
  *packed /= 60;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(*packed % 24), static_cast<int>(minute),
                static_cast<int>(second));
  std::string out = text;
  if (milliseconds != 0) {
    std::snprintf(text, sizeof text, ".%03d", static_cast<int>(milliseconds));
    out += text;
  }
  return out;
}

std::optional<std::string> PackedDate(int64_t packed) {
  const int day = static_cast<int>(packed % 31) + 1;
  packed /= 31;
  const int month = static_cast<int>(packed % 12) + 1;
  const int64_t year = packed / 12 - 9999;
  if (year < -9999 || year > 9999) return std::nullopt;
  return YearText(year) + "-" + Digits2(month) + "-" + Digits2(day);
}

std::optional<std::string> PackedValue(uint8_t token, ByteReader in, size_t* pos) {
  auto raw = in.I64(*pos);
  if (!raw || *raw < 0) return std::nullopt;
  int64_t packed = *raw / 4;
  std::string out;
  if (token == kXsdDate) {
    const int offset = 14 * 60 - static_cast<int>(packed % (29 * 60));
    auto date = PackedDate(packed / (29 * 60));
    if (!date) return std::nullopt;
    out = *date + OffsetText(offset);
  } else if (token == kXsdTime) {
    auto time = PackedTime(&packed);
    if (!time || packed > 23) return std::nullopt;
    out = *time + "Z";
  } else {
    auto time = PackedTime(&packed);
    auto date = PackedDate(packed / 24);
    if (!time || !date) return std::nullopt;
    out = *date + "T" + *time + "Z";
  }
  *pos += 8;
  return out;
}

std::optional<std::string> SqlDateTime(ByteReader in, size_t* pos) {
  auto days = in.I32(*pos);
  auto ticks = in.U32(*pos + 4);
  if (!days || !ticks || *ticks >= 300u * kSecondsPerDay) return std::nullopt;
  auto date = DateText(kDayOf1900 + *days);
  if (!date) return std::nullopt;
  // 1/300 s rounded to whole milliseconds, shown with three digits when
  // not zero.
  const uint64_t millis = (static_cast<uint64_t>(*ticks) * 10 + 1) / 3;
  auto time = millis % 1000 == 0 ? TimeText(millis / 1000, 0, false) : TimeText(millis, 3, false);
  if (!time) return std::nullopt;
  *pos += 8;
  return *date + "T" + *time;
}

std::optional<std::string> SqlSmallDateTime(ByteReader in, size_t* pos) {
  auto days = in.U16(*pos);
  auto minutes = in.U16(*pos + 2);
  if (!days || !minutes || *minutes >= 24 * 60) return std::nullopt;
  auto date = DateText(kDayOf1900 + *days);
  if (!date) return std::nullopt;
  *pos += 4;
  return *date + "T" + Digits2(*minutes / 60) + ":" + Digits2(*minutes % 60) + ":00";
}

std::optional<std::string> CodePageText(ByteReader in, size_t* pos) {
  size_t at = *pos;
  auto length = ReadMb64(in, &at);
  if (!length || *length < 4 || *length > in.size()) return std::nullopt;
  auto body = ReadFixed(in, &at, *length);
  if (!body) return std::nullopt;
  const int codePage = body->GetOr<int32_t>(0, 0);
  auto text = body->Sub(4, body->size() - 4);
  *pos = at;
  return DecodeCodePage(codePage, std::span<const uint8_t>(text->data(), text->size()));
}

template <typename T>
std::optional<T> Fixed(ByteReader in, size_t* pos) {
  auto value = in.Get<T>(*pos);
  if (value) *pos += sizeof(T);
  return value;
}

}  // namespace

std::string Base64(ByteReader bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = 0;
    for (size_t j = 0; j < 3; ++j) group = (group << 8) | (j < count ? bytes.GetOr<uint8_t>(i + j, 0) : 0u);
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += count > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    out += count > 2 ? kAlphabet[group & 63] : '=';
  }
  return out;
}

std::optional<std::string> ReadBinaryXmlValue(uint8_t token, ByteReader in, size_t* pos) {
  switch (token) {
    case kSqlSmallInt:
      if (auto v = Fixed<int16_t>(in, pos)) return IntegerText(*v);
      return std::nullopt;
    case kSqlInt:
      if (auto v = Fixed<int32_t>(in, pos)) return IntegerText(*v);
      return std::nullopt;
    case kSqlBigInt:
      if (auto v = Fixed<int64_t>(in, pos)) return IntegerText(*v);
      return std::nullopt;
    case kSqlTinyInt:
      if (auto v = Fixed<uint8_t>(in, pos)) return UnsignedText(*v);
      return std::nullopt;
    case kXsdByte:
      if (auto v = Fixed<int8_t>(in, pos)) return IntegerText(*v);
      return std::nullopt;
    case kXsdUnsignedShort:
      if (auto v = Fixed<uint16_t>(in, pos)) return UnsignedText(*v);
      return std::nullopt;
    case kXsdUnsignedInt:
      if (auto v = Fixed<uint32_t>(in, pos)) return UnsignedText(*v);
      return std::nullopt;
    case kXsdUnsignedLong:
      if (auto v = Fixed<uint64_t>(in, pos)) return UnsignedText(*v);
      return std::nullopt;
    case kSqlBit:
      if (auto v = Fixed<uint8_t>(in, pos)) return std::string(*v ? "1" : "0");
      return std::nullopt;
    case kXsdBoolean:
      if (auto v = Fixed<uint8_t>(in, pos)) return std::string(*v ? "true" : "false");
      return std::nullopt;
    case kSqlReal:
      if (auto v = Fixed<uint32_t>(in, pos)) {
        float value;
        static_assert(sizeof value == sizeof *v);
        std::memcpy(&value, &*v, sizeof value);
        return RealText(value);
      }
      return std::nullopt;
    case kSqlFloat:
      if (auto v = Fixed<uint64_t>(in, pos)) {
        double value;
        static_assert(sizeof value == sizeof *v);
        std::memcpy(&value, &*v, sizeof value);
        return DoubleText(value);
      }
      return std::nullopt;
    case kSqlMoney:
      if (auto v = Fixed<int64_t>(in, pos)) return TenThousandths(*v);
      return std::nullopt;
    case kSqlSmallMoney:
      if (auto v = Fixed<int32_t>(in, pos)) return TenThousandths(*v);
      return std::nullopt;
    case kSqlUuid:
      if (auto v = ReadFixed(in, pos, 16)) return FormatGuid(*v);
      return std::nullopt;
    case kSqlDecimal:
    case kSqlNumeric:
      return DecimalValue(in, pos, false);
    case kXsdDecimal:
      return DecimalValue(in, pos, true);
    case kSqlBinary:
    case kSqlVarBinary:
    case kSqlImage:
    case kSqlUdt:
    case kXsdBase64:
      if (auto v = ReadByteRun(in, pos)) return Base64(*v);
      return std::nullopt;
    case kXsdBinHex:
      if (auto v = ReadByteRun(in, pos)) return FormatHex(*v, false);
      return std::nullopt;
    case kSqlChar:
    case kSqlVarChar:
    case kSqlText:
      return CodePageText(in, pos);
    case kSqlNChar:
    case kSqlNVarChar:
    case kSqlNText:
      return ReadUtf16Text(in, pos);
    case kSqlDateTime:
      return SqlDateTime(in, pos);
    case kSqlSmallDateTime:
      return SqlSmallDateTime(in, pos);
    case kXsdTime:
    case kXsdDateTime:
    case kXsdDate:
      return PackedValue(token, in, pos);
    case kXsdTimeOffset:
    case kXsdDateTimeOffset:
    case kXsdDateOffset:
    case kXsdTime2:
    case kXsdDateTime2:
    case kXsdDate2:
      return NewerDateTime(token, in, pos);
    default:
      return std::nullopt;
  }
}

}  // namespace brinehold::binxml
