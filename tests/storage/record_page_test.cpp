// Record pages: the slot array, the record-list rules, the sanity check, the
// deleted-row search, forwarding stubs across pages, and torn-page bits, all
// on pages and files from the synthetic writer.
#include <gtest/gtest.h>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "support/temp_dir.h"
#include "writer/file_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::DatabaseFileBuilder;
using writer::PageBuilder;
using writer::RecordBuilder;

Bytes Text(const char* text) { return Bytes(text, text + std::char_traits<char>::length(text)); }

Bytes Row(const char* value, uint8_t type = 0) {
  return RecordBuilder().SetType(type).SetFixed({1, 2, 3, 4}).SetColumnCount(2).AddVariable(Text(value)).Build();
}

// A row the deleted-row search recognises: 128 bytes of fixed data, null
// bitmap and variable columns.
Bytes SignatureRow(const char* value, uint8_t type) {
  return RecordBuilder().SetType(type).SetFixed(Bytes(128, 0x5A)).SetColumnCount(4).AddVariable(Text(value)).Build();
}

// The page as a reader gets it: 8192 bytes and a trailing zero.
Bytes AsBuffer(const PageBuilder& page) {
  Bytes buffer = page.Build();
  buffer.resize(kPageBufferSize, 0);
  return buffer;
}

std::string ValueOf(const CPrimaryRecord* record, size_t column = 0) {
  if (!record || column >= record->values.size()) return "<none>";
  const ColumnValue& value = record->values[column];
  return std::string(value.bytes.begin(), value.bytes.begin() + value.length);
}

class RecordPageTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }
};

TEST_F(RecordPageTest, RecordsFollowSlotOrderNotPageOrder) {
  PageBuilder page({1, 20}, kDataPageType, 1000);
  page.AddRecordAt(3000, Row("third"));
  page.AddRecordAt(96, Row("first"));
  page.AddRecordAt(200, Row("second"));
  PrimaryRecordPage records(AsBuffer(page), nullptr);
  ASSERT_TRUE(records.HasSlotArray());
  EXPECT_EQ(records.Slots(), (std::vector<uint16_t>{3000, 96, 200}));
  ASSERT_EQ(records.RecordCount(), 3u);
  EXPECT_EQ(ValueOf(records.Record(0)), "third");
  EXPECT_EQ(ValueOf(records.Record(1)), "first");
  EXPECT_EQ(ValueOf(records.Record(2)), "second");
  EXPECT_EQ(records.Record(0)->maxLength, 8192 - 3000);
  EXPECT_EQ(records.Record(0)->page, &records);
  EXPECT_EQ(records.Record(5), nullptr);
}

TEST_F(RecordPageTest, ImplausibleSlotsGiveEmptyEntries) {
  PageBuilder page({1, 20}, kDataPageType, 1000);
  page.AddRecord(Row("ok"));
  page.AddRawSlot(0);
  page.AddRawSlot(95);
  page.AddRawSlot(8193);
  page.AddRawSlot(8192);
  page.AddRawSlot(0xFFFF);
  PrimaryRecordPage records(AsBuffer(page), nullptr);
  ASSERT_EQ(records.RecordCount(), 6u);
  EXPECT_EQ(ValueOf(records.Record(0)), "ok");
  EXPECT_EQ(records.Record(1), nullptr);
  EXPECT_EQ(records.Record(2), nullptr);
  EXPECT_EQ(records.Record(3), nullptr);
  // A slot at the very end still gives a record, with no room at all.
  ASSERT_NE(records.Record(4), nullptr);
  EXPECT_EQ(records.Record(4)->maxLength, 0);
  EXPECT_TRUE(records.Record(4)->values.empty());
  EXPECT_EQ(records.Record(5), nullptr);
}

