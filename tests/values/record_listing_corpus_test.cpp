// Every user table of every real data file, listed page by page as the
// records list shows it: the rows across all list pages are the rows the
// table listing renders (what `brinehold rows` prints), in the same order,
// less the rows the list removes for having only empty values, and the
// page captions count them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "support/corpus.h"
#include "values/page_rows.h"
#include "values/record_listing.h"
#include "values/table_page_source.h"

namespace brinehold {
namespace {

using Cells = std::vector<std::string>;


bool Shown(const ColumnInfo& column) {
  return TheApp().settings.legacyCatalog || column.hobtColumnId != ColumnInfo::kNoStoredValue;
}

struct ExpectedRow {
  Cells cells;
  bool removed = false;
};

// The rows as the rows command renders them (large values in full), with
// the list's removal rule applied.
std::vector<ExpectedRow> RenderedTableRows(CDatabaseCatalog& catalog) {
  const TableSchema& schema = catalog.tableSchema;
  const bool legacy = TheApp().settings.legacyCatalog;
  const size_t f = legacy ? 0 : schema.firstStoredColumn;
  TheApp().tableLoadActive = false;
  RowDecodingContext context = BuildRowDecodingContext(schema.columns);
  std::vector<ExpectedRow> rows;
  ListTablePages(catalog, [&](PageSource, const std::vector<PageAddress>& pages) {
    rows.clear();
    for (const PageAddress& address : pages) {
      for (const RenderedRow& row : GetPageRows(*catalog.dataFile, address, schema, context)) {
        if (row.empty()) continue;
        ExpectedRow expected;
        size_t empty = 0;
        for (size_t i = f; i < row.size() && i < schema.columns.size(); ++i) {
          if (i > f && !Shown(schema.columns[i])) continue;
          const std::string& text = row[i].valueText;
          expected.cells.push_back(text);
          if (text.empty() || (i == f && text == "NULL")) ++empty;
        }
        expected.removed = empty == row.size();
        rows.push_back(std::move(expected));
      }
    }
    return !rows.empty();
  });
  return rows;
}

// A first-page cell stands for a large value the list does not read.
bool SameCell(const std::string& listed, const std::string& rendered, bool firstPage) {
  if (listed == rendered) return true;
  return firstPage && (listed == "<BINARY DATA>" || listed == "<BIG BINARY DATA>");
}

std::string PageCaption(int64_t page, int64_t count, int64_t first, int64_t last) {
  char text[128];
  std::snprintf(text, sizeof text, "Page%lld - [%lld](%lld-%lld) Records", static_cast<long long>(page),
                static_cast<long long>(count), static_cast<long long>(first), static_cast<long long>(last));
  return text;
}

TEST(RecordListingCorpusTest, ListPagesShowEveryRenderedRowOnceInOrder) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  int tables = 0, pagedTables = 0;
  test::ForEachCorpusTable([&](const std::string&, CDataFile&, CDatabaseCatalog& catalogRef, const ObjectRow& object) {
    CDatabaseCatalog* catalog = &catalogRef;
    if (!catalog->tableSchema.found || catalog->tableSchema.columns.empty()) return;
    const std::vector<ExpectedRow> rendered = RenderedTableRows(*catalog);
    const int64_t total = static_cast<int64_t>(rendered.size());

    HeadlessWindow window;
    RecordListing listing(window);
    listing.ResetPagingCounters();
    TheApp().isRunning = 1;
    ASSERT_TRUE(listing.ListLoadedTable(*catalog, object.name, false));
    ++tables;

    size_t next = 0;  // index into rendered
    int64_t page = 1;
    bool mismatch = false;
    while (true) {
      const HeadlessWindow::State state = window.Snapshot();
      const int64_t first = (page - 1) * kRowsPerListPage;
      const int64_t processed = std::min<int64_t>(kRowsPerListPage, total - first);
      int64_t kept = 0;
      for (const HeadlessWindow::State::ListItem& item : state.listItems) {
        while (next < rendered.size() && rendered[next].removed) ++next;
        if (next >= rendered.size()) {
          ADD_FAILURE() << "list page " << page << " shows more rows than were rendered";
          mismatch = true;
          break;
        }
        const Cells& cells = rendered[next].cells;
        for (size_t c = 0; c < cells.size() && !mismatch; ++c) {
          const std::string listed = c < item.texts.size() ? item.texts[c] : std::string();
          if (!SameCell(listed, cells[c], page == 1)) {
            ADD_FAILURE() << "row " << next + 1 << " column " << c << ": listed '" << listed << "', rendered '"
                          << cells[c] << "'";
            mismatch = true;
          }
        }
        ++next;
        ++kept;
        if (mismatch) break;
      }
      if (mismatch) break;
      // Removed rows at the end of this list page belong to it.
      while (next < rendered.size() && rendered[next].removed && static_cast<int64_t>(next) < first + processed)
        ++next;
      if (page == 1)
        EXPECT_EQ(state.pageCaption, PageCaption(1, kept, kept > 0 ? 1 : 0, kept));
      else
        EXPECT_EQ(state.pageCaption, PageCaption(page, processed, first + 1, first + processed));
      if (!listing.HasNextPage()) break;
      listing.ShowNextRecords(*catalog);
      ++page;
    }
    if (mismatch) return;
    while (next < rendered.size() && rendered[next].removed) ++next;
    EXPECT_EQ(next, rendered.size()) << "rows never listed";
    EXPECT_EQ(page, total == 0 ? 1 : (total + kRowsPerListPage - 1) / kRowsPerListPage);
    if (page > 1) ++pagedTables;
  });
  EXPECT_GT(tables, 0);
  std::printf("user tables listed: %d, with more than one list page: %d\n", tables, pagedTables);
}

}  // namespace
}  // namespace brinehold
