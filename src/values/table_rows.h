// Every row of one table, in the order the table listing reads them.
//
// ForEachTableRow walks the catalog's current table (loaded by
// LoadTableSchema) page by page, as the records list does (allocation
// maps, page chain or page inventory, under the current settings), and
// hands each rendered row to `visit`, with large values read in full. It
// stops when `visit` returns false or a stop is requested, and returns
// whether it went through to the end.
//
// ShownColumns lists the indexes, into the schema's column list, of the
// columns a listing shows: every column in the SQL Server 2000 layout; in
// the modern layout those with a stored value (a computed column has none).
// A rendered row lines up with the schema's column list, so the same
// indexes pick its cells.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "values/page_rows.h"
#include "values/row_decoding_context.h"

namespace brinehold {

class CDatabaseCatalog;
struct TableSchema;

std::vector<size_t> ShownColumns(const TableSchema& schema);

bool ForEachTableRow(CDatabaseCatalog& catalog, const std::function<bool(const RenderedRow&)>& visit);

// Where a row came from: live, ghost or carved, and the verdict name of its
// page when that page failed verification (empty otherwise).
struct TableRowSource {
  RowOrigin origin = RowOrigin::Live;
  std::string_view damage;
};

// The same walk, with each row's source.
bool ForEachTableRow(CDatabaseCatalog& catalog,
                     const std::function<bool(const RenderedRow&, const TableRowSource&)>& visit);

// The same walk where the cells of the columns at `rawColumns` hold their
// values' stored bytes (RowDecodingContext::rawColumns) instead of text.
bool ForEachTableRow(CDatabaseCatalog& catalog, const std::vector<size_t>& rawColumns,
                     const std::function<bool(const RenderedRow&, const TableRowSource&)>& visit);

// Whether a rendered cell holds SQL NULL (a stored text 'NULL' does not).
bool IsNullCell(const ColumnInfo& cell);

// A rendered cell's value as the record formats write it: its text, but
// empty where the listing shows an empty value as "NULL". Meaningless for
// a NULL cell.
std::string_view CellValueText(const ColumnInfo& cell);

}  // namespace brinehold
