// GetPageRows: the rendered rows of one page of the current table.
//
// The page is read as a data page, its compressed rows rebuilt with the
// context's layout; a page that cannot be read or is not a data page
// (type 1) gives no rows. The variant is RowsetTable when the
// catalog is in the modern layout and the table has rowset-column rows,
// PositionalTable otherwise. The page is released before returning.
#pragma once

#include <vector>

#include "storage/page_address.h"
#include "values/row_renderer.h"

namespace brinehold {

class CDataFile;
struct TableSchema;

RenderVariant TableRenderVariant(const TableSchema& schema);

std::vector<RenderedRow> GetPageRows(const CDataFile& file, PageAddress address, const TableSchema& schema,
                                     const RowDecodingContext& context);

}  // namespace brinehold