TEST_F(RecordPageTest, SlotCountsOutsideTheRangeGiveNoSlotArray) {
  for (int count : {0, -1, 4000, 30000}) {
    SCOPED_TRACE(count);
    PageBuilder page({1, 20}, kDataPageType, 1000);
    page.AddRecord(Row("x"));
    page.SetRawField(22, static_cast<uint16_t>(count), 2);
    PrimaryRecordPage records(AsBuffer(page), nullptr);
    EXPECT_FALSE(records.HasSlotArray());
    EXPECT_EQ(records.RecordCount(), 0u);
  }
  // 3999 slots are read, whatever they hold.
  PageBuilder page({1, 20}, kDataPageType, 1000);
  page.SetRawField(22, 3999, 2);
  PrimaryRecordPage records(AsBuffer(page), nullptr);
  EXPECT_TRUE(records.HasSlotArray());
  EXPECT_EQ(records.RecordCount(), 3999u);
}

TEST_F(RecordPageTest, SanityCheckRejectsNegativeHeaderFields) {
  const std::pair<size_t, size_t> fields[] = {{8, 4}, {12, 2}, {16, 4}, {20, 2}, {28, 2}, {32, 4}, {36, 2}, {58, 2}};
  for (const auto& [offset, width] : fields) {
    SCOPED_TRACE(offset);
    PageBuilder page({1, 20}, kDataPageType, 1000);
    page.AddRecord(Row("x"));
    page.SetRawField(offset, width == 4 ? 0x80000000u : 0x8000u, width);
    PrimaryRecordPage records(AsBuffer(page), nullptr);
    EXPECT_EQ(records.RecordCount(), 0u);
  }
}

TEST_F(RecordPageTest, GhostCountAndIndexLevelEmptyTheList) {
  PageBuilder ghosts({1, 20}, kDataPageType, 1000);
  ghosts.AddRecord(Row("gone", kGhostDataRecordType));
  ghosts.AddRecord(Row("also gone", kGhostDataRecordType));
  {
    PrimaryRecordPage records(AsBuffer(ghosts), nullptr);
    ASSERT_EQ(records.RecordCount(), 2u);
    EXPECT_EQ(records.Record(0), nullptr);
    EXPECT_EQ(records.Record(1), nullptr);
  }
  TheApp().settings.showDeleted = true;
  {
    PrimaryRecordPage records(AsBuffer(ghosts), nullptr);
    ASSERT_EQ(records.RecordCount(), 2u);
    EXPECT_EQ(ValueOf(records.Record(1)), "also gone");
    EXPECT_FALSE(records.Record(1)->invalid);
  }
  TheApp().settings.showDeleted = false;

  // One ghost among live rows: the list keeps an entry, invalid and hidden.
  PageBuilder mixed({1, 20}, kDataPageType, 1000);
  mixed.AddRecord(Row("live"));
  mixed.AddRecord(Row("gone", kGhostDataRecordType));
  PrimaryRecordPage some(AsBuffer(mixed), nullptr);
  ASSERT_NE(some.Record(1), nullptr);
  EXPECT_TRUE(some.Record(1)->hidden);
  EXPECT_TRUE(some.Record(1)->invalid);

  Bytes indexRow = RecordBuilder().SetType(kIndexRecordType).SetFixed({1, 2, 3}).Build();
  PageBuilder upper({1, 21}, kIndexPageType, 1000);
  upper.SetLevel(1).AddRecord(indexRow);
  PrimaryRecordPage level1(AsBuffer(upper), nullptr);
  ASSERT_EQ(level1.RecordCount(), 1u);
  EXPECT_EQ(level1.Record(0), nullptr);
  PageBuilder leaf({1, 21}, kIndexPageType, 1000);
  leaf.AddRecord(indexRow);
  PrimaryRecordPage level0(AsBuffer(leaf), nullptr);
  ASSERT_NE(level0.Record(0), nullptr);
  EXPECT_TRUE(level0.Record(0)->invalid);  // type 3 is refused by the record filter
}

