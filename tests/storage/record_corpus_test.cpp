// The record reader against real SQL Server files: every record of every data
// page of the base system tables must parse, and the parts must be
// consistent with the bytes they came from.
#include <gtest/gtest.h>

#include <map>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "support/corpus.h"

namespace brinehold {
namespace {

class RecordCorpusTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }
};

struct Tally {
  size_t pages = 0;
  size_t records = 0;
  size_t ghosts = 0;
  std::vector<std::string> failures;
};

// Walks every type-1 page of an inventory map. Ghost rows are shown
// (showDeleted) so that they are parsed like live rows instead of filtered.
Tally ParseDataPages(const CDataFile& file, const PageInventory& inventory) {
  Tally tally;
  for (const auto& [owner, entries] : inventory) {
    for (const PageEntry& entry : entries) {
      if (entry.pageType != kDataPageType) continue;
      auto page = file.ReadDataPage(entry.Address());
      if (!page) {
        tally.failures.push_back("owner " + std::to_string(owner) + " page " + entry.Address().ToString() +
                                 ": unreadable");
        continue;
      }
      ++tally.pages;
      for (size_t i = 0; i < page->RecordCount(); ++i) {
        const CPrimaryRecord* record = page->Record(i);
        std::string where = "owner " + std::to_string(owner) + " page " + entry.Address().ToString() +
                            " slot " + std::to_string(i);
        if (!record) {
          // Slots of deleted rows are zeroed; those are rightly empty.
          if (page->Slots()[i] != 0) tally.failures.push_back(where + ": no record");
          continue;
        }
        ++tally.records;
        if (record->recordType == kGhostDataRecordType) ++tally.ghosts;
        if (record->invalid) tally.failures.push_back(where + ": invalid");
        else if (record->image.empty() || record->recordLength <= 0)
          tally.failures.push_back(where + ": no record image");
        else if (record->fixedLength != record->fixedEnd - 4 && !record->compressed)
          tally.failures.push_back(where + ": fixed part not read");
        // Every variable column lies inside the record image.
        size_t previous = 0;
        for (const ColumnValue& value : record->values) {
          if (value.length < 0 || (value.HasBytes() && value.bytes.size() != static_cast<size_t>(value.length)))
            tally.failures.push_back(where + ": bad value copy");
          previous += static_cast<size_t>(value.length);
        }
        if (previous > static_cast<size_t>(record->recordLength))
          tally.failures.push_back(where + ": values longer than the record");
      }
    }
  }
  return tally;
}

TEST_F(RecordCorpusTest, EveryRecordOfEverySystemDataPageParses) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  TheApp().settings.showDeleted = true;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    HeadlessWindow window;
    auto file = OpenDataFile(path, false, &window);
    ASSERT_TRUE(file->IsValid());
    Tally tally = ParseDataPages(*file, file->systemPages);
    EXPECT_GT(tally.pages, 0u);
    EXPECT_GT(tally.records, 0u);
    for (size_t i = 0; i < tally.failures.size() && i < 10; ++i) ADD_FAILURE() << tally.failures[i];
    EXPECT_TRUE(tally.failures.empty()) << tally.failures.size() << " records failed";
  }
}

// The same for the data pages of every table, user tables included, with
// the deleted-row search on: no row of a healthy file is refused.
TEST_F(RecordCorpusTest, EveryRecordOfEveryDataPageParses) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  TheApp().settings.showDeleted = true;
  TheApp().settings.showAdvancedDeleted = true;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    HeadlessWindow window;
    auto file = OpenDataFile(path, false, &window);
    ASSERT_TRUE(file->IsValid());
    Tally tally = ParseDataPages(*file, file->dataPages);
    EXPECT_GT(tally.records, 0u);
    for (size_t i = 0; i < tally.failures.size() && i < 10; ++i) ADD_FAILURE() << tally.failures[i];
    EXPECT_TRUE(tally.failures.empty()) << tally.failures.size() << " records failed";
  }
}

// With the deleted-row options off, the records of the system tables are the
// same minus the ghost rows; the search adds rows only at offsets no slot
// references and never loses a slot's record.
TEST_F(RecordCorpusTest, DeletedRowSearchKeepsEverySlotRecord) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    HeadlessWindow window;
    auto file = OpenDataFile(path, false, &window);
    ASSERT_TRUE(file->IsValid());
    for (const auto& [owner, entries] : file->systemPages) {
      for (const PageEntry& entry : entries) {
        if (entry.pageType != kDataPageType) continue;
        TheApp().settings.showDeleted = true;
        TheApp().settings.showAdvancedDeleted = false;
        auto plain = file->ReadDataPage(entry.Address());
        TheApp().settings.showAdvancedDeleted = true;
        auto searched = file->ReadDataPage(entry.Address());
        ASSERT_TRUE(plain && searched);
        ASSERT_EQ(searched->OwnSlotCount(), plain->RecordCount());
        ASSERT_GE(searched->RecordCount(), plain->RecordCount());
        for (size_t i = 0; i < plain->RecordCount(); ++i) {
          const CPrimaryRecord* a = plain->Record(i);
          const CPrimaryRecord* b = searched->Record(i);
          ASSERT_EQ(a == nullptr, b == nullptr);
          if (a) {
            EXPECT_EQ(CopyOf(a->image), CopyOf(b->image));
          }
        }
        for (size_t i = plain->RecordCount(); i < searched->RecordCount(); ++i) {
          const CPrimaryRecord* found = searched->Record(i);
          ASSERT_NE(found, nullptr);
          EXPECT_FALSE(found->invalid);
          EXPECT_GT(found->recordLength, 0);
        }
      }
    }
  }
}

}  // namespace
}  // namespace brinehold
