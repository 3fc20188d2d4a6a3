// The row renderer on synthetic records: every variant's null, "0x" and
// end-of-column rules, rows with fewer columns than the table, sparse and
// computed columns, the large-value placeholders, record selection, xml
// conversion and spill files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "catalog/value_kind.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "storage/large_value.h"
#include "support/temp_dir.h"
#include "values/convert_xml.h"
#include "values/row_renderer.h"
#include "values/spill_value.h"
#include "values/xml_converter.h"
#include "writer/file_builder.h"
#include "writer/lob_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::AppendLE;
using writer::RecordBuilder;

class RowRendererTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override {
    TheApp().ResetForTests();
    InstallXmlConverter(nullptr);
  }
};

// A stored column at `hobt` (1-based) with its null bit and leaf offset.
ColumnInfo Column(const std::string& name, const std::string& type, ValueKind kind, int32_t hobt, int16_t leaf,
                  bool nullable = true) {
  ColumnInfo column = BuildColumnInfo(name, type, kind);
  column.columnId = hobt;
  column.hobtColumnId = hobt;
  column.nullBit = hobt;
  column.leafOffset = leaf;
  column.legacyRowOffset = leaf;
  column.nullable = nullable ? 1 : 0;
  column.stored = 1;
  return column;
}

Bytes Int32(int32_t value) {
  Bytes out;
  AppendLE(out, static_cast<uint32_t>(value), 4);
  return out;
}

std::vector<std::string> Texts(const RenderedRow& row) {
  std::vector<std::string> texts;
  for (const ColumnInfo& column : row) texts.push_back(column.valueText);
  return texts;
}

// The texts of the one row a record renders to, or {"<no row>"}.
std::vector<std::string> Render(const Bytes& bytes, RowDecodingContext& context, RenderVariant variant) {
  CPrimaryRecord record(ByteReader(bytes), nullptr, 8192);
  auto rows = RenderRecordRows(record, nullptr, context, variant);
  if (rows.empty()) return {"<no row>"};
  return Texts(rows.front());
}

// id int not null, n int null, v varchar(10) null.
std::vector<ColumnInfo> IntIntVarchar() {
  return {Column("id", "int(4)", ValueKind::Int, 1, 4, false), Column("n", "int(4)", ValueKind::Int, 2, 8),
          Column("v", "varchar(10)", ValueKind::VarChar, 3, -1)};
}

TEST_F(RowRendererTest, NullRulesDifferByVariant) {
  Bytes fixed = Int32(7);
  Bytes n = Int32(42);
  fixed.insert(fixed.end(), n.begin(), n.end());
  const Bytes row = RecordBuilder().SetFixed(fixed).SetColumnCount(3).SetNull(1).SetNull(2).Build();

  auto context = BuildRowDecodingContext(IntIntVarchar());
  // The rowset variant trusts the null bitmap.
  EXPECT_EQ(Render(row, context, RenderVariant::RowsetTable), (std::vector<std::string>{"7", "NULL", "NULL"}));
  // So does the positional variant: the bytes a null fixed column still
  // holds are not its value.
  context = BuildRowDecodingContext(IntIntVarchar());
  EXPECT_EQ(Render(row, context, RenderVariant::PositionalTable), (std::vector<std::string>{"7", "NULL", "NULL"}));
  // The catalog variants: A' has no bitmap test, B' tests bit = column
  // counter and leaves null values empty.
  context = BuildRowDecodingContext(IntIntVarchar());
  EXPECT_EQ(Render(row, context, RenderVariant::RowsetCatalog), (std::vector<std::string>{"7", "42", ""}));
  context = BuildRowDecodingContext(IntIntVarchar());
  EXPECT_EQ(Render(row, context, RenderVariant::PositionalCatalog), (std::vector<std::string>{"7", "", ""}));
}