TEST_F(RecordPageTest, DeletedRowSearchFindsRowsInFreeSpace) {
  PageBuilder page({1, 20}, kDataPageType, 1000);
  page.AddRecord(SignatureRow("live one", 0));
  page.AddRecord(Row("live two"));
  page.PlaceBytes(5000, SignatureRow("deleted", kGhostDataRecordType));
  page.PlaceBytes(5400, SignatureRow("old live", 0));  // right after a gap
  // A signature whose row does not parse (column count 0) adds nothing.
  page.PlaceBytes(7000, RecordBuilder().SetType(6).SetFixed(Bytes(128, 1)).AddVariable(Text("z")).ForceColumnCount(0).Build());

  TheApp().settings.showAdvancedDeleted = true;  // alone it does nothing
  {
    PrimaryRecordPage records(AsBuffer(page), nullptr);
    EXPECT_EQ(records.RecordCount(), 2u);
  }
  TheApp().settings.showDeleted = true;
  PrimaryRecordPage records(AsBuffer(page), nullptr);
  EXPECT_EQ(records.OwnSlotCount(), 2u);
  ASSERT_EQ(records.Slots(), (std::vector<uint16_t>{96, static_cast<uint16_t>(96 + SignatureRow("live one", 0).size()), 5000, 5400}));
  ASSERT_EQ(records.RecordCount(), 4u);
  EXPECT_EQ(ValueOf(records.Record(0)), "live one");
  EXPECT_EQ(ValueOf(records.Record(2)), "deleted");
  EXPECT_EQ(records.Record(2)->recordType, kGhostDataRecordType);
  EXPECT_EQ(ValueOf(records.Record(3)), "old live");
}

TEST_F(RecordPageTest, DeletedRowSearchSkipsRowsTheSlotsReference) {
  // A ghost row referenced by its slot is found by the walk but not added a
  // second time; a row right after it (signature follows) is added.
  PageBuilder page({1, 20}, kDataPageType, 1000);
  page.AddRecord(SignatureRow("referenced", kGhostDataRecordType));
  uint16_t next = page.NextFreeOffset();
  page.PlaceBytes(next, SignatureRow("adjacent", 0));
  TheApp().settings.showDeleted = true;
  TheApp().settings.showAdvancedDeleted = true;
  PrimaryRecordPage records(AsBuffer(page), nullptr);
  EXPECT_EQ(records.Slots(), (std::vector<uint16_t>{96, next}));
  // Found rows never repeat and never overlap the page's trailer.
  for (uint16_t slot : records.Slots()) EXPECT_LT(slot, 8190);
}

TEST_F(RecordPageTest, DeletedRowSearchEndsOnAPageFullOfSignatures) {
  PageBuilder page({1, 20}, kDataPageType, 1000);
  page.AddRecord(Row("x"));
  for (size_t at = 200; at + 4 <= 8000; at += 4) page.PlaceBytes(at, Bytes{0x3C, 0x00, 0x84, 0x00});
  TheApp().settings.showDeleted = true;
  TheApp().settings.showAdvancedDeleted = true;
  PrimaryRecordPage records(AsBuffer(page), nullptr);
  EXPECT_GE(records.RecordCount(), 1u);
}

TEST_F(RecordPageTest, TornBitsAreRestoredBeforeRecordsAreRead) {
  // A value that spans the end of sector 1 (offset 1023).
  Bytes value(600);
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>(i * 7 + 3);
  Bytes row = RecordBuilder().SetFixed({1}).SetColumnCount(1).AddVariable(value).Build();
  PageBuilder page({1, 20}, kDataPageType, 1000);
  page.AddRecordAt(800, row);
  page.ProtectTornBits(0x2);
  Bytes disk = page.Build();
  ASSERT_EQ(disk[1023] & 0x3, 0x2);
  PrimaryRecordPage records(AsBuffer(page), nullptr);
  ASSERT_NE(records.Record(0), nullptr);
  EXPECT_EQ(CopyOf(records.Record(0)->image), row);
}

class ForwardingTest : public RecordPageTest {
 protected:
  // Page 20 holds stubs, page 21 the forwarded rows.
  std::unique_ptr<CDataFile> Open(DatabaseFileBuilder& file) {
    path_ = dir_.Path("fwd.mdf");
    EXPECT_TRUE(file.WriteTo(path_));
    auto opened = OpenDataFile(path_, false, &window_);
    EXPECT_TRUE(opened->IsValid());
    return opened;
  }

