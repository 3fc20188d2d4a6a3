// Forwarding stubs followed through the file, for the cases the record page
// tests leave out: chains of stubs up to the hop limit, rows moved off their
// page in the compressed format (rebuilt with the anchor values and the
// dictionary of the page they moved to), and moved rows that have since
// been deleted. Files come from the synthetic writer; pages are read with
// ReadDataPage as a table listing reads them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/compressed_row_rebuild.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "support/temp_dir.h"
#include "writer/compression_builder.h"
#include "writer/file_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::CompressedInteger;
using writer::CompressedRowBuilder;
using writer::CompressedValue;
using writer::CompressionInfoLayout;
using writer::DatabaseFileBuilder;
using writer::ForwardingStub;
using writer::RecordBuilder;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A plain row moved off page 20: fixed data {id, 0, 0, 0}, one text, the
// back pointer to its stub.
Bytes MovedRow(uint8_t id, const std::string& text, uint16_t stubSlot, uint8_t type = kForwardedRecordType) {
  return RecordBuilder()
      .SetType(type)
      .SetFixed({id, 0, 0, 0})
      .SetColumnCount(3)
      .AddVariable(Text(text))
      .AddVariable(writer::ForwardedBackPointer({1, 20}, stubSlot), true)
      .Build();
}

std::string FirstValue(const CPrimaryRecord& record) {
  if (record.values.empty()) return "<none>";
  const ColumnValue& value = record.values.front();
  return std::string(value.bytes.begin(), value.bytes.begin() + value.length);
}

// The rebuilt bytes of column `index` of a compressed record.
Bytes RebuiltColumn(const CPrimaryRecord& record, size_t index) {
  const auto& columns = record.compressedParts.columns;
  if (index >= columns.size() || columns[index].offset < 0) return {};
  const CompressedColumn& column = columns[index];
  if (column.offset + column.length > static_cast<int32_t>(record.fixedData.size())) return {};
  return Bytes(record.fixedData.begin() + column.offset, record.fixedData.begin() + column.offset + column.length);
}

class ForwardingStubTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  std::unique_ptr<CDataFile> Open(const DatabaseFileBuilder& file) {
    path_ = dir_.Path("stubs.mdf");
    EXPECT_TRUE(file.WriteTo(path_));
    auto opened = OpenDataFile(path_, false, &window_);
    EXPECT_TRUE(opened->IsValid());
    return opened;
  }

  test::TempDir dir_;
  HeadlessWindow window_;
  std::string path_;
};

TEST_F(ForwardingStubTest, ChainsResolveUpToTheHopLimit) {
  // Slot 0 of page 20 reaches the row through four stubs (20:0, 21:0, 22:0,
  // 23:0); slot 1 points at slot 0 and so needs five.
  DatabaseFileBuilder file(24);
  file.Page(20, kDataPageType, 500).AddRecord(ForwardingStub({1, 21}, 0));
  file.Page(20, kDataPageType, 500).AddRecord(ForwardingStub({1, 20}, 0));
  file.Page(21, kDataPageType, 500).AddRecord(ForwardingStub({1, 22}, 0));
  file.Page(22, kDataPageType, 500).AddRecord(ForwardingStub({1, 23}, 0));
  const Bytes row = MovedRow(5, "far away", 0);
  file.Page(22, kDataPageType, 500).AddRecord(row);
  file.Page(23, kDataPageType, 500).AddRecord(ForwardingStub({1, 22}, 1));
  auto data = Open(file);
  auto page = data->ReadDataPage({1, 20});
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->RecordCount(), 2u);

  const CPrimaryRecord* reached = page->Record(0);
  ASSERT_NE(reached, nullptr);
  EXPECT_EQ(reached->recordType, kForwardingStubType);
  EXPECT_EQ(CopyOf(reached->fixedData), (Bytes{5, 0, 0, 0}));
  EXPECT_EQ(FirstValue(*reached), "far away");
  EXPECT_EQ(CopyOf(reached->image), row);
  // The stub keeps where it points itself, not where the chain ended.
  ASSERT_TRUE(reached->forwardedFrom.has_value());
  EXPECT_EQ(reached->forwardedFrom->page.pageNumber, 21);
  EXPECT_EQ(reached->forwardedFrom->slot, 0);

  const CPrimaryRecord* tooFar = page->Record(1);
  ASSERT_NE(tooFar, nullptr);
  EXPECT_EQ(tooFar->fixedLength, kUnresolvedForwardLength);
  EXPECT_TRUE(tooFar->values.empty());
  EXPECT_TRUE(tooFar->image.empty());
}