TEST_F(RowRendererTest, SkippedColumnsLeaveTheOthersAsTheyWere) {
  // A consumer that reads a few columns has the others skipped: every other
  // column must come out as in a full render, whether fixed columns are
  // found by their leaf offsets or by the running offset (leaf 0).
  for (const bool byRunningOffset : {false, true}) {
    std::vector<ColumnInfo> columns = {
        Column("id", "int(4)", ValueKind::Int, 1, 4, false), Column("b", "bit(1)", ValueKind::Bit, 2, 8),
        Column("n", "int(4)", ValueKind::Int, 3, 9),         Column("d", "datetime(8)", ValueKind::DateTime, 4, 13),
        Column("v", "varchar(10)", ValueKind::VarChar, 5, -1), Column("w", "int(4)", ValueKind::Int, 6, 21)};
    if (byRunningOffset)
      for (ColumnInfo& column : columns)
        if (column.leafOffset > 0) column.leafOffset = 0;
    Bytes fixed = Int32(7);
    fixed.push_back(0x01);
    for (const Bytes& part : {Int32(42), Bytes{0, 0, 0, 0, 0x10, 0x27, 0, 0}, Int32(-5)})
      fixed.insert(fixed.end(), part.begin(), part.end());
    const Bytes row = RecordBuilder().SetFixed(fixed).SetColumnCount(6).AddVariable({'a', 'b'}).Build();
    for (const RenderVariant variant : {RenderVariant::RowsetTable, RenderVariant::PositionalTable}) {
      auto context = BuildRowDecodingContext(columns);
      const std::vector<std::string> full = Render(row, context, variant);
      ASSERT_EQ(full.size(), columns.size());
      for (size_t skipped = 1; skipped < columns.size(); ++skipped) {
        SCOPED_TRACE(testing::Message() << "running " << byRunningOffset << " skipped " << skipped);
        context.skippedColumns.assign(columns.size(), 0);
        context.skippedColumns[skipped] = 1;
        std::vector<std::string> texts = Render(row, context, variant);
        ASSERT_EQ(texts.size(), full.size());
        texts[skipped] = full[skipped];
        EXPECT_EQ(texts, full);
      }
    }
  }
}

TEST_F(RowRendererTest, PositionalNullBitsFollowTheStoredColumns) {
  // Without null bits from the catalog (SQL Server 2000), bit i belongs to
  // the i-th stored column; a null bit column still uses up its bit.
  std::vector<ColumnInfo> columns = {Column("a", "bit(1)", ValueKind::Bit, 1, 4),
                                     Column("b", "bit(1)", ValueKind::Bit, 2, 4),
                                     Column("c", "bit(1)", ValueKind::Bit, 3, 4),
                                     Column("d", "int(4)", ValueKind::Int, 4, 5)};
  for (ColumnInfo& column : columns) column.nullBit = -1;
  Bytes fixed = {0x05};  // a = 1, b = 0 (null), c = 1
  Bytes d = Int32(12);
  fixed.insert(fixed.end(), d.begin(), d.end());
  const Bytes row = RecordBuilder().SetFixed(fixed).SetColumnCount(4).SetNull(1).Build();
  auto context = BuildRowDecodingContext(columns);
  EXPECT_EQ(Render(row, context, RenderVariant::PositionalTable),
            (std::vector<std::string>{"True", "NULL", "True", "12"}));
}

TEST_F(RowRendererTest, NotStoredColumnIsNullInRowsetVariant) {
  auto columns = IntIntVarchar();
  columns[1].stored = 0;
  auto context = BuildRowDecodingContext(columns);
  Bytes fixed = Int32(1);
  Bytes n = Int32(2);
  fixed.insert(fixed.end(), n.begin(), n.end());
  const Bytes row = RecordBuilder().SetFixed(fixed).SetColumnCount(3).AddVariable({'a'}).Build();
  EXPECT_EQ(Render(row, context, RenderVariant::RowsetTable), (std::vector<std::string>{"1", "NULL", "a"}));
}

// b varbinary(10) as the only column, nullable.
std::vector<ColumnInfo> OneVarbinary() { return {Column("b", "varbinary(10)", ValueKind::VarBinary, 1, -1)}; }

