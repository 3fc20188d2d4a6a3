// The synthetic writer: page headers and slot arrays as the reader expects,
// files whose pages sit where their headers say, and rows laid out exactly
// as SQL Server lays them out (checked against the rows of the real files).
#include <gtest/gtest.h>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "support/corpus.h"
#include "support/temp_dir.h"
#include "writer/file_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::DatabaseFileBuilder;
using writer::PageBuilder;
using writer::RecordBuilder;

class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }
};

TEST_F(WriterTest, PageHeaderDescribesWhatWasAdded) {
  PageBuilder builder({3, 77}, kDataPageType, 1234);
  builder.SetPrevious({3, 76}).SetNext({3, 78}).SetIndexId(1).SetLevel(0);
  Bytes first = RecordBuilder().SetFixed({1, 2}).Build();
  Bytes ghost = RecordBuilder().SetType(6).SetFixed({3}).Build();
  builder.AddRecord(first);
  builder.AddRecord(ghost);
  Bytes page = builder.Build();
  ASSERT_EQ(page.size(), kPageSize);
  auto header = CPage_Header::ParseOnly(ByteReader(page));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->headerVersion, 1);
  EXPECT_EQ(header->pageType, kDataPageType);
  EXPECT_EQ(header->thisPage, (PageAddress{3, 77}));
  EXPECT_EQ(header->previousPage, (PageAddress{3, 76}));
  EXPECT_EQ(header->nextPage, (PageAddress{3, 78}));
  EXPECT_EQ(header->ownerObjectId, 1234);
  EXPECT_EQ(header->slotCount, 2);
  EXPECT_EQ(header->ghostRecordCount, 1);
  const int32_t end = static_cast<int32_t>(96 + first.size() + ghost.size());
  EXPECT_EQ(header->freeDataOffset, end);
  EXPECT_EQ(header->freeByteCount, 8192 - end - 4);
  EXPECT_TRUE(header->PassesSanityCheck());
  ByteReader reader(page);
  EXPECT_EQ(reader.U16(8190), 96);
  EXPECT_EQ(reader.U16(8188), 96 + first.size());
  EXPECT_EQ(*reader.Copy(96, first.size()), first);
}

TEST_F(WriterTest, TornBitProtectionRoundTrips) {
  PageBuilder builder({1, 5}, kDataPageType, 1);
  Bytes fill(8000);
  for (size_t i = 0; i < fill.size(); ++i) fill[i] = static_cast<uint8_t>(i * 13);
  builder.PlaceBytes(96, fill);
  Bytes original = builder.Build();
  builder.ProtectTornBits(0x1);
  Bytes disk = builder.Build();
  for (unsigned k = 1; k <= 15; ++k) EXPECT_EQ(disk[512 * k + 511] & 0x3, 0x1);
  auto restored = CPage_Header::Parse(disk);
  ASSERT_TRUE(restored);
  // Everything but the header's flag and torn-bit fields is back.
  for (size_t i = 96; i < kPageSize; ++i) ASSERT_EQ(disk[i], original[i]) << i;
}

TEST_F(WriterTest, FileBuilderPlacesPagesAndOpens) {
  DatabaseFileBuilder builder(24);
  builder.Page(16, kDataPageType, 34).AddRecord(RecordBuilder().SetFixed({1}).Build());
  test::TempDir dir;
  for (size_t leading : {size_t{0}, size_t{777}}) {
    SCOPED_TRACE(leading);
    Bytes image = builder.Build(leading);
    ASSERT_EQ(image.size(), leading + 24 * kPageSize);
    for (uint32_t page : {0u, 1u, 2u, 3u, 9u, 16u}) {
      auto header = CPage_Header::ParseOnly(ByteReader(image).Tail(leading + page * kPageSize));
      ASSERT_TRUE(header);
      EXPECT_EQ(header->thisPage, (PageAddress{1, static_cast<int32_t>(page)}));
    }
    std::string name = "w";
    name += std::to_string(leading);
    name += ".mdf";
    std::string path = dir.Path(name);
    ASSERT_TRUE(builder.WriteTo(path, leading));
    HeadlessWindow window;
    auto file = OpenDataFile(path, false, &window);
    ASSERT_TRUE(file->IsValid());
    EXPECT_EQ(file->baseOffset, leading);
    ASSERT_EQ(file->systemPages.count(34), 1u);
    const int32_t firstPage = file->systemPages[34].front().pageNumber;  // packed field: copy
    EXPECT_EQ(firstPage, 16);
    EXPECT_EQ(file->dataPages[34].size(), 1u);
    auto page = file->ReadDataPage({1, 16});
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->Record(0), nullptr);
    EXPECT_EQ(CopyOf(page->Record(0)->fixedData), (Bytes{1}));
  }
}

