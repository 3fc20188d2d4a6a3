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

bool IsNullCell(const ColumnInfo& cell) { return cell.valueText == "NULL"; }

bool ForEachTableRow(CDatabaseCatalog& catalog, const std::function<bool(const RenderedRow&)>& visit) {
  const TableSchema& schema = catalog.tableSchema;
  const bool wasLoadActive = TheApp().tableLoadActive;
  TheApp().tableLoadActive = false;  // large values in full
  RowDecodingContext context = BuildRowDecodingContext(schema.columns);
  const CDataFile& file = *catalog.dataFile;
  bool stopped = false;
  ListTablePages(catalog, [&](PageSource, const std::vector<PageAddress>& pages) {
    bool any = false;
    for (const PageAddress& address : pages) {
      if (stopped || TheApp().stopRequested) break;
      for (const RenderedRow& row : GetPageRows(file, address, schema, context)) {
        any = true;
        if (!visit(row)) {
          stopped = true;
          break;
        }
      }
    }
    return any;
  });
  TheApp().tableLoadActive = wasLoadActive;
  return !stopped && !TheApp().stopRequested;
}

}  // namespace brinehold
