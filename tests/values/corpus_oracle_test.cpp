// Values of real data files decoded and compared with the literal values of
// the scripts that created them. The rows are found by a byte pattern of
// their stored data (the catalog is not needed for that); the decoders then
// read the neighbouring columns as the row renderer would.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/read_only_file.h"
#include "platform/text_codec.h"
#include "support/corpus.h"
#include "values/value_decoder.h"

namespace brinehold {
namespace {

std::vector<uint8_t> ReadCorpusFile(const std::string& name) {
  ReadOnlyFile file;
  if (!file.Open(test::CorpusDir() + "/" + name)) return {};
  std::vector<uint8_t> bytes(file.Length());
  bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
  return bytes;
}

std::vector<size_t> FindAll(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle) {
  std::vector<size_t> hits;
  auto it = haystack.begin();
  while ((it = std::search(it, haystack.end(), needle.begin(), needle.end())) != haystack.end()) {
    hits.push_back(static_cast<size_t>(it - haystack.begin()));
    ++it;
  }
  return hits;
}

// Decodes one fixed-part value of `column` at `offset` of the file view.
std::string DecodeAt(const ByteReader& file, size_t offset, const ColumnInfo& column) {
  ValueState state = InitValueState(column, column.kind, nullptr);
  ByteReader at = file.Tail(offset);
  state.available = at.size();
  return DecodeValue(state, at, column);
}

// pubs on SQL Server 2008, table titles. Its fixed part, in column order:
// type char(12), pub_id char(4), price money, advance money, royalty int,
// ytd_sales int, pubdate datetime.
TEST(CorpusOracleTest, PubsTitlesFixedColumns) {
  std::vector<uint8_t> bytes = ReadCorpusFile("655_pubs_88006367.mdf");
  if (bytes.empty()) GTEST_SKIP() << "corpus not found at " << test::CorpusDir();
  const ByteReader file(bytes);
  const ColumnInfo type = BuildColumnInfo("type", "char(12)", ValueKind::Char);
  const ColumnInfo pub = BuildColumnInfo("pub_id", "char(4)", ValueKind::Char);
  const ColumnInfo price = BuildColumnInfo("price", "money(8)", ValueKind::Money);
  const ColumnInfo advance = BuildColumnInfo("advance", "money(8)", ValueKind::Money);
  const ColumnInfo royalty = BuildColumnInfo("royalty", "int(4)", ValueKind::Int);
  const ColumnInfo sales = BuildColumnInfo("ytd_sales", "int(4)", ValueKind::Int);
  const ColumnInfo pubdate = BuildColumnInfo("pubdate", "datetime(8)", ValueKind::DateTime);

  using Row = std::tuple<std::string, std::string, std::string, std::string, std::string, std::string, std::string>;
  // From instpubs.sql: BU1032, BU1111, BU7832, PC8888, PC1035.
  const std::set<Row> expected = {
      {"business    ", "1389", "19.9900", "5000.0000", "10", "4095", "1991-06-12 00:00:00"},
      {"business    ", "1389", "11.9500", "5000.0000", "10", "3876", "1991-06-09 00:00:00"},
      {"business    ", "1389", "19.9900", "5000.0000", "10", "4095", "1991-06-22 00:00:00"},
      {"popular_comp", "1389", "20.0000", "8000.0000", "10", "4095", "1994-06-12 00:00:00"},
      {"popular_comp", "1389", "22.9500", "7000.0000", "16", "8780", "1991-06-30 00:00:00"},
  };
  std::set<Row> found;
  for (std::string key : {"business    1389", "popular_comp1389"}) {
    for (size_t at : FindAll(bytes, std::vector<uint8_t>(key.begin(), key.end()))) {
      Row row{DecodeAt(file, at, type),         DecodeAt(file, at + 12, pub),   DecodeAt(file, at + 16, price),
              DecodeAt(file, at + 24, advance), DecodeAt(file, at + 32, royalty), DecodeAt(file, at + 36, sales),
              DecodeAt(file, at + 40, pubdate)};
      if (expected.count(row)) found.insert(row);
    }
  }
  EXPECT_EQ(found, expected);
}

// ql_quancafe, table FOOD (NAME nvarchar(100), NAMECATEGORY nvarchar(100),
// PRICE float): a record is the 4-byte header, PRICE, the column count (3),
// one null-bitmap byte, two variable offsets, then NAME.
TEST(CorpusOracleTest, QuanCafeFoodPricesAndNames) {
  std::vector<uint8_t> bytes = ReadCorpusFile("706_ql_quancafe_a1b0210d.mdf");
  if (bytes.empty()) GTEST_SKIP() << "corpus not found at " << test::CorpusDir();
  const ByteReader file(bytes);
  const ColumnInfo name = BuildColumnInfo("NAME", "nvarchar(200)", ValueKind::NVarChar);
  const ColumnInfo price = BuildColumnInfo("PRICE", "float(8)", ValueKind::Float);
  const std::pair<std::u16string, std::string> rows[] = {
      {u"7 up", "10000"},   {u"CF Pin ó", "50000"}, {u"CF Trung Nguyên", "24000"},
      {u"Kem Ký", "40000"}, {u"Dừa", "25000"},
  };
  int matched = 0;
  for (const auto& [utf16, expectedPrice] : rows) {
    std::vector<uint8_t> pattern;
    for (char16_t unit : utf16) pattern.insert(pattern.end(), {uint8_t(unit & 0xFF), uint8_t(unit >> 8)});
    bool seen = false;
    for (size_t at : FindAll(bytes, pattern)) {
      if (at < 21) continue;
      size_t record = at - 21;
      if (file.GetOr<uint16_t>(record + 2, 0) != 12 || file.GetOr<uint16_t>(record + 12, 0) != 3) continue;
      EXPECT_EQ(DecodeAt(file, record + 4, price), expectedPrice);
      ValueState state = InitValueState(name, name.kind, nullptr);
      state.valueLength = static_cast<int16_t>(pattern.size());
      std::string decoded = DecodeValue(state, *file.Sub(at, pattern.size()), name);
      EXPECT_EQ(Utf8ToUtf16(decoded), utf16);
      seen = true;
    }
    if (seen) ++matched;
  }
  EXPECT_EQ(matched, 5);
}

// sql_variant values of a 2019 database's internal tables: an nvarchar base
// type (231) whose header carries the maximum length (520) and the collation
// id of SQL_Latin1_General_CP1_CI_AS in bytes 4-7, then the text.
TEST(CorpusOracleTest, VariantHeaderLayoutOfRealValues) {
  std::vector<uint8_t> bytes = ReadCorpusFile("957_database_376379ae.mdf");
  if (bytes.empty()) GTEST_SKIP() << "corpus not found at " << test::CorpusDir();
  const std::vector<uint8_t> header = {0xE7, 0x01, 0x08, 0x02, 0x08, 0xD0, 0x00, 0x34, '1', 0, '.', 0, '0', 0, '0', 0};
  std::vector<size_t> hits = FindAll(bytes, header);
  ASSERT_FALSE(hits.empty());
  const ByteReader file(bytes);
  for (size_t at : hits) {
    ValueState state;
    EXPECT_EQ(DecodeVariant(16, state, *file.Sub(at, 16), ColumnInfo()), "1.00");
  }
}

}  // namespace
}  // namespace brinehold