TEST_F(RowRendererTest, BinaryPrefixRules) {
  const Bytes twoBytes = RecordBuilder().SetColumnCount(1).AddVariable({1, 2}).Build();
  const Bytes empty = RecordBuilder().SetColumnCount(1).AddEmptyVariable().Build();
  const Bytes null = RecordBuilder().SetColumnCount(1).SetNull(0).Build();
  const std::vector<std::pair<RenderVariant, std::vector<std::string>>> cases = {
      {RenderVariant::RowsetTable, {"0x0102", "0x", "NULL"}},
      {RenderVariant::PositionalTable, {"0x0102", "0x", "0x"}},
      {RenderVariant::RowsetCatalog, {"0x0102", "", ""}},
      {RenderVariant::PositionalCatalog, {"0x0102", "", ""}},
  };
  for (const auto& [variant, expected] : cases) {
    SCOPED_TRACE(static_cast<int>(variant));
    auto context = BuildRowDecodingContext(OneVarbinary());
    EXPECT_EQ(Render(twoBytes, context, variant)[0], expected[0]);
    EXPECT_EQ(Render(empty, context, variant)[0], expected[1]);
    EXPECT_EQ(Render(null, context, variant)[0], expected[2]);
  }
}

TEST_F(RowRendererTest, PositionalTableLeavesOutRowsWithEmptyFirstText) {
  std::vector<ColumnInfo> columns = {Column("name", "varchar(10)", ValueKind::VarChar, 1, -1, false),
                                     Column("id", "int(4)", ValueKind::Int, 2, 4, false)};
  const Bytes row = RecordBuilder().SetFixed(Int32(5)).SetColumnCount(2).AddEmptyVariable().Build();
  auto context = BuildRowDecodingContext(columns);
  EXPECT_EQ(Render(row, context, RenderVariant::PositionalTable), (std::vector<std::string>{"<no row>"}));
  EXPECT_EQ(Render(row, context, RenderVariant::RowsetTable), (std::vector<std::string>{"", "5"}));
}

TEST_F(RowRendererTest, ColumnsAddedAfterTheRowWasWrittenAreEmpty) {
  // a int, b varchar, c int, then d int and e varchar added later.
  std::vector<ColumnInfo> columns = {Column("a", "int(4)", ValueKind::Int, 1, 4),
                                     Column("b", "varchar(10)", ValueKind::VarChar, 2, -1),
                                     Column("c", "int(4)", ValueKind::Int, 3, 8),
                                     Column("d", "int(4)", ValueKind::Int, 4, 12),
                                     Column("e", "varchar(10)", ValueKind::VarChar, 5, -2)};
  Bytes full = Int32(1);
  for (int32_t v : {3, 4}) {
    Bytes b = Int32(v);
    full.insert(full.end(), b.begin(), b.end());
  }
  const Bytes newRow = RecordBuilder().SetFixed(full).SetColumnCount(5).AddVariable({'x'}).AddVariable({'y'}).Build();
  Bytes old = Int32(10);
  Bytes c = Int32(30);
  old.insert(old.end(), c.begin(), c.end());
  const Bytes oldRow = RecordBuilder().SetFixed(old).SetColumnCount(3).AddVariable({'o'}).Build();

  for (RenderVariant variant : {RenderVariant::RowsetTable, RenderVariant::PositionalTable}) {
    SCOPED_TRACE(static_cast<int>(variant));
    auto context = BuildRowDecodingContext(columns);
    EXPECT_EQ(Render(newRow, context, variant), (std::vector<std::string>{"1", "x", "3", "4", "y"}));
    // Nothing of the previous row stays in the columns the record lacks.
    EXPECT_EQ(Render(oldRow, context, variant), (std::vector<std::string>{"10", "o", "30", "", ""}));
  }
}

TEST_F(RowRendererTest, SparseColumnsComeFromTheSparseVector) {
  ColumnInfo sparse = Column("s", "int(4)", ValueKind::Int, 2, 0);
  sparse.sparse = 1;
  sparse.columnId = 7;
  std::vector<ColumnInfo> columns = {Column("id", "int(4)", ValueKind::Int, 1, 4, false), sparse};
  const Bytes with = RecordBuilder()
                         .SetFixed(Int32(1))
                         .SetColumnCount(2)
                         .AddVariable(writer::SparseVector({{7, Int32(99)}}), true)
                         .Build();
  const Bytes other = RecordBuilder()
                          .SetFixed(Int32(2))
                          .SetColumnCount(2)
                          .AddVariable(writer::SparseVector({{8, Int32(5)}}), true)
                          .Build();
  const Bytes without = RecordBuilder().SetFixed(Int32(3)).SetColumnCount(2).SetNull(1).Build();
  auto context = BuildRowDecodingContext(columns);
  EXPECT_EQ(Render(with, context, RenderVariant::RowsetTable), (std::vector<std::string>{"1", "99"}));
  // Never "NULL", whatever the bitmap says.
  EXPECT_EQ(Render(other, context, RenderVariant::RowsetTable), (std::vector<std::string>{"2", ""}));
  EXPECT_EQ(Render(without, context, RenderVariant::RowsetTable), (std::vector<std::string>{"3", ""}));
}