  test::TempDir dir_;
  HeadlessWindow window_;
  std::string path_;
};

TEST_F(ForwardingTest, StubTakesTheForwardedRowsParts) {
  DatabaseFileBuilder file(32);
  PageBuilder& stubs = file.Page(20, kDataPageType, 1000);
  stubs.AddRecord(Row("stays"));
  stubs.AddRecord(writer::ForwardingStub({1, 21}, 1));
  PageBuilder& target = file.Page(21, kDataPageType, 1000);
  target.AddRecord(Row("other"));
  Bytes forwarded = RecordBuilder()
                        .SetType(kForwardedRecordType)
                        .SetFixed({9, 8, 7})
                        .SetColumnCount(3)
                        .AddVariable(Text("moved here"))
                        .AddVariable(writer::ForwardedBackPointer({1, 20}, 1), true)
                        .Build();
  target.AddRecord(forwarded);
  auto data = Open(file);
  auto page = data->ReadDataPage({1, 20});
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->RecordCount(), 2u);
  const CPrimaryRecord* stub = page->Record(1);
  ASSERT_NE(stub, nullptr);
  EXPECT_FALSE(stub->invalid);
  EXPECT_EQ(stub->recordType, kForwardingStubType);
  EXPECT_EQ(CopyOf(stub->fixedData), (Bytes{9, 8, 7}));
  EXPECT_EQ(ValueOf(stub), "moved here");
  EXPECT_EQ(CopyOf(stub->image), forwarded);
  ASSERT_EQ(stub->values.size(), 2u);
  EXPECT_TRUE(stub->values[1].complex);
}

TEST_F(ForwardingTest, StubsThatLeadNowhereEndWithMinusFive) {
  DatabaseFileBuilder file(32);
  PageBuilder& stubs = file.Page(20, kDataPageType, 1000);
  stubs.AddRecord(writer::ForwardingStub({1, 0}, 0));    // page 0: no page
  stubs.AddRecord(writer::ForwardingStub({1, 500}, 0));  // beyond the file
  stubs.AddRecord(writer::ForwardingStub({1, 21}, 9));   // slot beyond the count
  stubs.AddRecord(writer::ForwardingStub({1, 20}, 3));   // itself
  stubs.AddRecord(writer::ForwardingStub({1, 21}, 0));   // into a loop of two pages
  stubs.AddRecord(writer::ForwardingStub({1, 21}, 1));   // a row without columns
  stubs.AddRecord(writer::ForwardingStub({7, 21}, 1));   // unknown file
  Bytes stub = writer::ForwardingStub({1, 21}, 1);
  PutUInt(stub, 7, 0x8001, 2);  // negative slot
  stubs.AddRecord(stub);
  PageBuilder& target = file.Page(21, kDataPageType, 1000);
  target.AddRecord(writer::ForwardingStub({1, 20}, 4));
  target.AddRecord(RecordBuilder().SetType(kForwardedRecordType).SetFixed({1}).ForceColumnCount(0).Build());
  auto data = Open(file);
  auto page = data->ReadDataPage({1, 20});
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->RecordCount(), 8u);
  for (size_t i = 0; i < page->RecordCount(); ++i) {
    SCOPED_TRACE(i);
    const CPrimaryRecord* record = page->Record(i);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->fixedLength, kUnresolvedForwardLength);
    EXPECT_TRUE(record->values.empty());
    EXPECT_TRUE(record->image.empty());
  }
}

TEST_F(ForwardingTest, ReadDataPageOutsideTheFileIsNothing) {
  DatabaseFileBuilder file(16);
  auto data = Open(file);
  EXPECT_EQ(data->ReadDataPage({1, 0}), nullptr);
  EXPECT_EQ(data->ReadDataPage({1, 16}), nullptr);
  EXPECT_EQ(data->ReadDataPage({0, 3}), nullptr);
  EXPECT_NE(data->ReadDataPage({1, 15}), nullptr);
}

}  // namespace
}  // namespace brinehold