TEST_F(ForwardingStubTest, StubToARowThatIsNotAMovedRowStaysUnresolved) {
  // A damaged stub naming a row that lives on its own slot, an index row or
  // a large-value fragment: taking it would show that row twice, or show a
  // fragment as a row.
  DatabaseFileBuilder file(24);
  for (uint16_t slot = 0; slot < 3; ++slot)
    file.Page(20, kDataPageType, 500).AddRecord(ForwardingStub({1, 21}, slot));
  file.Page(21, kDataPageType, 500).AddRecord(MovedRow(1, "lives here", 0, kPrimaryRecordType));
  file.Page(21, kDataPageType, 500).AddRecord(MovedRow(2, "index row", 0, kIndexRecordType));
  file.Page(21, kDataPageType, 500).AddRecord(MovedRow(3, "fragment", 0, kLargeValueFragmentType));
  auto data = Open(file);
  auto page = data->ReadDataPage({1, 20});
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->RecordCount(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const CPrimaryRecord* stub = page->Record(i);
    ASSERT_NE(stub, nullptr);
    EXPECT_EQ(stub->fixedLength, kUnresolvedForwardLength);
    EXPECT_TRUE(stub->image.empty());
  }
}

TEST_F(ForwardingStubTest, DeletedMovedRowShowsOnlyWithDeletedRows) {
  DatabaseFileBuilder file(24);
  file.Page(20, kDataPageType, 500).AddRecord(ForwardingStub({1, 21}, 0));
  file.Page(21, kDataPageType, 500).AddRecord(MovedRow(1, "kept", 0));
  file.Page(21, kDataPageType, 500).AddRecord(MovedRow(2, "deleted", 0, kGhostDataRecordType));
  file.Page(20, kDataPageType, 500).AddRecord(ForwardingStub({1, 21}, 1));
  auto data = Open(file);

  auto page = data->ReadDataPage({1, 20});
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->RecordCount(), 2u);
  ASSERT_NE(page->Record(0), nullptr);
  EXPECT_EQ(FirstValue(*page->Record(0)), "kept");
  ASSERT_NE(page->Record(1), nullptr);
  EXPECT_EQ(page->Record(1)->fixedLength, kUnresolvedForwardLength);
  EXPECT_TRUE(page->Record(1)->values.empty());

  TheApp().settings.showDeleted = true;
  page = data->ReadDataPage({1, 20});
  ASSERT_NE(page, nullptr);
  ASSERT_NE(page->Record(1), nullptr);
  EXPECT_EQ(CopyOf(page->Record(1)->fixedData), (Bytes{2, 0, 0, 0}));
  EXPECT_EQ(FirstValue(*page->Record(1)), "deleted");
}

// --- compressed rows moved off their page ----------------------------------

// A compressed row with status 0x03 (compressed, forwarded): 42, null,
// "moved" in SCSU, dictionary entry 0, the anchor value of column 4.
Bytes CompressedMovedRow() {
  return CompressedRowBuilder()
      .SetStatus(writer::CompressedRowStatus(kForwardedRecordType))
      .Add(CompressedValue::Short(CompressedInteger(42)))
      .Add(CompressedValue::Null())
      .Add(CompressedValue::Short(writer::ScsuEncode("moved")))
      .Add(CompressedValue::Symbol(0))
      .Add(CompressedValue::Empty())
      .Build();
}

// Compression information whose column-4 anchor value and first dictionary
// entry name the page.
CompressionInfoLayout InfoNaming(const std::string& page) {
  CompressionInfoLayout info;
  info.anchorRecord = CompressedRowBuilder()
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Short(Text("a-" + page)))
                          .Build();
  info.dictionary = {Text("d-" + page)};
  return info;
}

