// RecordListing: the rows of the selected table in the records list, 1000
// to a list page, with the Previous Records and Next Records buttons.
//
// The table-listing worker calls ListSelectedTable: it loads the table's
// schema, sets up one list column per shown column, chooses where the pages
// come from (allocation maps, page chain, or the page inventory in Advanced
// mode; table_page_source.h), renders each page (GetPageRows) and inserts
// the rows until 1000 have been processed. The paging workers
// (ShowNextRecords, ShowPreviousRecords) list the following or the earlier
// 1000 rows from the positions kept in `positionStack`.
//
// Paging state: `pageList` holds the table's pages in reading order, read
// from the allocation maps or the inventory only as far as the list pages
// shown so far needed (the first list page of a huge table reads a few of
// its pages, not the list of all of them); entry k
// of `positionStack` is where list page k + 1 starts ({page index, row index
// among that page's rendered rows}); when a further list page exists, its
// start is the entry after the current page's. `resumePosition` is the first
// row not shown. A start is only ever recorded for a row that exists, so
// every row is shown on exactly one list page and an empty last page is
// never offered.
//
// Row limit: 1000 rows processed per list page, counted before the removal
// rule of InsertRecordRow (a row whose texts are all empty, or "NULL"
// followed by empty texts, is inserted and removed again).
//
// Rows of pages whose checksum or torn bits fail are listed like any other;
// the status line then says how many rows of the list page came from such
// pages, and names them. Each such row, and each deleted row (a ghost or a
// carved record), is marked in the list (WindowPort::MarkListItem).
//
// Everything the user sees goes through the WindowPort: list columns and
// rows, the page caption ("Page2 - [1000](1001-2000) Records"), the caption
// bar, the buttons, the progress bar and the log lines. The workers set
// TheApp().isRunning for their duration and clear it at the end; a stop
// request ends every page walk at the next row and is cleared at the end.
// One worker uses a listing at a time.
//
// Loaders that keep rows for themselves (the SharePoint site, list and
// document tables) set `rowConsumer` around ListTable: the rows then go to
// it instead of the records list. In Standard mode with the modern catalog
// layout the whole table is read; in Advanced mode the page inventory is
// read up to the 1000-row limit of a list page, and the resume point is kept
// as a listing keeps it; with the SQL Server 2000 layout in Standard mode the
// table is listed as usual and the consumer gets nothing.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalog/table_schema.h"
#include "session/window_port.h"
#include "storage/page_address.h"
#include "storage/page_sequence.h"
#include "values/page_rows.h"
#include "values/row_decoding_context.h"

namespace brinehold {

class CDatabaseCatalog;

inline constexpr int64_t kRowsPerListPage = 1000;
inline constexpr int kRecordColumnWidth = 200;
inline constexpr const char* kTextListingCompleted = "Scanning process completed.";

struct PagePosition {
  int64_t pageIndex = 0;  // into pageList
  int64_t rowIndex = 0;   // among the rendered rows of that page
  bool operator==(const PagePosition& other) const {
    return pageIndex == other.pageIndex && rowIndex == other.rowIndex;
  }
};

// The stack size and the row index of resumePosition when the last next- or
// previous-page listing began.
struct NextMarker {
  int32_t stackSize = 0;
  int32_t rowIndex = 0;
};

// Takes the rows of a table load instead of the records list.
class RowConsumer {
 public:
  virtual ~RowConsumer() = default;
  // Before any page of the table (the catalog's current schema) is read.
  virtual void BeginTable(const TableSchema& /*schema*/) {}
  // One rendered row with at least one cell.
  virtual void ConsumeRow(const RenderedRow& row, const TableSchema& schema) = 0;
  // Whether ConsumeRow reads the text of this column of the table; the
  // others are not decoded and reach it empty.
  virtual bool ReadsColumn(const ColumnInfo& /*column*/) const { return true; }
};

class RecordListing {
 public:
  explicit RecordListing(WindowPort& window);
  RecordListing(const RecordListing&) = delete;
  RecordListing& operator=(const RecordListing&) = delete;

  PageSequence pageList;
  std::deque<PagePosition> positionStack{PagePosition{}};
  PagePosition resumePosition;
  NextMarker nextMarker;
  int32_t pageNumber = 0;
  int64_t firstRow = 0;
  int64_t lastRow = 0;
  int64_t rowsListed = 0;
  int32_t itemCounter = 0;

