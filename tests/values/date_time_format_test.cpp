#include "values/date_time_format.h"

#include <gtest/gtest.h>

#include "values/le_bytes.h"

namespace brinehold {
namespace {

using test::DayNumber;
using test::LeBytes;

constexpr int64_t k1900 = 693595;

std::string DateTime(int64_t days1900, int64_t ticks) {
  return FormatDateTime(ByteReader(LeBytes().Int(static_cast<uint64_t>(ticks), 4).Int(static_cast<uint64_t>(days1900), 4).bytes()));
}
std::string SmallDateTime(int minutes, int days1900) {
  return FormatSmallDateTime(ByteReader(LeBytes().Int(static_cast<uint64_t>(minutes), 2).Int(static_cast<uint64_t>(days1900), 2).bytes()));
}
std::string Date(int64_t day) { return FormatDate(ByteReader(LeBytes().Int(static_cast<uint64_t>(day), 3).bytes())); }

TEST(CivilDateTest, CalendarArithmetic) {
  for (auto [y, m, d] : {std::tuple{1, 1, 1}, {1, 12, 31}, {4, 2, 29}, {100, 3, 1}, {400, 12, 31}, {1600, 2, 29},
                         {1900, 2, 28}, {1900, 3, 1}, {2000, 2, 29}, {2000, 12, 31}, {2024, 7, 15}, {9999, 12, 31}}) {
    auto date = CivilFromDayNumber(DayNumber(y, m, d));
    ASSERT_TRUE(date) << y;
    EXPECT_EQ(date->year, y);
    EXPECT_EQ(date->month, m);
    EXPECT_EQ(date->day, d);
  }
  EXPECT_EQ(DayNumber(1900, 1, 1), k1900);
  EXPECT_FALSE(CivilFromDayNumber(-1));
  EXPECT_FALSE(CivilFromDayNumber(DayNumber(9999, 12, 31) + 1));
}

TEST(FormatDateTimeTest, WorkedExamplesAndRangeEnds) {
  EXPECT_EQ(DateTime(0, 0), "1900-01-01 00:00:00");
  EXPECT_EQ(DateTime(0, 300 * 86400), " ");  // 24:00:00
  EXPECT_EQ(DateTime(0, 300 * 3600 * 10 + 300 * 60 * 15 + 300 * 30), "1900-01-01 10:15:30");
  EXPECT_EQ(DateTime(DayNumber(1753, 1, 1) - k1900, 0), "1753-01-01 00:00:00");
  EXPECT_EQ(DateTime(DayNumber(9999, 12, 31) - k1900, 300 * 86400 - 1), "9999-12-31 23:59:59.997");
  EXPECT_EQ(DateTime(DayNumber(9999, 12, 31) - k1900 + 1, 0), " ");
  EXPECT_EQ(DateTime(0, -1), " ");
}

TEST(FormatDateTimeTest, MillisecondsAreShown) {
  // The 1/300 s ticks as SQL Server rounds them: .003, .007, .010.
  EXPECT_EQ(DateTime(0, 1), "1900-01-01 00:00:00.003");
  EXPECT_EQ(DateTime(0, 2), "1900-01-01 00:00:00.007");
  EXPECT_EQ(DateTime(0, 3), "1900-01-01 00:00:00.010");
  EXPECT_EQ(DateTime(0, 300 + 37), "1900-01-01 00:00:01.123");
}

TEST(FormatDateTimeTest, DatesBefore1753AreNotMovedToIt) {
  // No datetime before 1753 is valid; a damaged value shows what it holds.
  EXPECT_EQ(DateTime(DayNumber(1700, 5, 6) - k1900, 0), "1700-05-06 00:00:00");
  EXPECT_EQ(DateTime(-k1900 - 1, 0), " ");
}

TEST(FormatSmallDateTimeTest, Examples) {
  EXPECT_EQ(SmallDateTime(1439, 0), "1900-01-01 23:59:00");
  EXPECT_EQ(SmallDateTime(0, 65535), "2079-06-06 00:00:00");
  EXPECT_EQ(SmallDateTime(1440, 0), " ");
  EXPECT_EQ(SmallDateTime(-1, 0), " ");
}

TEST(FormatDateTest, RangeEnds) {
  EXPECT_EQ(Date(0), "0001-01-01");
  EXPECT_EQ(Date(3652058), "9999-12-31");
  EXPECT_EQ(Date(3652059), " ");
  EXPECT_EQ(Date(0xFFFFFF), " ");
  EXPECT_EQ(Date(DayNumber(2020, 2, 29)), "2020-02-29");
}

TEST(FormatTimeTest, ScalesAndFractions) {
  auto time = [](uint64_t count, int scale, int length) {
    return FormatTime(ByteReader(LeBytes().Int(count, length).bytes()), scale, length);
  };
  EXPECT_EQ(time(0, 0, 3), "00:00:00");
  EXPECT_EQ(time(1, 3, 4), "00:00:00.001");
  EXPECT_EQ(time(369300012345ull, 7, 5), "10:15:30.0012345");
  EXPECT_EQ(time(86399, 0, 3), "23:59:59");
  EXPECT_EQ(time(863999999999ull, 7, 5), "23:59:59.9999999");
  EXPECT_EQ(time(864000000000ull, 7, 5), " ");
  EXPECT_EQ(time(5, 1, 3), "00:00:00.5");
  EXPECT_EQ(time(1, 40, 3), " ");  // a scale no catalog holds
}

TEST(FormatDateTime2Test, LengthsAndRangeEnds) {
  auto dt2 = [](uint64_t count, int64_t day, int scale, int timeWidth) {
    LeBytes b;
    b.Int(count, timeWidth).Int(static_cast<uint64_t>(day), 3);
    return FormatDateTime2(ByteReader(b.bytes()), scale, timeWidth + 3);
  };
  EXPECT_EQ(dt2(0, 0, 0, 3), "0001-01-01 00:00:00");
  EXPECT_EQ(dt2(863999999999ull, 3652058, 7, 5), "9999-12-31 23:59:59.9999999");
  EXPECT_EQ(dt2(45296123, DayNumber(2021, 3, 4), 3, 4), "2021-03-04 12:34:56.123");
  EXPECT_EQ(dt2(1, 3652059, 0, 3), " ");
  // A length outside 6..8 reads as day 0, time 0.
  EXPECT_EQ(FormatDateTime2(ByteReader(LeBytes().Int(99, 5).bytes()), 2, 5), "0001-01-01 00:00:00.00");
}

std::string Dto(uint64_t count, int64_t day, int offset, int scale, int timeWidth) {
  LeBytes b;
  b.Int(count, timeWidth).Int(static_cast<uint64_t>(day), 3).Int(static_cast<uint16_t>(offset), 2);
  return FormatDateTimeOffset(ByteReader(b.bytes()), scale, timeWidth + 5);
}

TEST(FormatDateTimeOffsetTest, CarriesAcrossMidnight) {
  int64_t day = DayNumber(2020, 1, 1);
  EXPECT_EQ(Dto(23 * 3600 + 30 * 60, day, 60, 0, 3), "2020-01-02 00:30:00 +01:00");
  EXPECT_EQ(Dto(12 * 3600, day, 0, 0, 3), "2020-01-01 12:00:00 +00:00");
  EXPECT_EQ(Dto(0, day, 330, 0, 3), "2020-01-01 05:30:00 +05:30");
  // A negative offset carries back into the previous day, year included.
  EXPECT_EQ(Dto(3600, day, -120, 0, 3), "2019-12-31 23:00:00 -02:00");
  EXPECT_EQ(Dto(0, day, -330, 0, 3), "2019-12-31 18:30:00 -05:30");
  // With a scale the fraction follows; one blank before the offset.
  EXPECT_EQ(Dto((23ull * 3600 + 59 * 60 + 59) * 1000 + 5, day, 1, 3, 4), "2020-01-02 00:00:59.005 +00:01");
  EXPECT_EQ(Dto(863999999999ull, 3652058, 840, 7, 5), " ");  // past 9999-12-31
  EXPECT_EQ(Dto(0, 0, -1, 0, 3), " ");                         // before 0001-01-01
}

}  // namespace
}  // namespace brinehold
