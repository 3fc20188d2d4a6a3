// brinehold schema: the column table of synthetic files (key flags, a
// foreign key of two columns, a dropped column, the SQL Server 2005 rowset
// tables), lookups that fail, and on the real files the columns, types and
// nullability their creation scripts declare.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/corpus.h"
#include "support/create_table_script.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/catalog_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::AppendLE;
using writer::CatalogFileBuilder;
using writer::RecordBuilder;

constexpr const char* kHeader =
    "column_id\tname\ttype\tkind\tnullable\tstored\tleaf_offset\tnull_bit\thobt_column_id\tkey\treferences\t"
    "identity";

using Row = std::vector<std::string>;

std::vector<Row> Table(const std::string& out) {
  std::vector<Row> rows;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    Row row;
    size_t start = 0;
    while (true) {
      size_t tab = line.find('\t', start);
      row.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

enum Field { kId, kName, kType, kKind, kNullable, kStored, kLeaf, kNullBit, kHobt, kKey, kReferences, kIdentity };

Bytes Fixed(std::initializer_list<std::pair<uint64_t, size_t>> fields) {
  Bytes out;
  for (auto [value, width] : fields) AppendLE(out, value, width);
  return out;
}

Bytes Record(Bytes fixed, const std::string& name = {}) {
  RecordBuilder record;
  record.SetFixed(std::move(fixed)).SetColumnCount(12);
  if (!name.empty()) record.AddVariable(writer::Utf16(name));
  return record.Build();
}

Bytes RsColRecord(int64_t rowset, int32_t rowsetColumn, int32_t hobtColumn, int32_t leaf, int32_t nullBit) {
  return Record(Fixed({{static_cast<uint64_t>(rowset), 8}, {static_cast<uint32_t>(rowsetColumn), 4},
                    {static_cast<uint32_t>(hobtColumn), 4}, {0, 8}, {0, 4}, {static_cast<uint32_t>(rowsetColumn), 4},
                    {0, 2}, {0, 2}, {0, 4}, {static_cast<uint32_t>(leaf), 4}, {static_cast<uint32_t>(nullBit), 4},
                    {0, 2}}));
}

Bytes IndexRecord(int32_t objectId, int32_t indexId, int32_t status, int64_t rowset, const std::string& name) {
  return Record(Fixed({{static_cast<uint32_t>(objectId), 4}, {static_cast<uint32_t>(indexId), 4},
                    {static_cast<uint32_t>(status), 4}, {0, 4}, {0, 1}, {1, 1}, {0, 1}, {1, 4}, {0, 4},
                    {static_cast<uint64_t>(rowset), 8}}),
             name);
}

Bytes IndexColumnRecord(int32_t objectId, int32_t indexId, int32_t ordinal, int32_t columnId) {
  return Record(Fixed({{static_cast<uint32_t>(objectId), 4}, {static_cast<uint32_t>(indexId), 4},
                    {static_cast<uint32_t>(ordinal), 4}, {0, 4}, {static_cast<uint32_t>(columnId), 4}, {0, 1},
                    {0, 1}}));
}

Bytes HobtColumnRecord(int64_t hobt, int32_t column, int16_t leaf, int16_t nullBit) {
  Bytes fixed = Fixed({{static_cast<uint64_t>(hobt), 8}, {static_cast<uint32_t>(column), 4}});
  fixed.resize(27, 0);
  AppendLE(fixed, static_cast<uint16_t>(leaf), 2);
  fixed.resize(33, 0);
  AppendLE(fixed, static_cast<uint16_t>(nullBit), 2);
  fixed.resize(40, 0);
  return Record(std::move(fixed));
}

Bytes RowsetColumn2005Record(int64_t rowset, int32_t rowsetColumn, int32_t hobtColumn) {
  return Record(Fixed({{static_cast<uint64_t>(rowset), 8}, {static_cast<uint32_t>(rowsetColumn), 4},
                    {static_cast<uint32_t>(hobtColumn), 4}}));
}

constexpr int64_t kOrdersRowset = 72057594038321152LL;
constexpr int64_t kLinesRowset = 72057594038386688LL;

// Orders (Id int identity PK, Code varchar(10) UNIQUE, Region nvarchar(20)
// NULL) and Lines (OrderId int, Code varchar(10), dropped column 3, Qty
// smallint NULL) with FK (OrderId, Code) -> Orders (Id, Code).
CatalogFileBuilder ShopFile() {
  CatalogFileBuilder b;
  b.AddTable({100, "Orders"}, {{100, 1, "Id", 56, 4, 5, writer::IdentityValue32(1, 1)},
                               {100, 2, "Code", 167, 10, 1},
                               {100, 3, "Region", 231, 40, 0}});
  b.AddTable({200, "Lines"}, {{200, 1, "OrderId", 56, 4, 1}, {200, 2, "Code", 167, 10, 1},
                              {200, 4, "Qty", 52, 2, 0}});
  b.Add(34, writer::SysschobjsRow({300, "FK_Lines_Orders", "F ", 200}));
  b.Add(34, writer::SysschobjsRow({301, "PK_Orders", "PK", 100}));
  b.Add(34, writer::SysschobjsRow({302, "OrdersView", "V "}));
  b.Add(74, writer::SingleObjRefRow(28, 300, 1, 200, 1));
  b.Add(74, writer::SingleObjRefRow(28, 300, 2, 200, 2));
  b.Add(74, writer::SingleObjRefRow(29, 300, 1, 100, 1));
  b.Add(74, writer::SingleObjRefRow(29, 300, 2, 100, 2));
  b.Add(5, writer::SysrowsetsRow(kOrdersRowset, 100, 1, 0));
  b.Add(5, writer::SysrowsetsRow(kLinesRowset, 200, 0, 0));
  b.Add(54, IndexRecord(100, 1, 0x1 | 0x8 | 0x20, kOrdersRowset, "PK_Orders"));
  b.Add(54, IndexRecord(100, 2, 0x1 | 0x8 | 0x40, 0, "UQ_Orders_Code"));
  b.Add(54, IndexRecord(100, 3, 0x2, 0, "_WA_Sys_Region"));  // statistics
  b.Add(55, IndexColumnRecord(100, 1, 1, 1));
  b.Add(55, IndexColumnRecord(100, 2, 1, 2));
  b.Add(55, IndexColumnRecord(100, 3, 1, 3));
  return b;
}

void AddRowsetColumns(CatalogFileBuilder& b) {
  b.Add(3, RsColRecord(kOrdersRowset, 1, 1, 4, 1));
  b.Add(3, RsColRecord(kOrdersRowset, 2, 2, -1, 2));
  b.Add(3, RsColRecord(kOrdersRowset, 3, 3, -2, 3));
  b.Add(3, RsColRecord(kLinesRowset, 1, 1, 4, 1));
  b.Add(3, RsColRecord(kLinesRowset, 2, 2, -1, 2));
  b.Add(3, RsColRecord(kLinesRowset, 3, 3, 8, 3));  // the dropped column keeps its slot
  b.Add(3, RsColRecord(kLinesRowset, 4, 4, 12, 4));
}

class SchemaCliTest : public ::testing::Test {
 protected:
  std::string Write(const CatalogFileBuilder& builder) { return dir_.Write("shop.mdf", builder.Build()); }
  test::TempDir dir_;
};

TEST_F(SchemaCliTest, ListsColumnsWithKeysForeignKeysAndPositions) {
  CatalogFileBuilder b = ShopFile();
  AddRowsetColumns(b);
  const std::string path = Write(b);

  test::CliResult orders = test::RunCli({"schema", path, "Orders"});
  ASSERT_EQ(orders.exitCode, 0) << orders.err;
  std::vector<Row> rows = Table(orders.out);
  ASSERT_EQ(rows.size(), 4u) << orders.out;
  EXPECT_EQ(orders.out.substr(0, orders.out.find('\n')), kHeader);
  EXPECT_EQ(rows[1], (Row{"1", "Id", "int(4)", "Int", "0", "1", "4", "1", "1", "PK", "", "identity(1,1)"}));
  EXPECT_EQ(rows[2], (Row{"2", "Code", "varchar(10)", "VarChar", "0", "1", "-1", "2", "2", "UQ", "", ""}));
  // Statistics on Region give it no key.
  EXPECT_EQ(rows[3], (Row{"3", "Region", "nvarchar(40)", "NVarChar", "1", "1", "-2", "3", "3", "", "", ""}));

  test::CliResult lines = test::RunCli({"schema", path, "Lines", "--type", "U"});
  ASSERT_EQ(lines.exitCode, 0) << lines.err;
  rows = Table(lines.out);
  ASSERT_EQ(rows.size(), 4u) << lines.out;
  EXPECT_EQ(rows[1][kReferences], "Orders(Id)");
  EXPECT_EQ(rows[2][kReferences], "Orders(Code)");
  // Column 3 was dropped: not listed, and Qty keeps its own position.
  EXPECT_EQ(rows[3], (Row{"4", "Qty", "smallint(2)", "SmallInt", "1", "1", "12", "4", "4", "", "", ""}));
}

TEST_F(SchemaCliTest, Sql2005RowsetTablesGivePositionsAndAPlaceholderForTheDroppedColumn) {
  CatalogFileBuilder b = ShopFile();
  // No sysrscols rows: object 13 holds the positions, object 4 maps the
  // rowset column ids.
  for (int32_t column : {1, 2, 3, 4}) {
    b.Add(13, HobtColumnRecord(kLinesRowset, column, static_cast<int16_t>(column == 2 ? -1 : 4 * column),
                            static_cast<int16_t>(column)));
    b.Add(4, RowsetColumn2005Record(kLinesRowset, column, column + 10));
  }
  const std::string path = Write(b);
  test::CliResult lines = test::RunCli({"schema", path, "Lines"});
  ASSERT_EQ(lines.exitCode, 0) << lines.err;
  std::vector<Row> rows = Table(lines.out);
  ASSERT_EQ(rows.size(), 5u) << lines.out;
  EXPECT_EQ(rows[1][kLeaf], "4");
  EXPECT_EQ(rows[1][kHobt], "11");
  EXPECT_EQ(rows[2][kLeaf], "-1");
  EXPECT_EQ(rows[3][kName], "Qty");
  EXPECT_EQ(rows[3][kLeaf], "16");
  EXPECT_EQ(rows[3][kNullBit], "4");
  EXPECT_EQ(rows[3][kHobt], "14");
  EXPECT_EQ(rows[4], (Row{"3", "", "", "BigInt", "0", "0", "12", "3", "-99", "", "", ""}));

  // Orders has no positions at all: every column counts as stored.
  rows = Table(test::RunCli({"schema", path, "Orders"}).out);
  ASSERT_EQ(rows.size(), 4u);
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i][kStored], "1");
}

