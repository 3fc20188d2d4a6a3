#include "values/record_listing.h"

#include <cstdarg>
#include <cstdio>

#include "catalog/database_catalog.h"
#include "session/app_state.h"
#include "storage/data_file.h"
#include "values/page_rows.h"
#include "values/table_page_source.h"

namespace brinehold {
namespace {

using Button = WindowPort::PagingButton;

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return {};
  if (static_cast<size_t>(length) < sizeof buffer) return std::string(buffer, static_cast<size_t>(length));
  std::string out(static_cast<size_t>(length) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(out.data(), out.size(), format, args);
  va_end(args);
  out.resize(static_cast<size_t>(length));
  return out;
}

// Columns without a stored value (computed columns) get no list column in
// the modern layout; the SQL Server 2000 layout shows every column.
bool ShownColumn(const ColumnInfo& column) {
  return TheApp().settings.legacyCatalog || column.hobtColumnId != ColumnInfo::kNoStoredValue;
}

}  // namespace

RecordListing::RecordListing(WindowPort& window) : window_(window) {}

void RecordListing::ResetPagingCounters() {
  pageNumber = 0;
  nextMarker = NextMarker{};
}

void RecordListing::ResetPages() {
  pageList = PageSequence();
  positionStack.assign(1, PagePosition{});
  resumePosition = PagePosition{};
  firstRow = lastRow = rowsListed = 0;
  itemCounter = 0;
  shownPage_ = 0;
  currentRowContext_.reset();
}

bool RecordListing::HasNextPage() const {
  return shownPage_ >= 1 && static_cast<int64_t>(positionStack.size()) > shownPage_;
}

void RecordListing::LogLine(const std::string& text) { window_.LogLine(text); }

bool RecordListing::ListSelectedTable(CDatabaseCatalog& catalog, const std::string& itemText,
                                      const std::string& typeCode, bool advancedMode,
                                      const std::vector<ObjectValueEntry>& values) {
  // The columns of the previous table go before the new schema replaces it.
  ClearRecordList(columnListSize_);
  LoadTableSchema(catalog, itemText, typeCode, values);
  return ListLoadedTable(catalog, itemText, advancedMode);
}

bool RecordListing::ListLoadedTable(CDatabaseCatalog& catalog, const std::string& itemText, bool advancedMode) {
  const TableSchema& schema = catalog.tableSchema;
  if (!schema.found || schema.columns.empty()) return false;

  window_.ShowRecordsList(true);
  window_.ShowPageCaption(true);
  window_.ShowPagingButton(Button::Previous, true);
  window_.EnablePagingButton(Button::Previous, false);
  window_.ShowPagingButton(Button::Next, true);
  window_.EnablePagingButton(Button::Next, false);
  window_.ShowStatusLine(false);
  PrepareRecordColumns(schema);
  ListTable(catalog, itemText, advancedMode);

  window_.EnablePagingButton(Button::Previous, false);
  window_.EnablePagingButton(Button::Next, HasNextPage());
  const int shown = window_.ListItemCount();
  ++pageNumber;
  window_.SetPageCaption(Format("%s%d - [%d](%d-%d) Records", "Page", pageNumber, shown, shown > 0 ? 1 : 0, shown));
  const std::string bar = Format("%s[%d]", itemText.c_str(), shown);
  window_.SetCaptionBar(bar);
  LogLine(bar);

  window_.RepaintRecordsList();
  window_.ShowProgressBar(false);
  TheApp().isRunning = 0;
  LogLine(kTextListingCompleted);
  return true;
}

void RecordListing::PrepareRecordColumns(const TableSchema& schema) {
  window_.DeleteAllListItems();
  int position = 0;
  for (const ColumnInfo& column : schema.columns) {
    if (!ShownColumn(column)) continue;
    window_.InsertListColumn(position++, column.name, kRecordColumnWidth);
  }
  columnListSize_ = schema.columns.size();
}

void RecordListing::ClearRecordList(size_t columnCount) {
  window_.DeleteAllListItems();
  for (size_t i = 0; i <= columnCount; ++i) window_.DeleteListColumn(0);
  window_.SetStatusLine("");
}

void RecordListing::ListTable(CDatabaseCatalog& catalog, const std::string& /*name*/, bool advancedMode) {
  CHalvardApp& app = TheApp();
  app.tableLoadActive = true;
  // A table for which no page source applies must not inherit the pages
  // and positions of the table listed before it.
  ResetPages();
  shownPage_ = 1;
  // The row context is made once per table and serves its paging too.
  currentRowContext_ = std::make_unique<RowDecodingContext>(BuildRowDecodingContext(catalog.tableSchema.columns));
  // The SQL Server 2000 layout in Standard mode is listed as usual: its
  // rows never reach a consumer.
  RowConsumer* const consumer = rowConsumer;
  if (!advancedMode && app.settings.legacyCatalog) rowConsumer = nullptr;
  // A consumer reads the whole table in either mode: a limit of one list
  // page would leave every site, list and document past the 1000th out of
  // the tree of a damaged file, the very file Advanced mode is for.
  withoutRowLimit_ = rowConsumer != nullptr;
  if (rowConsumer) {
    rowConsumer->BeginTable(catalog.tableSchema);
    SkipUnreadColumns(catalog.tableSchema.columns);
  }
  if (advancedMode) {
    pageList = InventoryPageSequence(catalog);
    ListPageList(catalog);
  } else if (app.settings.legacyCatalog) {
    ListLegacyTable(catalog);
  } else {
    ListModernTable(catalog);
  }
  rowConsumer = consumer;
  currentRowContext_->skippedColumns.clear();  // the list shows every column
  withoutRowLimit_ = false;
  if (app.stopRequested) app.stopRequested = false;
  app.tableLoadActive = false;
}

void RecordListing::SkipUnreadColumns(const std::vector<ColumnInfo>& columns) {
  std::vector<uint8_t>& skipped = currentRowContext_->skippedColumns;
  skipped.assign(columns.size(), 0);
  for (size_t index = 0; index < columns.size(); ++index)
    skipped[index] = rowConsumer->ReadsColumn(columns[index]) ? 0 : 1;
}

void RecordListing::ListModernTable(CDatabaseCatalog& catalog) {
  if (!catalog.dataFile) return;
  ListModernTablePages(catalog, [&](PageSource source, PageSequence& pages) {
    pageList = std::move(pages);
    if (currentRowContext_) currentRowContext_->pageOwnerTest = ListedPageOwnerTest(catalog, source);
    return ListPageList(catalog);
  });
}

void RecordListing::ListLegacyTable(CDatabaseCatalog& catalog) {
  if (!catalog.dataFile) return;
  ListLegacyTablePages(catalog, [&](PageSource source, PageSequence& pages) {
    pageList = std::move(pages);
    if (currentRowContext_) currentRowContext_->pageOwnerTest = ListedPageOwnerTest(catalog, source);
    return ListPageList(catalog);
  });
}

bool RecordListing::ListPageList(CDatabaseCatalog& catalog) {
  positionStack.assign(1, PagePosition{});
  rowsListed = 0;
  itemCounter = 0;
  shownPage_ = 1;
  const int64_t range = static_cast<int64_t>(catalog.tableSchema.tablePages.EntryCount());
  window_.SetProgressRange(0, range);
  window_.SetProgressPosition(0);

  const Walk walk = WalkRows(catalog, PagePosition{}, false);
  if (walk.limitReached) {
    positionStack.push_back(walk.next);
    resumePosition = walk.next;
  }
  if (walk.processed > 0) {
    if (!rowConsumer) LogLine(Format("%d rows to %d", 0, static_cast<int>(walk.processed)));
    firstRow = 0;
    lastRow = walk.processed;
  }
  window_.SetProgressPosition(range);
  return itemCounter > 0;
}

RecordListing::Walk RecordListing::WalkRows(CDatabaseCatalog& catalog, PagePosition start, bool pollRunning) {
  CHalvardApp& app = TheApp();
  auto stopped = [&] { return app.stopRequested || (pollRunning && app.isRunning == 0); };
  if (!currentRowContext_)
    currentRowContext_ = std::make_unique<RowDecodingContext>(BuildRowDecodingContext(catalog.tableSchema.columns));
  const TableSchema& schema = catalog.tableSchema;

  Walk walk;
  damagedRows_ = 0;
  damagedPages_.clear();
  const size_t firstPage = start.pageIndex > 0 ? static_cast<size_t>(start.pageIndex) : 0;
  if (withoutRowLimit_ && !pageRows && catalog.dataFile && firstPage == 0 && start.rowIndex == 0)
    return StreamRows(catalog, stopped);
  int64_t pagesRead = 0;
  for (size_t p = firstPage; pageList.Has(p); ++p) {
    if (stopped()) return walk;
    const std::vector<RenderedRow> rows = GetPageRows(catalog, pageList[p], *currentRowContext_);
    ++pagesRead;
    size_t r = 0;
    if (p == firstPage && start.rowIndex > 0) r = static_cast<size_t>(start.rowIndex);
    for (; r < rows.size(); ++r) {
      if (stopped()) return walk;
      if (rows[r].empty()) continue;
      // The next list page starts at a row that exists: one that ends
      // exactly with the data (or with pages that give no rows) is never
      // offered as a further, empty page.
      if (walk.processed == kRowsPerListPage && !withoutRowLimit_) {
        walk.limitReached = true;
        walk.next = PagePosition{static_cast<int64_t>(p), static_cast<int64_t>(r)};
        return walk;
      }
      ++walk.processed;
      rowOrigin_ = r < lastPageOrigins_.size() ? lastPageOrigins_[r] : RowOrigin::Live;
      rowDamage_ = lastPageFailed_ ? PageVerdictName(lastPageVerdict_) : "";
      TakeRow(rows[r], schema);
      rowOrigin_ = RowOrigin::Live;
      rowDamage_ = "";
      if (lastPageFailed_) {
        ++damagedRows_;
        if (damagedPages_.empty() || damagedPages_.back() != pageList[p]) damagedPages_.push_back(pageList[p]);
      }
    }
    window_.SetProgressPosition(pagesRead);
  }
  ReportDamagedRows();
  return walk;
}

RecordListing::Walk RecordListing::StreamRows(CDatabaseCatalog& catalog, const std::function<bool()>& stopped) {
  // Every row goes to the consumer: one row buffer serves the whole table.
  const TableSchema& schema = catalog.tableSchema;
  Walk walk;
  RenderedRow buffer;
  int64_t pagesRead = 0;
  for (size_t p = 0; pageList.Has(p); ++p) {
    if (stopped()) return walk;
    const PageAddress address = pageList[p];
    ForEachPageRow(*catalog.dataFile, address, schema, *currentRowContext_, buffer,
                   [&](const RenderedRow& row, RowOrigin origin, const PageVerification& verification) {
                     if (row.empty() || stopped()) return;
                     ++walk.processed;
                     rowOrigin_ = origin;
                     rowDamage_ = verification.Failed() ? PageVerdictName(verification.verdict) : "";
                     TakeRow(row, schema);
                     rowOrigin_ = RowOrigin::Live;
                     rowDamage_ = "";
                     if (verification.Failed()) {
                       ++damagedRows_;
                       if (damagedPages_.empty() || damagedPages_.back() != address) damagedPages_.push_back(address);
                     }
                   });
    window_.SetProgressPosition(++pagesRead);
  }
  ReportDamagedRows();
  return walk;
}

void RecordListing::ReportDamagedRows() {
  // The status line names the pages of this list page whose checksum or
  // torn bits did not verify; their rows are shown all the same.
  if (damagedRows_ == 0) {
    if (damageShown_) window_.SetStatusLine("");
    damageShown_ = false;
    return;
  }
  std::string pages;
  for (size_t i = 0; i < damagedPages_.size() && i < kDamagedPagesNamed; ++i)
    pages += (i > 0 ? ", " : "") + damagedPages_[i].ToString();
  if (damagedPages_.size() > kDamagedPagesNamed) pages += ", ...";
  window_.SetStatusLine(Format("%lld rows come from pages that failed verification: %s",
                               static_cast<long long>(damagedRows_), pages.c_str()));
  window_.ShowStatusLine(true);
  damageShown_ = true;
}

void RecordListing::TakeRow(const RenderedRow& row, const TableSchema& schema) {
  if (!rowConsumer) {
    InsertRecordRow(row, schema);
    return;
  }
  rowConsumer->ConsumeRow(row, schema);
  ++itemCounter;
}

void RecordListing::InsertRecordRow(const RenderedRow& row, const TableSchema& schema) {
  const bool legacy = TheApp().settings.legacyCatalog;
  const size_t n = row.size();
  // The first list column is the first shown column: the first stored one
  // in the modern layout, the first of all in the SQL Server 2000 layout.
  const size_t f = legacy ? 0 : schema.firstStoredColumn;
  const std::string text = f < n ? row[f].valueText : std::string();
  const int item = window_.InsertListItem(itemCounter, text);
  size_t empty = (text.empty() || text == "NULL") ? 1 : 0;
  int subItem = 1;
  for (size_t i = f + 1; i < n; ++i) {
    // Shown by the table's column list, so that texts stay under their
    // headings.
    const ColumnInfo& column = i < schema.columns.size() ? schema.columns[i] : row[i];
    if (!ShownColumn(column)) continue;
    window_.SetListSubItem(item, subItem++, row[i].valueText);
    if (row[i].valueText.empty()) ++empty;
  }
  if (rowOrigin_ != RowOrigin::Live || *rowDamage_ != '\0')
    window_.MarkListItem(item, RowOriginName(rowOrigin_), rowDamage_);
  if (empty == n) {
    window_.SelectListItem(item);
    window_.DeleteSelectedListItems();
  }
  ++itemCounter;
  const std::string progress = Format(" row %d inserted", itemCounter);
  window_.SetCaptionBar(progress);
  window_.ReplaceLastLogLine(progress);
}

std::vector<RenderedRow> RecordListing::GetPageRows(const CDatabaseCatalog& catalog, PageAddress address,
                                                    RowDecodingContext& context) {
  lastPageFailed_ = false;
  lastPageOrigins_.clear();
  if (pageRows) return pageRows(address, context);
  if (!catalog.dataFile) return {};
  PageRows page = ReadPageRows(*catalog.dataFile, address, catalog.tableSchema, context);
  lastPageFailed_ = page.verification.Failed();
  lastPageVerdict_ = page.verification.verdict;
  lastPageOrigins_ = std::move(page.origins);
  return std::move(page.rows);
}

void RecordListing::ReportPagedList() {
  const std::string log = Format("%lld rows to %lld", static_cast<long long>(firstRow), static_cast<long long>(lastRow));
  window_.SetPageCaption(Format("%s%d - [%lld](%lld-%lld) Records", "Page", pageNumber,
                                static_cast<long long>(lastRow - firstRow), static_cast<long long>(firstRow + 1),
                                static_cast<long long>(lastRow)));
  window_.SetCaptionBar(log);
  LogLine(log);
}

void RecordListing::EndPagingWorker() {
  // A stop ends this list page only; left set, it would empty the next
  // page the user asks for.
  TheApp().stopRequested = false;
  TheApp().isRunning = 0;
  window_.ShowProgressBar(false);
  window_.RepaintRecordsList();
}

void RecordListing::ShowNextRecords(CDatabaseCatalog& catalog) {
  window_.SetPageCaption("");
  if (!HasNextPage()) {
    window_.EnablePagingButton(Button::Next, false);
    window_.ShowProgressBar(false);
    window_.RepaintRecordsList();
    TheApp().isRunning = 0;
    return;
  }
  TheApp().isRunning = 1;
  window_.ShowProgressBar(true);
  window_.SetProgressRange(firstRow, lastRow);
  window_.SetProgressPosition(0);
  itemCounter = 0;

  window_.EnablePagingButton(Button::Next, true);
  window_.EnablePagingButton(Button::Previous, true);
  window_.DeleteAllListItems();
  nextMarker = NextMarker{static_cast<int32_t>(positionStack.size()), static_cast<int32_t>(resumePosition.rowIndex)};

  const PagePosition start = positionStack[static_cast<size_t>(shownPage_)];
  const Walk walk = WalkRows(catalog, start, true);
  ++shownPage_;
  positionStack.resize(static_cast<size_t>(shownPage_));
  if (walk.limitReached) {
    positionStack.push_back(walk.next);
    resumePosition = walk.next;
  }
  // Every list page before this one was full.
  firstRow = (shownPage_ - 1) * kRowsPerListPage;
  lastRow = firstRow + walk.processed;
  rowsListed += walk.processed;

  ++pageNumber;
  ReportPagedList();
  EndPagingWorker();
  if (!HasNextPage()) window_.EnablePagingButton(Button::Next, false);
}

void RecordListing::ShowPreviousRecords(CDatabaseCatalog& catalog) {
  window_.SetPageCaption("");
  if (!HasPreviousPage()) {
    window_.EnablePagingButton(Button::Previous, false);
    window_.EnablePagingButton(Button::Next, HasNextPage());
    window_.RepaintRecordsList();
    window_.ShowProgressBar(false);
    TheApp().isRunning = 0;
    return;
  }
  TheApp().isRunning = 1;
  window_.ShowProgressBar(true);
  window_.SetProgressRange(firstRow, lastRow);
  window_.SetProgressPosition(0);
  window_.EnablePagingButton(Button::Next, true);

  const int64_t target = shownPage_ - 1;
  const PagePosition start = positionStack[static_cast<size_t>(target - 1)];
  // The stack now ends with the start of the page after the one shown.
  positionStack.resize(static_cast<size_t>(target + 1));
  if (target == 1) {
    window_.EnablePagingButton(Button::Previous, false);
    nextMarker = NextMarker{2, 0};
  }
  if (rowsListed >= kRowsPerListPage) rowsListed -= kRowsPerListPage;
  window_.DeleteAllListItems();
  itemCounter = 0;

  const Walk walk = WalkRows(catalog, start, true);
  shownPage_ = target;
  resumePosition = positionStack.back();
  firstRow = (target - 1) * kRowsPerListPage;
  lastRow = firstRow + walk.processed;
  pageNumber = target == 1 ? 1 : pageNumber - 1;
  ReportPagedList();
  EndPagingWorker();
}

}  // namespace brinehold
