#include "values/table_rows.h"

#include "catalog/database_catalog.h"
#include "session/app_state.h"
#include "values/page_rows.h"
#include "values/table_page_source.h"

namespace brinehold {

std::vector<size_t> ShownColumns(const TableSchema& schema) {
  const bool legacy = TheApp().settings.legacyCatalog;
  std::vector<size_t> shown;
  for (size_t i = 0; i < schema.columns.size(); ++i) {
    if (legacy || schema.columns[i].hobtColumnId != ColumnInfo::kNoStoredValue) shown.push_back(i);
  }
  return shown;
}

bool IsNullCell(const ColumnInfo& cell) { return cell.valueIsNull; }

std::string_view CellValueText(const ColumnInfo& cell) {
  return cell.valueShownAsNull ? std::string_view() : std::string_view(cell.valueText);
}

bool ForEachTableRow(CDatabaseCatalog& catalog, const std::function<bool(const RenderedRow&)>& visit) {
  return ForEachTableRow(catalog, [&](const RenderedRow& row, const TableRowSource&) { return visit(row); });
}

bool ForEachTableRow(CDatabaseCatalog& catalog,
                     const std::function<bool(const RenderedRow&, const TableRowSource&)>& visit) {
  return ForEachTableRow(catalog, {}, visit);
}

bool ForEachTableRow(CDatabaseCatalog& catalog, const std::vector<size_t>& rawColumns,
                     const std::function<bool(const RenderedRow&, const TableRowSource&)>& visit) {
  const TableSchema& schema = catalog.tableSchema;
  const bool wasLoadActive = TheApp().tableLoadActive;
  TheApp().tableLoadActive = false;  // large values in full
  RowDecodingContext context = BuildRowDecodingContext(schema.columns);
  if (!rawColumns.empty()) {
    context.rawColumns.assign(schema.columns.size(), 0);
    for (size_t index : rawColumns)
      if (index < context.rawColumns.size()) context.rawColumns[index] = 1;
  }
  const CDataFile& file = *catalog.dataFile;
  bool stopped = false;
  ListTablePageSequences(catalog, [&](PageSource pageSource, PageSequence& pages) {
    context.pageOwnerTest = ListedPageOwnerTest(catalog, pageSource);
    bool any = false;
    RenderedRow row;  // one buffer for every row of the table
    for (size_t p = 0; pages.Has(p); ++p) {
      if (stopped || TheApp().stopRequested) break;
      const PageAddress address = pages[p];
      ForEachPageRow(file, address, schema, context, row,
                     [&](const RenderedRow& rendered, RowOrigin origin, const PageVerification& verification) {
                       if (stopped) return;
                       any = true;
                       TableRowSource source;
                       source.origin = origin;
                       if (verification.Failed()) source.damage = PageVerdictName(verification.verdict);
                       if (!visit(rendered, source)) stopped = true;
                     });
    }
    return any;
  });
  TheApp().tableLoadActive = wasLoadActive;
  return !stopped && !TheApp().stopRequested;
}

}  // namespace brinehold