TEST_F(SchemaCliTest, LookupFailuresAndProgrammableObjects) {
  const std::string path = Write(ShopFile());
  test::CliResult missing = test::RunCli({"schema", path, "Invoices"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_NE(missing.err.find("no table named 'Invoices'"), std::string::npos) << missing.err;
  // Table names as SQL writes them, found as the rows command finds them.
  const std::string orders = test::RunCli({"schema", path, "Orders"}).out;
  for (const char* written : {"orders", "dbo.Orders", "[Orders]", "[dbo].[orders]"}) {
    test::CliResult found = test::RunCli({"schema", path, written});
    EXPECT_EQ(found.exitCode, 0) << written << "\n" << found.err;
    EXPECT_EQ(found.out, orders) << written;
  }

  // A view is found whatever type is asked for; it has no columns here.
  test::CliResult view = test::RunCli({"schema", path, "OrdersView"});
  ASSERT_EQ(view.exitCode, 0);
  std::vector<Row> rows = Table(view.out);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1][kName], "id");
  EXPECT_EQ(rows[2][kName], "type");

  EXPECT_EQ(test::RunCli({"schema", path}).exitCode, 2);
  EXPECT_EQ(test::RunCli({"schema", path, "Orders", "--type", "ABC"}).exitCode, 2);
  test::CliResult bad = test::RunCli({"schema", dir_.Path("none.mdf"), "Orders"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_FALSE(bad.err.empty());
}

// The creation scripts beside the real files name their tables' columns,
// types and nullability; the schema read from the file must say the same,
// in column-id order.
TEST(SchemaCorpus, ColumnsTypesAndNullabilityMatchTheCreationScripts) {
  std::vector<std::string> files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  int scripts = 0;
  int tables = 0;
  for (const std::string& mdf : files) {
    std::filesystem::path script = std::filesystem::path(mdf).replace_extension(".sql");
    if (!std::filesystem::exists(script)) continue;
    ++scripts;
    for (const test::ScriptTable& table : test::ParseCreateTables(test::ReadScriptText(script.string()))) {
      SCOPED_TRACE(mdf + " " + table.name);
      ++tables;
      test::CliResult result = test::RunCli({"schema", mdf, table.name});
      ASSERT_EQ(result.exitCode, 0) << result.err;
      std::vector<Row> rows = Table(result.out);
      ASSERT_EQ(rows.size(), table.columns.size() + 1) << result.out;
      int previousId = 0;
      for (size_t i = 0; i < table.columns.size(); ++i) {
        const test::ScriptColumn& expected = table.columns[i];
        const Row& row = rows[i + 1];
        ASSERT_EQ(row.size(), 12u);
        EXPECT_GT(std::stoi(row[kId]), previousId);
        previousId = std::stoi(row[kId]);
        EXPECT_EQ(row[kName], expected.name);
        if (expected.computed) continue;
        EXPECT_EQ(row[kType], expected.typeText) << expected.name << " declared " << expected.declaredType;
        EXPECT_EQ(row[kNullable], expected.nullable ? "1" : "0") << expected.name;
      }
    }
  }
  if (scripts == 0) GTEST_SKIP() << "no creation scripts beside the corpus files";
  EXPECT_GT(tables, 0);
}

}  // namespace
}  // namespace brinehold
