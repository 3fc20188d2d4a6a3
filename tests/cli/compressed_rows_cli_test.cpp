// `brinehold rows` on a synthetic database whose table is stored
// compressed: a row-compressed page (short values, long values, SCSU text,
// nulls and empty values) and a page-compressed page (anchor record,
// prefixes, dictionary symbols).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "storage/record.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/catalog_builder.h"
#include "writer/compression_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using test::Lines;

using writer::CompressedInteger;
using writer::CompressedRowBuilder;
using writer::CompressedValue;
using writer::PrefixValue;
using writer::ScsuEncode;
using writer::StoredValue;

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }


writer::ColumnBlueprint Column(int32_t id, const std::string& name, uint8_t type, int16_t length) {
  writer::ColumnBlueprint column;
  column.objectId = 500;
  column.columnId = id;
  column.name = name;
  column.systemTypeId = type;
  column.maxLength = length;
  return column;
}

std::string BuildDatabase(test::TempDir& dir) {
  writer::CompressedTableBlueprint table;
  table.table = {500, "Parts"};
  table.columns = {Column(1, "Id", 56, 4),          Column(2, "Qty", 52, 2),
                   Column(3, "Total", 127, 8),      Column(4, "Price", 60, 8),
                   Column(5, "Name", 167, 40),      Column(6, "Label", 231, 80),
                   Column(7, "Note", 167, 200)};

  // Row compression only.
  writer::CompressedTableBlueprint::Page rowPage;
  rowPage.rows.push_back(CompressedRowBuilder()
                             .Add(StoredValue(CompressedInteger(1)))
                             .Add(StoredValue(CompressedInteger(-5)))
                             .Add(StoredValue(CompressedInteger(123456789012LL)))
                             .Add(StoredValue(CompressedInteger(125000)))  // 12.5 in ten-thousandths
                             .Add(StoredValue(B("Widget")))
                             .Add(StoredValue(ScsuEncode("Москва")))
                             .Add(StoredValue(B("a note long enough for the long-data region")))
                             .Build());
  rowPage.rows.push_back(CompressedRowBuilder()
                             .Add(StoredValue(CompressedInteger(2)))
                             .Add(CompressedValue::Null())
                             .Add(CompressedValue::Empty())
                             .Add(StoredValue(CompressedInteger(-1)))
                             .Add(CompressedValue::Empty())
                             .Add(StoredValue(ScsuEncode("可愛いや Zürich")))
                             .Add(CompressedValue::Null())
                             .Build());

  // Page compression: anchor values per column, a dictionary.
  writer::CompressedTableBlueprint::Page pagePage;
  writer::CompressionInfoLayout info;
  info.anchorRecord = CompressedRowBuilder()
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Null())
                          .Add(StoredValue(CompressedInteger(1000000)))
                          .Add(CompressedValue::Null())
                          .Add(StoredValue(B("Gadget-")))
                          .Add(CompressedValue::Null())
                          .Add(StoredValue(B("Common note text here")))
                          .Build();
  info.dictionary = {PrefixValue(0, B("Seattle Washington")), CompressedInteger(42), ScsuEncode("Ελληνικά")};
  pagePage.info = info;
  pagePage.rows.push_back(CompressedRowBuilder()
                              .Add(StoredValue(CompressedInteger(3)))
                              .Add(CompressedValue::Symbol(1))
                              .Add(StoredValue(PrefixValue(2, {0x41})))  // 1000000 -> 1000001
                              .Add(StoredValue(CompressedInteger(39900)))
                              .Add(StoredValue(PrefixValue(7, B("Pro"))))
                              .Add(CompressedValue::Symbol(2))
                              .Add(CompressedValue::Symbol(0))
                              .Build());
  pagePage.rows.push_back(CompressedRowBuilder()
                              .Add(StoredValue(CompressedInteger(4)))
                              .Add(CompressedValue::Empty())
                              .Add(CompressedValue::Empty())
                              .Add(CompressedValue::Null())
                              .Add(CompressedValue::Empty())
                              .Add(CompressedValue::Null())
                              .Add(StoredValue(PrefixValue(7, B("with a longer ending"))))
                              .Build());
  table.pages = {rowPage, pagePage};

  writer::CatalogFileBuilder builder;
  writer::AddCompressedTable(builder, table);
  return dir.Write("compressed.mdf", builder.Build());
}