// The allocation pages are laid out as the server lays them out (the
// figures below are those of every real file of the corpus): one PFS record
// of page states, a GAM header record and an extent bitmap.
TEST_F(WriterTest, AllocationPagesLookLikeTheServers) {
  DatabaseFileBuilder builder(40);
  builder.Page(20, kDataPageType, 34);
  Bytes image = builder.Build();
  auto pageAt = [&image](uint32_t n) { return ByteReader(image).Tail(n * kPageSize); };
  auto pfs = CPage_Header::ParseOnly(pageAt(1));
  EXPECT_EQ(pfs->slotCount, 1);
  EXPECT_EQ(pfs->freeDataOffset, 8188);
  EXPECT_EQ(pfs->freeByteCount, 2);
  EXPECT_EQ(pageAt(1).U16(98), 8092);             // record length
  EXPECT_EQ(pageAt(1).U8(100 + 20), 0x40);        // page 20 allocated
  EXPECT_EQ(pageAt(1).U8(100 + 21), 0x00);
  EXPECT_EQ(pageAt(1).U8(100 + 9), 0x40);         // the boot page
  for (uint32_t map : {2u, 3u, 6u, 7u}) {
    auto header = CPage_Header::ParseOnly(pageAt(map));
    EXPECT_EQ(header->slotCount, 2);
    EXPECT_EQ(header->freeDataOffset, 8182);
    EXPECT_EQ(header->freeByteCount, 6);
    EXPECT_EQ(pageAt(map).U16(8188), 190);
  }
  // GAM: extents 0 to 2 hold pages, 3 and 4 are free.
  EXPECT_EQ(pageAt(2).U8(194), 0x18);
  EXPECT_EQ(pageAt(3).U8(194), 0x00);
}

// Every row of the real files' system tables, rebuilt from its parsed parts
// by the writer, comes out byte for byte the same: the writer's row layout is
// SQL Server's.
TEST_F(WriterTest, RebuiltRowsMatchTheRealFiles) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  TheApp().settings.showDeleted = true;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    HeadlessWindow window;
    auto file = OpenDataFile(path, false, &window);
    ASSERT_TRUE(file->IsValid());
    size_t compared = 0, mismatched = 0;
    for (const auto& [owner, entries] : file->systemPages) {
      for (const PageEntry& entry : entries) {
        if (entry.pageType != kDataPageType) continue;
        auto page = file->ReadDataPage(entry.Address());
        ASSERT_NE(page, nullptr);
        for (size_t i = 0; i < page->RecordCount(); ++i) {
          const CPrimaryRecord* record = page->Record(i);
          if (!record || record->invalid || record->image.empty()) continue;
          RecordBuilder builder;
          builder.SetType(record->recordType).SetFixed(CopyOf(record->fixedData)).SetColumnCount(
              static_cast<uint16_t>(record->columnCount));
          builder.ForceStatusA(record->statusA).ForceStatusB(record->statusB);
          if (!record->hasNullBitmap) builder.WithoutNullBitmap();
          for (int32_t c = 0; c < record->columnCount; ++c)
            if (record->IsColumnNull(c)) builder.SetNull(static_cast<uint16_t>(c));
          // Bits past the last column vary from row to row in real files.
          if (record->hasNullBitmap) builder.ForceNullBitmap(CopyOf(record->nullBitmap));
          for (const ColumnValue& value : record->values)
            builder.AddVariable(Bytes(value.bytes.begin(), value.bytes.begin() + value.length), value.complex);
          if (record->hasVariableColumns && record->values.empty()) builder.ForceVariableCount(0);
          ++compared;
          if (builder.Build() != CopyOf(record->image)) {
            if (++mismatched <= 3)
              ADD_FAILURE() << "page " << entry.Address().ToString() << " slot " << i << " differs";
          }
        }
      }
    }
    EXPECT_GT(compared, 0u);
    EXPECT_EQ(mismatched, 0u);
  }
}

}  // namespace
}  // namespace brinehold