  // The rendered rows of one page. Left empty, pages are read from the
  // catalog's data file (GetPageRows of page_rows.h); tests put rows here.
  std::function<std::vector<RenderedRow>(PageAddress, RowDecodingContext&)> pageRows;

  // Set by a loader for the length of its ListTable call; see above.
  RowConsumer* rowConsumer = nullptr;

  // What selecting a table resets: pageNumber and nextMarker.
  void ResetPagingCounters();
  // What a new scan resets: the page list and the positions.
  void ResetPages();

  // Loads `itemText` of type `typeCode` ("U " or "S ") into the catalog's
  // current schema and, when it is a table with columns, lists its first
  // page. False when nothing was listed as a table (not found, a
  // programmable object, no columns): the caller shows a definition then.
  bool ListSelectedTable(CDatabaseCatalog& catalog, const std::string& itemText, const std::string& typeCode,
                         bool advancedMode, const std::vector<ObjectValueEntry>& values = {});
  // The same for the schema already loaded into catalog.tableSchema.
  bool ListLoadedTable(CDatabaseCatalog& catalog, const std::string& itemText, bool advancedMode);
  void PrepareRecordColumns(const TableSchema& schema);
  // Empties the list and removes its first column columnCount + 1 times.
  void ClearRecordList(size_t columnCount);
  // The first list page of the catalog's current table; sets
  // tableLoadActive around itself and clears a stop request at its end.
  void ListTable(CDatabaseCatalog& catalog, const std::string& name, bool advancedMode);
  void ListModernTable(CDatabaseCatalog& catalog);
  void ListLegacyTable(CDatabaseCatalog& catalog);
  // Lists the first list page from pageList; true when a row was inserted.
  bool ListPageList(CDatabaseCatalog& catalog);
  void InsertRecordRow(const RenderedRow& row, const TableSchema& schema);
  void ShowNextRecords(CDatabaseCatalog& catalog);
  void ShowPreviousRecords(CDatabaseCatalog& catalog);
  std::vector<RenderedRow> GetPageRows(const CDatabaseCatalog& catalog, PageAddress address,
                                       RowDecodingContext& context);

  // Whether the list page after / before the shown one exists.
  bool HasNextPage() const;
  bool HasPreviousPage() const { return shownPage_ > 1; }
  // The list page shown (1 for the first page of a table, 0 before one).
  int64_t ShownPage() const { return shownPage_; }

 private:
  struct Walk {
    int64_t processed = 0;
    bool limitReached = false;  // `next` is a row that exists
    PagePosition next;
  };
  // Lists rows from `start` until 1000 rows were processed, the pages end,
  // or a stop (and, when `pollRunning`, a cleared isRunning) ends the walk.
  Walk WalkRows(CDatabaseCatalog& catalog, PagePosition start, bool pollRunning);
  // Where a walked row goes: the consumer or the records list.
  void TakeRow(const RenderedRow& row, const TableSchema& schema);
  void LogLine(const std::string& text);
  // Log text, page caption and caption bar of a list page reached by paging.
  void ReportPagedList();
  void EndPagingWorker();
  // The status line for the rows of the walk that came from pages failing
  // verification (cleared again when a later walk has none).
  void ReportDamagedRows();

  WindowPort& window_;
  std::unique_ptr<RowDecodingContext> currentRowContext_;
  // WalkRows of a whole table for the row consumer, page by page without
  // collecting each page's rows first.
  Walk StreamRows(CDatabaseCatalog& catalog, const std::function<bool()>& stopped);
  // Marks in the row context the columns the row consumer does not read.
  void SkipUnreadColumns(const std::vector<ColumnInfo>& columns);
  size_t columnListSize_ = 0;  // remembered by PrepareRecordColumns
  bool withoutRowLimit_ = false;  // a consumer reading a whole table
  int64_t shownPage_ = 0;
  bool lastPageFailed_ = false;  // the page GetPageRows read last failed verification
  PageVerdict lastPageVerdict_ = PageVerdict::Unprotected;
  std::vector<RowOrigin> lastPageOrigins_;  // of the rows GetPageRows gave last
  // Where the row being inserted came from, for its mark in the list.
  RowOrigin rowOrigin_ = RowOrigin::Live;
  const char* rowDamage_ = "";
  int64_t damagedRows_ = 0;
  std::vector<PageAddress> damagedPages_;
  bool damageShown_ = false;
  static constexpr size_t kDamagedPagesNamed = 5;
};

}  // namespace brinehold