TEST_F(RowRendererTest, ComputedColumnShowsItsDefinitionInEveryRow) {
  ColumnInfo computed = BuildColumnInfo("total", "int(4)", ValueKind::Int);
  computed.columnId = 2;
  computed.hobtColumnId = ColumnInfo::kNoStoredValue;
  computed.valueText = "([a]*(2))";
  std::vector<ColumnInfo> columns = {Column("a", "int(4)", ValueKind::Int, 1, 4), computed};
  auto context = BuildRowDecodingContext(columns);
  for (int32_t value : {5, 6}) {
    const Bytes row = RecordBuilder().SetFixed(Int32(value)).SetColumnCount(1).Build();
    EXPECT_EQ(Render(row, context, RenderVariant::RowsetTable),
              (std::vector<std::string>{std::to_string(value), "([a]*(2))"}));
  }
}

// img image, big varbinary(max), doc xml: a text pointer and two kind-4
// roots.
std::vector<ColumnInfo> LargeColumns() {
  return {Column("img", "image(16)", ValueKind::Image, 1, -1),
          Column("big", "varbinary(-1)", ValueKind::VarBinary, 2, -2),
          Column("doc", "xml(-1)", ValueKind::Xml, 3, -3)};
}

Bytes LargeRow() {
  const Bytes pointer = writer::TextPointer({1, 200}, 0);
  const Bytes root = writer::InRowRoot({{{1, 201}, 0, 100}}, 4);
  return RecordBuilder().SetColumnCount(3).AddVariable(pointer, true).AddVariable(root, true).AddVariable(root, true).Build();
}

TEST_F(RowRendererTest, PlaceholdersStandInForLargeValuesDuringTheFirstLoad) {
  TheApp().tableLoadActive = true;
  auto context = BuildRowDecodingContext(LargeColumns());
  auto texts = Render(LargeRow(), context, RenderVariant::RowsetTable);
  // Placeholders are shown as they are, without a binary prefix.
  EXPECT_EQ(texts[0], kTextBinaryData);
  EXPECT_EQ(texts[1], kTextBigBinaryData);
  EXPECT_EQ(texts[2], "");  // xml is always read (nothing to read here)
  // The positional variant shows the placeholder for an xml root too.
  texts = Render(LargeRow(), context, RenderVariant::PositionalTable);
  EXPECT_EQ(texts[2], kTextBigBinaryData);
  // The catalog variants always read.
  texts = Render(LargeRow(), context, RenderVariant::RowsetCatalog);
  EXPECT_EQ(texts[0], " ");
  EXPECT_EQ(texts[1], "");
}

TEST_F(RowRendererTest, LargeValuesAreReadOutsideTheFirstLoad) {
  auto context = BuildRowDecodingContext(LargeColumns());
  auto texts = Render(LargeRow(), context, RenderVariant::RowsetTable);
  // Without a readable value: the single blank of a text pointer (no "0x"
  // before it) and an empty root.
  EXPECT_EQ(texts[0], " ");
  EXPECT_EQ(texts[1], "0x");
  EXPECT_EQ(texts[2], "");
}

