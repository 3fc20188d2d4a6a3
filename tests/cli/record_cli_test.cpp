// `brinehold record`: one record decoded against a column list. The value
// bytes are laid out by hand from the published formats (the variable
// decimal form, integers with their top bit inverted); the row frames
// around them come from the synthetic writer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/record.h"
#include "support/run_cli.h"
#include "writer/compression_builder.h"
#include "writer/page_builder.h"

namespace brinehold {
namespace {

using test::RunCli;
using writer::CompressedRowBuilder;
using writer::CompressedValue;

Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

std::string ToHex(const Bytes& bytes) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string hex;
  for (uint8_t b : bytes) hex += {kDigits[b >> 4], kDigits[b & 15]};
  return hex;
}

// A compressed row of one column holding `stored` (no bytes: the empty
// code; above 8 bytes: a long value).
std::string OneColumnRow(const std::string& storedHex) {
  return ToHex(CompressedRowBuilder().Add(writer::StoredValue(FromHex(storedHex))).Build());
}

TEST(RecordCliTest, CompressedValuesOfEveryPrecision) {
  struct Case {
    const char* type;
    const char* stored;
    const char* text;
  };
  const std::string nines(38, '9');
  const Case cases[] = {
      // variable decimal: sign and exponent + 64, then 10-bit groups of three digits
      {"decimal(1,0)", "", "0"},
      {"decimal(1,0)", "80", "0"},
      {"decimal(1,0)", "00", "0"},  // a sign without digits is still zero, never -0
      {"decimal(1,0)", "C0E1", "9"},
      {"decimal(1,0)", "40E1", "-9"},
      {"decimal(5,2)", "C21EDC20", "123.45"},
      {"decimal(5,2)", "3E7D", "-0.05"},
      {"decimal(7,2)", "C4F9FE7E10", "99999.99"},
      {"decimal(7,2)", "44F9FE7E10", "-99999.99"},
      {"decimal(9,2)", "BE19", "0.01"},
      {"numeric(10,0)", "C319", "1000"},
      {"decimal(11,1)", "4935AEC5B352", "-2147483648.5"},
      {"decimal(19,9)", "C81EDC8C547B723150", "123456789.123456789"},
      {"decimal(28,0)", "C119", "10"},
      {"decimal(38,38)", "9A19", "0.00000000000000000000000000000000000001"},
      {"decimal(38,0)", "E519", "10000000000000000000000000000000000000"},
      {"decimal(38,0)", "E5F9FE7F9FE7F9FE7F9FE7F9FE7F9FE7F780", "99999999999999999999999999999999999999"},
      {"decimal(38,0)", "65F9FE7F9FE7F9FE7F9FE7F9FE7F9FE7F780", "-99999999999999999999999999999999999999"},
      {"decimal(5,0)", "C21EDC20", ""},  // digits below the scale: not this column's value
      {"decimal(5,2)", "C0FFC0", ""},    // a group above 999
      // timestamp: an integer with its top bit inverted, shown as its 8 bytes
      {"timestamp", "", "0x0000000000000000"},
      {"timestamp", "87D1", "0x00000000000007D1"},
      {"rowversion", "8123456789ABCDEF", "0x0123456789ABCDEF"},
      // the other rebuilt kinds
      {"int", "7F", "-1"},
      {"float", "F03F", "1"},
      {"real", "803F", "1"},
      {"char(4)", "6162", "ab  "},
      {"nchar(3)", "6162", "ab "},
      {"nvarchar(max)", "E9007400E900", "été"},
      {"binary(3)", "01", "0x010000"},
  };
  for (const Case& c : cases) {
    auto result = RunCli({"record", "--columns", c.type, OneColumnRow(c.stored)});
    EXPECT_EQ(result.exitCode, 0) << c.type << " " << c.stored << ": " << result.err;
    EXPECT_EQ(result.out, std::string(c.text) + "\n") << c.type << " " << c.stored;
  }
}

TEST(RecordCliTest, PlainAndPageCompressedRecords) {
  // A plain row: int 1, varchar "ABCDE", nvarchar(max) "été", a NULL bit.
  const std::string plain = "300009000100000000040008020017001D004142434445E9007400E900";
  auto result = RunCli({"record", "--columns", "int, varchar(10), nvarchar(max) , bit", plain});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "1\tABCDE\tété\tNULL\n");

  // A page-compressed row: its int and varchar values take a prefix of the
  // anchor's, its decimal is the dictionary's first entry.
  writer::CompressionInfoLayout info;
  info.anchorRecord = CompressedRowBuilder()
                          .Add(writer::StoredValue(FromHex("8F4240")))  // 1000000
                          .Add(writer::StoredValue({'G', 'a', 'd', 'g', 'e', 't', '-'}))
                          .Add(CompressedValue::Null())
                          .Build();
  info.dictionary = {FromHex("3E7D")};  // -0.05
  const Bytes page = writer::CompressedDataPage({1, 9}, 0x7A0, info, {});
  const uint16_t size = static_cast<uint16_t>(page[101] | page[102] << 8);
  const std::string pageInfo = ToHex(Bytes(page.begin() + 96, page.begin() + 96 + size));
  const std::string row = ToHex(CompressedRowBuilder()
                                    .Add(writer::StoredValue(writer::PrefixValue(2, {0x41})))
                                    .Add(writer::StoredValue(writer::PrefixValue(7, {'P', 'r', 'o'})))
                                    .Add(CompressedValue::Symbol(0))
                                    .Build());
  const std::vector<std::string> args = {"record", "--columns", "int, varchar(20), decimal(5,2)", row};
  result = RunCli({args[0], args[1], args[2], args[3], "--page-info", pageInfo});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "1000001\tGadget-Pro\t-0.05\n");
}

TEST(RecordCliTest, BadRecordsNameTheOffset) {
  struct Bad {
    std::vector<std::string> args;
    int exitCode;
    const char* says;
  };
  const Bad cases[] = {
      {{"--columns", "int", "3000"}, 1, "offset 0"},
      {{"--columns", "int", "30004000"}, 1, "offset 2"},
      {{"--columns", "int, bigint", "30000800010000000200"}, 1, "offset 4"},
      {{"--columns", "int, varchar(5)", "30000800010000000200000100FF00"}, 1, "offset 13"},
      {{"--columns", "int", "0100"}, 1, "offset 1"},
      {{"--columns", "int, int, int", "010333"}, 1, "offset 2"},
      {{"--columns", "int", "01010507"}, 1, "offset 3"},
      {{"--columns", "int", "01010A"}, 1, "long-data flag"},
      {{"--columns", "int", "0101020781", "--page-info", "00"}, 1, "page information"},
      {{"--columns", "int", "0x1"}, 2, "HEX"},
      {{"--columns", "blob", "01"}, 2, "'blob'"},
      {{"--columns", "int"}, 2, "HEX"},
      {{"3000"}, 2, "--columns"},
  };
  for (const Bad& c : cases) {
    std::vector<std::string> args = {"record"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto result = RunCli(args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.says;
    EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty()) << c.says;
  }
}

}  // namespace
}  // namespace brinehold
