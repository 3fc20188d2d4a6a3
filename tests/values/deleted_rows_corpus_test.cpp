// Every user table of every real data file read three ways: live rows only,
// with ghost rows, and with rows carved out of free page space. The live
// rows are the same in every mode, and no carved row carries a text that
// could not be decoded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "support/corpus.h"
#include "storage/data_page.h"
#include "storage/record_shape.h"
#include "values/page_rows.h"
#include "values/table_page_source.h"

namespace brinehold {
namespace {

std::string RowText(const RenderedRow& row) {
  std::string text;
  for (const ColumnInfo& column : row) text += column.valueText + '\t';
  return text;
}

struct TableRead {
  std::vector<std::string> live;
  std::vector<std::string> carved;
  size_t ghosts = 0;
};

TableRead ReadTable(CDatabaseCatalog& catalog, bool showDeleted, bool advancedDeleted) {
  TheApp().settings.showDeleted = showDeleted;
  TheApp().settings.showAdvancedDeleted = advancedDeleted;
  TheApp().tableLoadActive = false;
  const TableSchema& schema = catalog.tableSchema;
  RowDecodingContext context = BuildRowDecodingContext(schema.columns);
  TableRead read;
  ListTablePages(catalog, [&](PageSource, const std::vector<PageAddress>& pages) {
    read = {};
    for (const PageAddress& address : pages) {
      PageRows page = ReadPageRows(*catalog.dataFile, address, schema, context);
      for (size_t r = 0; r < page.rows.size(); ++r) {
        if (page.origins[r] == RowOrigin::Live) read.live.push_back(RowText(page.rows[r]));
        else if (page.origins[r] == RowOrigin::Carved) read.carved.push_back(RowText(page.rows[r]));
        else ++read.ghosts;
      }
    }
    return !read.live.empty() || read.ghosts > 0 || !read.carved.empty();
  });
  return read;
}

TEST(DeletedRowsCorpus, DeletedModesKeepLiveRowsAndCarveOnlyWholeRows) {
  size_t carved = 0, tables = 0;
  test::ForEachCorpusTable([&](const std::string&, CDataFile&, CDatabaseCatalog& catalog, const ObjectRow& table) {
    if (!catalog.tableSchema.found) return;
    SCOPED_TRACE(table.name);
    const TableRead plain = ReadTable(catalog, false, false);
    const TableRead ghosts = ReadTable(catalog, true, false);
    const TableRead advanced = ReadTable(catalog, true, true);
    TheApp().settings.showDeleted = TheApp().settings.showAdvancedDeleted = false;
    EXPECT_EQ(ghosts.live, plain.live);
    EXPECT_EQ(advanced.live, plain.live);
    EXPECT_EQ(advanced.ghosts, ghosts.ghosts);
    EXPECT_TRUE(ghosts.carved.empty());
    for (const std::string& row : advanced.carved)
      EXPECT_EQ(row.find("\xEF\xBF\xBD"), std::string::npos) << row;
    carved += advanced.carved.size();
    ++tables;
  });
  ::testing::Test::RecordProperty("carved", static_cast<int>(carved));
  ::testing::Test::RecordProperty("tables", static_cast<int>(tables));
}

// The shape the search looks for is the shape of the table's live rows: a
// deleted row keeps the layout it had. Among them: rows written before
// columns were added on pages formatted before (Accounts, tblFile),
// trailing empty strings left out of a row (nhanvien, nhacungcap).
TEST(DeletedRowsCorpus, LiveRowsHaveTheirTablesRecordShape) {
  BRINEHOLD_REQUIRE_CORPUS(test::CorpusDataFiles());
  size_t fit = 0, misfit = 0;
  test::ForEachCorpusTable([&](const std::string&, CDataFile& file, CDatabaseCatalog& catalog, const ObjectRow&) {
    const TableSchema& schema = catalog.tableSchema;
    if (!schema.found) return;
    const RecordShape shape = TableRecordShape(schema);
    ListTablePages(catalog, [&](PageSource source, const std::vector<PageAddress>& pages) {
      // Pages the listing would leave out where it reads them are no rows.
      const UnitPageCheck::OwnerTest isOwner = ListedPageOwnerTest(catalog, source);
      for (const PageAddress& address : pages) {
        auto page = file.ReadDataPage(address);
        if (!page || page->Header().pageType != kDataPageType) continue;
        if (isOwner && !isOwner(PageOwner::Of(page->Header()), page->Header().pageType)) continue;
        for (size_t i = 0; i < page->RecordCount(); ++i) {
          const CPrimaryRecord* record = page->Record(i);
          if (!record || record->invalid || record->recordType != kPrimaryRecordType) continue;
          const bool fits = FitsRecordShape(*record, shape, page->Header().minimumFixedLength);
          (fits ? fit : misfit)++;
        }
      }
      return true;
    });
  });
  ::testing::Test::RecordProperty("fit", static_cast<int>(fit));
  ::testing::Test::RecordProperty("misfit", static_cast<int>(misfit));
  EXPECT_GT(fit, 1000u);
  EXPECT_EQ(misfit, 0u);
}

}  // namespace
}  // namespace brinehold
