// `brinehold value TYPE HEX` and `brinehold xml`: one stored value decoded
// from outside. The byte vectors are laid out by hand from the published
// storage formats of each type, not made by our writer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/catalog_builder.h"
#include "writer/record_builder.h"
#include "writer/user_table_writer.h"

namespace brinehold {
namespace {

using test::RunCli;

struct ValueCase {
  const char* type;
  const char* hex;
  const char* text;  // as `rows` prints it
};

TEST(ValueCliTest, EveryTypeFromItsStoredBytes) {
  const std::vector<ValueCase> cases = {
      {"int", "FFFFFFFF", "-1"},
      {"bigint", "0x0000000000000080", "-9223372036854775808"},
      {"smallint", "0080", "-32768"},
      {"tinyint", "FF", "255"},
      {"bit", "01", "True"},
      // decimal: sign byte (0 negative) then 4, 8, 12 or 16 magnitude bytes;
      // the stored length decides the width even when the precision is 0.
      {"decimal(12,2)", "01141A99BE1C000000", "1234567890.12"},
      {"decimal(0,2)", "01141A99BE1C000000", "1234567890.12"},
      {"decimal(5,3)", "0039300000", "-12.345"},
      {"numeric(38,0)", "01FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", "340282366920938463463374607431768211455"},
      {"money", "4E61BC0000000000", "1234.5678"},
      {"smallmoney", "FFFFFFFF", "-0.0001"},
      // float and real: the shortest text that reads back as the stored value.
      {"float", "343333333333D33F", "0.30000000000000004"},
      {"float", "010000000000F03F", "1.0000000000000002"},
      {"float", "9C7500883CE4377E", "1E+300"},
      {"float", "0100000000000000", "5E-324"},
      {"float", "00003426F56B0C43", "1000000000000000"},
      {"float", "0080E03779C34143", "1E+16"},
      {"float", "F168E388B5F8E43E", "0.00001"},
      {"float", "8DEDB5A0F7C6B03E", "1E-06"},
      {"float", "0000000000000080", "-0"},
      {"real", "01000000", "1E-45"},
      {"real", "CDCCCC3D", "0.1"},
      {"real", "38B49649", "1234567"},
      // datetimeoffset: UTC time, day, offset in minutes; shown at its offset.
      {"datetimeoffset(7)", "00A47C7B3607240B4A01", "2000-01-01 12:00:00.0000000 +05:30"},
      {"datetimeoffset(0)", "685B0007240BB8FC", "1999-12-31 16:30:00 -14:00"},
      {"datetimeoffset(0)", "685B0007240B0500", "2000-01-01 06:35:00 +00:05"},
      {"datetimeoffset(0)", "685B0007240B0000", "2000-01-01 06:30:00 +00:00"},
      {"date", "DAB937", "9999-12-31"},
      {"time(3)", "685B00", "00:00:23.400"},
      {"uniqueidentifier", "33221100554477668899AABBCCDDEEFF", "00112233-4455-6677-8899-AABBCCDDEEFF"},
      // Character data keeps embedded zeros (written \0) and is read in the
      // code page of its collation, as Windows maps it.
      {"varchar(20) COLLATE Cyrillic_General_CI_AS", "CFF0E8E2E5F2", "Привет"},
      {"varchar(10)", "610062", "a\\0b"},
      {"nvarchar(10)", "610000006200", "a\\0b"},
      {"char(3)", "610000", "a\\0\\0"},
      {"varchar(5) COLLATE Vietnamese_CI_AS", "61EC", "a\xCC\x81"},
      {"varchar(5) COLLATE Japanese_CI_AS", "80A041", "\xC2\x80\xEF\xA3\xB0" "A"},
      {"varchar(5) COLLATE Chinese_PRC_CI_AS", "80FF", "\xE2\x82\xAC\xEF\xA3\xB5"},
      // sql_variant: base type, version, properties, data.
      {"sql_variant", "380101000000", "1"},
      {"sql_variant", "E7010A000904D00048006900", "Hi"},
      // hierarchyid: the canonical path, at both ends of every label range
      // and with dotted components; a fixed bit of the wrong value or a
      // level left open stays hexadecimal.
      {"hierarchyid", "", "/"},
      {"hierarchyid", "58", "/1/"},
      {"hierarchyid", "5AC0", "/1/1/"},
      {"hierarchyid", "62C0", "/1.1/"},
      {"hierarchyid", "3F80", "/-1/"},
      {"hierarchyid", "A2", "/8/"},
      {"hierarchyid", "59FB0540", "/1/-2.18/"},
      {"hierarchyid", "C110", "/16/"},
      {"hierarchyid", "DBF0", "/79/"},
      {"hierarchyid", "E00440", "/80/"},
      {"hierarchyid", "EEEFC0", "/1103/"},
      {"hierarchyid", "F00088", "/1104/"},
      {"hierarchyid", "F7DDF8", "/5199/"},
      {"hierarchyid", "F80000000220", "/5200/"},
      {"hierarchyid", "FBFFFFBF77E0", "/4294972495/"},
      {"hierarchyid", "FC00000000000110", "/4294972496/"},
      {"hierarchyid", "FFFFF7FFFFDFBBF0", "/281479271683151/"},
      {"hierarchyid", "2DF8", "/-9/"},
      {"hierarchyid", "2088", "/-72/"},
      {"hierarchyid", "1BEEFC", "/-73/"},
      {"hierarchyid", "180044", "/-4168/"},
      {"hierarchyid", "17FFFFBF77E0", "/-4169/"},
      {"hierarchyid", "140000000220", "/-4294971464/"},
      {"hierarchyid", "13FFF7FFFFDFBBF0", "/-4294971465/"},
      {"hierarchyid", "1000000000000110", "/-281479271682120/"},
      {"hierarchyid", "6340", "/1.2/"},
      {"hierarchyid", "540730", "/0.3.-7/"},
      {"hierarchyid", "5BA3", "/1/2.5/"},
      {"hierarchyid", "C510", "0xC510"},
      {"hierarchyid", "60", "0x60"},
      {"hierarchyid", "FC", "0xFC"},
      {"geometry", "E6100000010C", "0xE6100000010C"},
      {"geography", "E6100000010C", "0xE6100000010C"},
      {"varbinary(10)", "0102", "0x0102"},
      {"binary(2)", "0x0102", "0x0102"},
  };
  for (const ValueCase& c : cases) {
    auto result = RunCli({"value", c.type, c.hex});
    EXPECT_EQ(result.exitCode, 0) << c.type << " " << c.hex << ": " << result.err;
    EXPECT_EQ(result.out, std::string(c.text) + "\n") << c.type << " " << c.hex;
  }
}

TEST(ValueCliTest, BadInputGetsAMessageAndAnExitCode) {
  struct Bad {
    std::vector<std::string> args;
    int exitCode;
  };
  const std::vector<Bad> cases = {
      {{"value", "int", "0102"}, 1},             // too short for an int
      {{"value", "datetime", "00"}, 1},
      {{"value", "sql_variant", "3801"}, 1},
      {{"value", "int", "0G"}, 2},
      {{"value", "int", "012"}, 2},
      {{"value", "blob", "01"}, 2},
      {{"value", "varchar(5) COLLATE Nowhere_CI_AS", "41"}, 2},
      {{"value", "decimal(5", "01"}, 2},
      {{"value", "int"}, 2},
  };
  for (const Bad& c : cases) {
    auto result = RunCli(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.args[1];
    EXPECT_FALSE(result.err.empty()) << c.args[1];
    EXPECT_TRUE(result.out.empty()) << c.args[1];
  }
}

TEST(XmlCliTest, DecodesRawAndHexValuesAndNamesWhereItStops) {
  test::TempDir dir;
  // <a>1.0000</a> with a money value, as in the format's description.
  const std::vector<uint8_t> money = {0xDF, 0xFF, 0x01, 0xB0, 0x04, 0xF0, 0x01, 0x61, 0x00, 0xEF, 0x00,
                                      0x00, 0x01, 0xF8, 0x01, 0x05, 0x10, 0x27, 0, 0, 0, 0, 0, 0, 0xF7};
  auto raw = RunCli({"xml", dir.Write("value.bin", money)});
  EXPECT_EQ(raw.exitCode, 0) << raw.err;
  EXPECT_EQ(raw.out, "<a>1.0000</a>\n");

  const std::string hex = "0xDFFF01B004 F0016100 EF000001 F801 05 1027000000000000 F7\n";
  auto fromHex = RunCli({"xml", dir.Write("value.hex", std::vector<uint8_t>(hex.begin(), hex.end())), "--hex"});
  EXPECT_EQ(fromHex.exitCode, 0) << fromHex.err;
  EXPECT_EQ(fromHex.out, "<a>1.0000</a>\n");

  std::vector<uint8_t> cut(money.begin(), money.end() - 4);
  auto broken = RunCli({"xml", dir.Write("cut.bin", cut)});
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_NE(broken.err.find("offset 15"), std::string::npos) << broken.err;
  EXPECT_NE(broken.err.find("0x05"), std::string::npos) << broken.err;

  EXPECT_EQ(RunCli({"xml", dir.Path("missing.bin")}).exitCode, 1);
  EXPECT_EQ(RunCli({"xml", dir.Write("odd.hex", {'0', 'x', 'D'}), "--hex"}).exitCode, 1);
  EXPECT_EQ(RunCli({"xml"}).exitCode, 1);  // standard input is empty: no header
}

// sql_variant values the server pushed out of the row: the pieces are put
// together and the whole variant decoded, as in the row.
TEST(ValueCliTest, VariantsStoredOffRowDecodeWhole) {
  auto variant = [](std::vector<uint8_t> header, const std::vector<uint8_t>& data) {
    header.insert(header.end(), data.begin(), data.end());
    return header;
  };
  std::string hello;
  std::vector<uint8_t> helloUtf16, binary, cyrillic;
  for (int i = 0; i < 600; ++i) hello += "Hello";
  for (char c : hello) helloUtf16.insert(helloUtf16.end(), {static_cast<uint8_t>(c), 0});
  for (int i = 0; i < 5000; ++i) binary.push_back(static_cast<uint8_t>(i % 7));  // zeros included
  std::string privet;
  for (int i = 0; i < 1000; ++i) {
    cyrillic.insert(cyrillic.end(), {0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2});
    privet += "Привет";
  }
  writer::UserTableBlueprint table;
  table.table = {500, "Variants"};
  table.pageOwner = 0x2800;
  table.columns = {writer::TableColumn{"Id", 56, 4, false}, writer::TableColumn{"V", 98, 8016, true}};
  table.rows = {
      {writer::Cell::Value(writer::Int32Bytes(1)), writer::Cell::Large(variant({231, 1, 0x40, 0x1F, 0, 0, 0, 0}, helloUtf16))},
      {writer::Cell::Value(writer::Int32Bytes(2)), writer::Cell::Large(variant({165, 1, 0x40, 0x1F}, binary))},
      {writer::Cell::Value(writer::Int32Bytes(3)),
       writer::Cell::Large(variant({167, 1, 0x40, 0x1F, 0x15, 0xD0, 0, 0}, cyrillic))},  // Cyrillic_General_CI_AS
  };
  writer::CatalogFileBuilder builder;
  writer::AddUserTable(builder, table);
  test::TempDir dir;
  auto result = RunCli({"rows", dir.Write("variants.mdf", builder.Build()), "Variants"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::string hex = "0x";
  for (uint8_t b : binary) {
    static const char* kDigits = "0123456789ABCDEF";
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  EXPECT_NE(result.out.find("\n1\t" + hello + "\n"), std::string::npos);
  EXPECT_NE(result.out.find("\n2\t" + hex + "\n"), std::string::npos);
  EXPECT_NE(result.out.find("\n3\t" + privet + "\n"), std::string::npos);
}

// geometry kept off-row comes out whole in hexadecimal, as in row; a
// hierarchyid of no bytes (not NULL) is the root.
TEST(ValueCliTest, GeometryOffRowAndHierarchyRoot) {
  Bytes shape;
  for (int i = 0; i < 9000; ++i) shape.push_back(static_cast<uint8_t>(i % 5));  // zeros included
  writer::UserTableBlueprint table;
  table.table = {500, "Shapes"};
  table.pageOwner = 0x2800;
  table.columns = {writer::TableColumn{"Id", 56, 4, false}, writer::TableColumn{"Shape", 240, -1, true, 129},
                   writer::TableColumn{"Node", 240, 892, true, 128}};
  table.rows = {
      {writer::Cell::Value(writer::Int32Bytes(1)), writer::Cell::Large(shape), writer::Cell::Value({})},
      {writer::Cell::Value(writer::Int32Bytes(2)), writer::Cell::Value({0xE6, 0x10, 0, 0, 0x01, 0x0C}),
       writer::Cell::Value({0x5B, 0xA3})},
      {writer::Cell::Value(writer::Int32Bytes(3)), writer::Cell::Null(), writer::Cell::Null()},
  };
  writer::CatalogFileBuilder builder;
  writer::AddUserTable(builder, table);
  test::TempDir dir;
  auto result = RunCli({"rows", dir.Write("shapes.mdf", builder.Build()), "Shapes"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::string hex = "0x";
  for (uint8_t b : shape) hex += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
  EXPECT_NE(result.out.find("\n1\t" + hex + "\t/\n"), std::string::npos) << result.out.substr(0, 200);
  EXPECT_NE(result.out.find("\n2\t0xE6100000010C\t/1/2.5/\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\n3\tNULL\tNULL\n"), std::string::npos) << result.out;
}

// A table in the vardecimal storage format keeps its decimals among the
// variable-length columns in the variable-decimal form; no bytes is zero.
TEST(ValueCliTest, VardecimalTables) {
  writer::UserTableBlueprint table;
  table.table = {500, "Prices"};
  table.pageOwner = 0x2800;
  table.columns = {writer::TableColumn{"Id", 56, 4, false},
                   writer::TableColumn{"Price", 106, 5, true, 0, true, 7, 2},
                   writer::TableColumn{"Note", 167, 10, true}};
  table.rows = {
      {writer::Cell::Value(writer::Int32Bytes(1)), writer::Cell::Value({0xC4, 0xF9, 0xFE, 0x7E, 0x10}),
       writer::Cell::Value({'a'})},
      {writer::Cell::Value(writer::Int32Bytes(2)), writer::Cell::Value({0x3E, 0x7D}), writer::Cell::Null()},
      {writer::Cell::Value(writer::Int32Bytes(3)), writer::Cell::Value({}), writer::Cell::Value({'c'})},
      {writer::Cell::Value(writer::Int32Bytes(4)), writer::Cell::Null(), writer::Cell::Value({'d'})},
  };
  writer::CatalogFileBuilder builder;
  writer::AddUserTable(builder, table);
  test::TempDir dir;
  auto result = RunCli({"rows", dir.Write("prices.mdf", builder.Build()), "Prices"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Id\tPrice\tNote\n1\t99999.99\ta\n2\t-0.05\tNULL\n3\t0.00\tc\n4\tNULL\td\n");
}

}  // namespace
}  // namespace brinehold