TEST_F(RowRendererTest, RecordSelectionOnAPage) {
  writer::PageBuilder builder({1, 50}, 1, 77);
  builder.AddRecord(RecordBuilder().SetFixed(Int32(1)).SetColumnCount(1).Build());
  builder.AddRecord(RecordBuilder().SetType(kGhostDataRecordType).SetFixed(Int32(2)).SetColumnCount(1).Build());
  builder.AddRecord(RecordBuilder().SetFixed(Int32(3)).SetColumnCount(1).Build());
  const Bytes bytes = builder.Build();
  std::vector<ColumnInfo> columns = {Column("a", "int(4)", ValueKind::Int, 1, 4)};

  auto rowsOf = [&] {
    CDataPage page(bytes, nullptr);
    auto context = BuildRowDecodingContext(columns);
    std::vector<std::string> texts;
    for (const RenderedRow& row : RenderPageRows(page, context, RenderVariant::RowsetTable))
      texts.push_back(row[0].valueText);
    return texts;
  };
  EXPECT_EQ(rowsOf(), (std::vector<std::string>{"1", "3"}));
  TheApp().settings.showDeleted = true;
  EXPECT_EQ(rowsOf(), (std::vector<std::string>{"1", "2", "3"}));
  TheApp().stopRequested = true;
  EXPECT_TRUE(rowsOf().empty());
}

TEST_F(RowRendererTest, ForwardedRowIsRenderedOnceAtItsStub) {
  writer::DatabaseFileBuilder builder(32);
  builder.Page(20, 1, 500).AddRecord(writer::ForwardingStub({1, 21}, 0));
  builder.Page(20, 1, 500).AddRecord(writer::ForwardingStub({1, 29}, 0));  // leads to an empty page
  builder.Page(21, 1, 500).AddRecord(RecordBuilder()
                                         .SetType(kForwardedRecordType)
                                         .SetFixed(Int32(9))
                                         .SetColumnCount(1)
                                         .AddVariable(writer::ForwardedBackPointer({1, 20}, 0), true)
                                         .Build());
  test::TempDir dir;
  ASSERT_TRUE(builder.WriteTo(dir.Path("forward.mdf")));
  HeadlessWindow window;
  auto file = OpenDataFile(dir.Path("forward.mdf"), false, &window);
  ASSERT_TRUE(file->IsValid());
  std::vector<ColumnInfo> columns = {Column("a", "int(4)", ValueKind::Int, 1, 4)};
  auto context = BuildRowDecodingContext(columns);
  std::vector<std::string> texts;
  for (int32_t number : {20, 21}) {
    auto page = file->ReadDataPage({1, number});
    ASSERT_TRUE(page);
    for (const RenderedRow& row : RenderPageRows(*page, context, RenderVariant::RowsetTable))
      texts.push_back(row[0].valueText);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"9"}));
}

TEST_F(RowRendererTest, DamagedRecordsNeverReadOutsideTheirBytes) {
  // Rows with random parts after a plausible status byte, rendered in every
  // variant against a table of every kind of column: whatever they yield,
  // nothing is read outside the record's bytes (checked under the
  // sanitizers) and every row has one text per column.
  std::vector<ColumnInfo> columns;
  int32_t id = 1;
  for (int32_t kind = 0; kind <= kLastValueKind; ++kind) {
    std::string name = "c";
    name += std::to_string(kind);
    ColumnInfo column = Column(name, "x(8)", static_cast<ValueKind>(kind), id, 0);
    column.leafOffset = static_cast<int16_t>(kind % 3 == 0 ? -(id % 5) - 1 : 4 + 3 * kind);
    column.legacyRowOffset = static_cast<int16_t>(kind % 2 ? 4 + kind : -(kind % 4) - 1);
    column.nullBit = kind % 4 == 0 ? -1 : id;
    column.sparse = kind % 11 == 5;
    ++id;
  }
  std::mt19937 random(1234);
  size_t rendered = 0;
  for (int round = 0; round < 300; ++round) {
    Bytes bytes(8 + random() % 300);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    bytes[0] = random() % 2 ? 0x30 : 0x10;  // primary record with bitmap and maybe variable columns
    bytes[2] = static_cast<uint8_t>(4 + random() % 60);
    bytes[3] = 0;
    CPrimaryRecord record(ByteReader(bytes), nullptr, static_cast<int32_t>(bytes.size()));
    for (RenderVariant variant : {RenderVariant::RowsetTable, RenderVariant::PositionalTable,
                                  RenderVariant::RowsetCatalog, RenderVariant::PositionalCatalog}) {
      auto context = BuildRowDecodingContext(columns);
      for (const RenderedRow& row : RenderRecordRows(record, nullptr, context, variant)) {
        EXPECT_EQ(row.size(), columns.size());
        ++rendered;
      }
    }
  }
  EXPECT_GT(rendered, 300u);
}