TEST(CompressedRowsCliTest, RowAndPageCompressedRowsRenderTheirValues) {
  test::TempDir dir;
  const std::string path = BuildDatabase(dir);
  auto result = test::RunCli({"rows", path, "Parts"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 5u) << result.out;
  EXPECT_EQ(lines[0], "Id\tQty\tTotal\tPrice\tName\tLabel\tNote");
  EXPECT_EQ(lines[1], "1\t-5\t123456789012\t12.5000\tWidget\tМосква\ta note long enough for the long-data region");
  EXPECT_EQ(lines[2], "2\tNULL\t0\t-0.0001\t\t可愛いや Zürich\tNULL");
  EXPECT_EQ(lines[3], "3\t42\t1000001\t3.9900\tGadget-Pro\tΕλληνικά\tSeattle Washington");
  EXPECT_EQ(lines[4], "4\t0\t1000000\tNULL\tGadget-\tNULL\tCommon with a longer ending");
}

// Bit columns, a computed column, a physical order that puts Name second,
// and a row moved to another page (a forwarding stub on the first page, the
// compressed row on a page-compressed second page whose anchor the row's
// prefix refers to).
std::string BuildFlagsDatabase(test::TempDir& dir) {
  writer::CompressedTableBlueprint table;
  table.table = {501, "Flags"};
  auto column = [](int32_t id, const std::string& name, uint8_t type, int16_t length) {
    writer::ColumnBlueprint made = Column(id, name, type, length);
    made.objectId = 501;
    return made;
  };
  table.columns = {column(1, "Id", 56, 4),         column(2, "Active", 104, 1), column(3, "Total", 56, 4),
                   column(4, "Deleted", 104, 1),   column(5, "Name", 167, 40),  column(6, "Archived", 104, 1)};
  table.computedColumns = {3};
  table.physicalOrder = {1, 5, 2, 4, 6};

  // Rows are written in the physical order: Id, Name, Active, Deleted, Archived.
  writer::CompressedTableBlueprint::Page first;
  first.rows.push_back(CompressedRowBuilder()
                           .Add(StoredValue(CompressedInteger(1)))
                           .Add(StoredValue(B("alpha")))
                           .Add(CompressedValue::Raw(11))
                           .Add(CompressedValue::Empty())
                           .Add(CompressedValue::Null())
                           .Build());
  first.rows.push_back(Bytes(9, 0));  // the stub, once the second page's number is known
  writer::CompressedTableBlueprint::Page second;
  writer::CompressionInfoLayout info;
  info.anchorRecord = CompressedRowBuilder()
                          .Add(CompressedValue::Null())
                          .Add(StoredValue(B("gamma-ray")))
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Null())
                          .Build();
  info.dictionary = {B("unused")};
  second.info = info;
  second.rows.push_back(CompressedRowBuilder()
                            .SetStatus(writer::CompressedRowStatus(kForwardedRecordType))
                            .Add(StoredValue(CompressedInteger(2)))
                            .Add(StoredValue(PrefixValue(5, B("-burst"))))
                            .Add(CompressedValue::Empty())
                            .Add(CompressedValue::Raw(11))
                            .Add(CompressedValue::Raw(11))
                            .Build());
  table.pages = {first, second};

  writer::CatalogFileBuilder probe;
  const PageAddress firstPage = writer::AddCompressedTable(probe, table);
  table.pages[0].rows[1] = writer::ForwardingStub(PageAddress{1, firstPage.pageNumber + 1}, 0);

  writer::CatalogFileBuilder builder;
  writer::AddCompressedTable(builder, table);
  return dir.Write("flags.mdf", builder.Build());
}

