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
  ListTablePages(catalog, [&](PageSource, const std::vector<PageAddress>& pages) {
    bool any = false;
    for (const PageAddress& address : pages) {
      if (stopped || TheApp().stopRequested) break;
      const PageRows page = ReadPageRows(file, address, schema, context);
      TableRowSource source;
      if (page.verification.Failed()) source.damage = PageVerdictName(page.verification.verdict);
      for (size_t r = 0; r < page.rows.size(); ++r) {
        any = true;
        source.origin = r < page.origins.size() ? page.origins[r] : RowOrigin::Live;
        if (!visit(page.rows[r], source)) {
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
