// Compressed-row reading over the pages of real files. No table of the
// corpus holds compressed rows (its few row- and page-compressed rowsets
// are empty), but damaged and stale slots do point at bytes with the
// compressed bit set: reading every data page with a column list current
// must keep every rebuilt column inside its record's rebuilt data.
#include <gtest/gtest.h>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/compressed_row_rebuild.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "support/corpus.h"

namespace brinehold {
namespace {

TEST(CompressedCorpusTest, RebuiltColumnsStayInsideTheirRows) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  TheApp().ResetForTests();
  TheApp().settings.showDeleted = true;
  CompressedRowLayout columns;
  for (int i = 0; i < 12; ++i) {
    columns.push_back({CompressedValueClass::Numeric, 4, false});
    columns.push_back({CompressedValueClass::Plain, 100, true});
    columns.push_back({CompressedValueClass::Unicode, 200, true});
  }
  size_t compressed = 0;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    HeadlessWindow window;
    auto file = OpenDataFile(path, false, &window);
    ASSERT_TRUE(file->IsValid());
    for (const auto& [owner, entries] : file->dataPages) {
      for (const PageEntry& entry : entries) {
        if (entry.pageType != kDataPageType) continue;
        auto page = file->ReadDataPage(entry.Address(), &columns);
        if (!page) continue;
        for (size_t i = 0; i < page->RecordCount(); ++i) {
          const CPrimaryRecord* record = page->Record(i);
          if (!record || !record->compressed || record->invalid) continue;
          ++compressed;
          EXPECT_GE(record->columnCount, 1);
          EXPECT_LE(record->columnCount, 1024);
          EXPECT_LE(record->fixedData.size(), kRebuildBufferSize);
          EXPECT_LE(record->recordLength, record->maxLength);
          for (const CompressedColumn& column : record->compressedParts.columns) {
            if (column.offset < 0) continue;
            EXPECT_LE(static_cast<size_t>(column.offset) + static_cast<size_t>(column.length),
                      record->fixedData.size())
                << "page " << entry.Address().ToString() << " slot " << i;
          }
        }
      }
    }
  }
  RecordProperty("compressedRecords", static_cast<int>(compressed));
  TheApp().ResetForTests();
}

}  // namespace
}  // namespace brinehold