TEST(CompressedRowsCliTest, BitsComputedColumnsPhysicalOrderAndMovedRows) {
  test::TempDir dir;
  const std::string path = BuildFlagsDatabase(dir);
  auto result = test::RunCli({"rows", path, "Flags"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 3u) << result.out;
  // The computed column has no stored value and so no column here.
  EXPECT_EQ(lines[0], "Id\tActive\tDeleted\tName\tArchived");
  EXPECT_EQ(lines[1], "1\tTrue\tFalse\talpha\tNULL");
  EXPECT_EQ(lines[2], "2\tFalse\tTrue\tgamma-burst\tTrue");

  // The record listing reads the same pages the same way.
  auto list = test::RunCli({"list", path, "Flags"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  const std::string& shown = list.out;
  EXPECT_NE(shown.find("1\tTrue\tFalse\talpha\tNULL"), std::string::npos) << shown;
  EXPECT_NE(shown.find("2\tFalse\tTrue\tgamma-burst\tTrue"), std::string::npos) << shown;
}

// Values stored as the published format describes them: trailing blanks of
// char and nchar left out, float and real without their low-order zero
// bytes, nvarchar(max) kept in UCS-2 (no Unicode compression), and rows
// whose status carries versioning information.
TEST(CompressedRowsCliTest, TypesStoredAsPublished) {
  test::TempDir dir;
  writer::CompressedTableBlueprint table;
  table.table = {500, "Facts"};
  table.columns = {Column(1, "Id", 56, 4),    Column(2, "Code", 175, 5), Column(3, "Ratio", 62, 8),
                   Column(4, "Small", 59, 4), Column(5, "Memo", 231, -1), Column(6, "Label", 239, 8)};
  writer::CompressedTableBlueprint::Page page;
  page.rows.push_back(CompressedRowBuilder()
                          .SetStatus(writer::CompressedRowStatus(kPrimaryRecordType, false, true))
                          .Add(StoredValue(CompressedInteger(1)))
                          .Add(StoredValue(B("ab")))
                          .Add(StoredValue({0xF0, 0x3F}))  // 1.0
                          .Add(StoredValue({0x80, 0x3F}))  // 1.0f
                          .Add(StoredValue({0xE9, 0x00, 0x74, 0x00, 0xE9, 0x00}))
                          .Add(StoredValue(ScsuEncode("xy")))
                          .Build());
  page.rows.push_back(CompressedRowBuilder()
                          .SetStatus(writer::CompressedRowStatus(kPrimaryRecordType, true, true))
                          .Add(StoredValue(CompressedInteger(2)))
                          .Add(CompressedValue::Empty())
                          .Add(CompressedValue::Empty())
                          .Add(CompressedValue::Null())
                          .Add(StoredValue(writer::Utf16("naïve text")))
                          .Add(CompressedValue::Null())
                          .Build());
  table.pages = {page};
  writer::CatalogFileBuilder builder;
  writer::AddCompressedTable(builder, table);
  const std::string path = dir.Write("facts.mdf", builder.Build());

  auto result = test::RunCli({"rows", path, "Facts"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 3u) << result.out;
  EXPECT_EQ(lines[1], "1\tab   \t1\t1\tété\txy  ") << result.out;
  EXPECT_EQ(lines[2], "2\t     \t0\tNULL\tnaïve text\tNULL") << result.out;
}

// decimal and numeric in the variable-decimal form (zero as no bytes, long
// ones in the long-data region, one from the page dictionary) and a
// timestamp kept as an integer, through `rows`.
TEST(CompressedRowsCliTest, DecimalsAndTimestamps) {
  test::TempDir dir;
  writer::CompressedTableBlueprint table;
  table.table = {500, "Amounts"};
  writer::ColumnBlueprint price = Column(2, "Price", 106, 5), big = Column(3, "Big", 108, 17);
  price.precision = 7;
  price.scale = 2;
  big.precision = 38;
  table.columns = {Column(1, "Id", 56, 4), price, big, Column(4, "Stamp", 189, 8)};
  const std::string nines(38, '9');
  writer::CompressedTableBlueprint::Page page;
  writer::CompressionInfoLayout info;
  info.anchorRecord = CompressedRowBuilder()
                          .Add(CompressedValue::Null()).Add(CompressedValue::Null())
                          .Add(CompressedValue::Null()).Add(CompressedValue::Null()).Build();
  info.dictionary = {writer::CompressedDecimal("-0.05")};
  page.info = info;
  page.rows.push_back(CompressedRowBuilder()
                          .Add(StoredValue(CompressedInteger(1)))
                          .Add(StoredValue(writer::CompressedDecimal("99999.99")))
                          .Add(StoredValue(writer::CompressedDecimal(nines)))
                          .Add(StoredValue(CompressedInteger(2001)))
                          .Build());
  page.rows.push_back(CompressedRowBuilder()
                          .Add(StoredValue(CompressedInteger(2)))
                          .Add(StoredValue(writer::CompressedDecimal("0")))
                          .Add(StoredValue(writer::CompressedDecimal("-" + nines)))
                          .Add(CompressedValue::Empty())
                          .Build());
  page.rows.push_back(CompressedRowBuilder()
                          .Add(StoredValue(CompressedInteger(3)))
                          .Add(CompressedValue::Symbol(0))
                          .Add(StoredValue(writer::CompressedDecimal("-1")))
                          .Add(StoredValue(CompressedInteger(0x0123456789ABCDEF)))
                          .Build());
  table.pages = {page};
  writer::CatalogFileBuilder builder;
  writer::AddCompressedTable(builder, table);
  auto result = test::RunCli({"rows", dir.Write("amounts.mdf", builder.Build()), "Amounts"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 4u) << result.out;
  EXPECT_EQ(lines[1], "1\t99999.99\t" + nines + "\t0x00000000000007D1");
  EXPECT_EQ(lines[2], "2\t0.00\t-" + nines + "\t0x0000000000000000");
  EXPECT_EQ(lines[3], "3\t-0.05\t-1\t0x0123456789ABCDEF");
}

}  // namespace
}  // namespace brinehold