CompressedRowLayout MovedRowColumns() {
  return {{CompressedValueClass::Numeric, 4, false},
          {CompressedValueClass::Numeric, 4, false},
          {CompressedValueClass::Unicode, 20, true},
          {CompressedValueClass::Plain, 10, true},
          {CompressedValueClass::Plain, 10, true}};
}

TEST_F(ForwardingStubTest, CompressedMovedRowIsParsedInItsFormat) {
  // Row compression: no compression information on either page, and no
  // column list current, so the row stays as parsed.
  DatabaseFileBuilder file(24);
  file.Page(20, kDataPageType, 500).AddRecord(ForwardingStub({1, 21}, 0));
  const Bytes row = CompressedMovedRow();
  file.Page(21, kDataPageType, 500).AddRecord(row);
  auto data = Open(file);
  auto page = data->ReadDataPage({1, 20});
  ASSERT_NE(page, nullptr);
  const CPrimaryRecord* stub = page->Record(0);
  ASSERT_NE(stub, nullptr);
  EXPECT_FALSE(stub->invalid);
  EXPECT_EQ(stub->recordType, kForwardingStubType);
  EXPECT_TRUE(stub->compressed);
  EXPECT_EQ(stub->columnCount, 5);
  EXPECT_EQ(stub->compressedParts.descriptorCodes, (std::vector<uint8_t>{2, 0, 6, 12, 1}));
  EXPECT_FALSE(stub->compressedParts.rebuilt);
  EXPECT_EQ(CopyOf(stub->image), row);
}

TEST_F(ForwardingStubTest, CompressedMovedRowTakesItsOwnPagesAnchorAndDictionary) {
  // Both pages are page-compressed with their own anchor values and
  // dictionaries; page 20 also keeps a row of its own.
  DatabaseFileBuilder file(24);
  const Bytes stayed = CompressedRowBuilder()
                           .Add(CompressedValue::Short(CompressedInteger(7)))
                           .Add(CompressedValue::Null())
                           .Add(CompressedValue::Short(writer::ScsuEncode("here")))
                           .Add(CompressedValue::Symbol(0))
                           .Add(CompressedValue::Empty())
                           .Build();
  file.SetPage(20, writer::CompressedDataPage({1, 20}, 500, InfoNaming("p20"), {stayed, ForwardingStub({1, 21}, 0)}));
  file.SetPage(21, writer::CompressedDataPage({1, 21}, 500, InfoNaming("p21"), {CompressedMovedRow()}));
  auto data = Open(file);
  const CompressedRowLayout layout = MovedRowColumns();
  auto page = data->ReadDataPage({1, 20}, &layout);
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->RecordCount(), 2u);

  const CPrimaryRecord* own = page->Record(0);
  ASSERT_NE(own, nullptr);
  ASSERT_TRUE(own->compressedParts.rebuilt);
  EXPECT_EQ(RebuiltColumn(*own, 0), (Bytes{7, 0, 0, 0}));
  EXPECT_EQ(RebuiltColumn(*own, 3), Text("d-p20"));
  EXPECT_EQ(RebuiltColumn(*own, 4), Text("a-p20"));

  const CPrimaryRecord* moved = page->Record(1);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(moved->recordType, kForwardingStubType);
  ASSERT_TRUE(moved->compressedParts.rebuilt);
  ASSERT_EQ(moved->compressedParts.columns.size(), 5u);
  EXPECT_EQ(RebuiltColumn(*moved, 0), (Bytes{42, 0, 0, 0}));
  EXPECT_TRUE(moved->compressedParts.columns[1].isNull);
  EXPECT_EQ(RebuiltColumn(*moved, 2), writer::Utf16("moved"));
  EXPECT_EQ(RebuiltColumn(*moved, 3), Text("d-p21"));
  EXPECT_EQ(RebuiltColumn(*moved, 4), Text("a-p21"));
}

}  // namespace
}  // namespace brinehold