class FixedXmlConverter final : public XmlConverter {
 public:
  std::optional<std::string> Convert(std::span<const uint8_t> stored) override {
    if (stored.empty()) return std::nullopt;
    return "<x n=\"" + std::to_string(stored.size()) + "\"/>";
  }
};

TEST_F(RowRendererTest, XmlGoesThroughTheInstalledConverter) {
  ValueCollector collected;
  EXPECT_EQ(ConvertXml(collected), "");  // failing default, nothing collected
  const uint8_t a[] = {1, 2};
  const uint8_t b[] = {3};
  collected.Append(a);
  collected.Append(b);
  EXPECT_EQ(ConvertXml(collected), "");
  InstallXmlConverter(std::make_unique<FixedXmlConverter>());
  EXPECT_EQ(ConvertXml(collected), "<x n=\"3\"/>");

  // An xml value stored in the row.
  std::vector<ColumnInfo> columns = {Column("doc", "xml(-1)", ValueKind::Xml, 1, -1)};
  auto context = BuildRowDecodingContext(columns);
  const Bytes row = RecordBuilder().SetColumnCount(1).AddVariable({0xDF, 0xFF, 0x01}).Build();
  EXPECT_EQ(Render(row, context, RenderVariant::RowsetTable)[0], "<x n=\"3\"/>");
  InstallXmlConverter(nullptr);
  EXPECT_EQ(Render(row, context, RenderVariant::RowsetTable)[0], " ");
}

TEST_F(RowRendererTest, HexToBytes) {
  EXPECT_EQ(HexToBytes("0x0A0B"), (Bytes{10, 11}));
  EXPECT_EQ(HexToBytes("0xFF00"), (Bytes{255, 0}));
  EXPECT_EQ(HexToBytes("0x"), Bytes{});
  EXPECT_FALSE(HexToBytes("x").has_value());
  // An unpaired last digit is not read past the end.
  EXPECT_EQ(HexToBytes("0x0A0"), (Bytes{10}));
}

TEST_F(RowRendererTest, SpillValueWritesNumberedFiles) {
  test::TempDir dir;
  CHalvardApp& app = TheApp();
  app.spillFolder = dir.Path("out");  // created on first use
  EXPECT_EQ(SpillValue("0A0B"), "/out/1_blob");
  EXPECT_EQ(SpillValue("FF"), "/out/2_blob");
  std::ifstream in(dir.Path("out/1_blob"), std::ios::binary);
  Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, (Bytes{10, 11}));

  // A value rendered as text is written as it reads.
  EXPECT_EQ(SpillValue("caf\xC3\xA9", false), "/out/3_blob");
  std::ifstream text(dir.Path("out/3_blob"), std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(text)), std::istreambuf_iterator<char>()), "caf\xC3\xA9");

  // A folder that cannot hold the file: the value keeps its text.
  app.spillFolder = dir.Path("missing/deeper");
  EXPECT_EQ(SpillValue("0A"), "0x0A");
  EXPECT_EQ(SpillValue("text", false), "text");
  EXPECT_EQ(app.spillCounter, 5);  // every attempt takes a number
}

TEST_F(RowRendererTest, SpillModeLeavesTheCellPathWithoutPrefix) {
  test::TempDir dir;
  TheApp().spillMode = 1;
  TheApp().spillFolder = dir.path();
  const std::string tail = dir.path().substr(dir.path().find_last_of('/'));
  std::vector<ColumnInfo> columns = {Column("big", "varbinary(-1)", ValueKind::VarBinary, 1, -1)};
  auto context = BuildRowDecodingContext(columns);
  const Bytes root = writer::InRowRoot({{{1, 201}, 0, 100}}, 4);
  const Bytes row = RecordBuilder().SetColumnCount(1).AddVariable(root, true).Build();
  EXPECT_EQ(Render(row, context, RenderVariant::RowsetTable)[0], tail + "/1_blob");
  // A value in the row is not spilled and keeps its prefix.
  const Bytes small = RecordBuilder().SetColumnCount(1).AddVariable({0xAB}).Build();
  EXPECT_EQ(Render(small, context, RenderVariant::RowsetTable)[0], "0xAB");
}

}  // namespace
}  // namespace brinehold
