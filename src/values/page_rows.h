// GetPageRows: the rendered rows of one page of the current table.
//
// The page is read as a data page, its compressed rows rebuilt with the
// context's layout; a page that cannot be read or is not a data page
// (type 1), or whose owner the context's pageOwnerTest rejects, gives no
// rows. The variant is RowsetTable when the
// catalog is in the modern layout and the table has rowset-column rows,
// PositionalTable otherwise. The page is released before returning.
//
// A page the PFS marks unallocated is one the table freed: its rows are
// deleted rows, given only while deleted rows are shown (a PFS page that
// cannot be read marks nothing, and the page's rows count as live).
//
// While the page is read, the table's record shape (TableRecordShape) is
// current, so deleted rows of this table are carved out of the page's free
// bytes when the user asked for them. A carved row that does not render
// whole (no row, or a text that could not be decoded) is left out: bytes
// that only look like a row are no row.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "storage/page_address.h"
#include "storage/page_verification.h"
#include "storage/record_shape.h"
#include "values/row_renderer.h"

namespace brinehold {

class CDataFile;
struct TableSchema;

RenderVariant TableRenderVariant(const TableSchema& schema);

// The shape of the table's rows: the column count (and the number of
// variable-length columns) and the fixed-data ends from its rowset columns
// when it has them, otherwise the count of its stored columns and the
// fixed-data end from each page's header.
RecordShape TableRecordShape(const TableSchema& schema);

// Where a rendered row came from.
enum class RowOrigin : uint8_t {
  Live,    // a record the slot array references
  Ghost,   // a deleted record still in the slot array
  Carved,  // a deleted record found in bytes no slot references
  Freed,   // a record the slot array of a page the table freed references
};

// "", "ghost", "carved", "freed".
const char* RowOriginName(RowOrigin origin);

struct PageRows {
  std::vector<RenderedRow> rows;
  std::vector<RowOrigin> origins;  // one per row
  PageVerification verification;   // of the page as read
};

// The rows of the page one at a time, each rendered into `row` (a buffer
// the caller keeps from page to page, see RenderRecordInto) and handed on
// with its origin and the page's verification; returns the verification
// (empty when the page gave no rows).
using PageRowVisitor = std::function<void(const RenderedRow&, RowOrigin, const PageVerification&)>;
PageVerification ForEachPageRow(const CDataFile& file, PageAddress address, const TableSchema& schema,
                                const RowDecodingContext& context, RenderedRow& row, const PageRowVisitor& visit);

PageRows ReadPageRows(const CDataFile& file, PageAddress address, const TableSchema& schema,
                      const RowDecodingContext& context);

std::vector<RenderedRow> GetPageRows(const CDataFile& file, PageAddress address, const TableSchema& schema,
                                     const RowDecodingContext& context);

}  // namespace brinehold
