// RowDecodingContext and RenderedRow: the column list a listing renders
// into, and one rendered row.
//
// A listing builds one context from the current table's column list and
// keeps it for all its pages. The renderer writes each column's text into
// the context's copy of the column and appends a copy of the whole list as
// one row; it may also rewrite a column's hobt column id (a row with fewer
// columns than the table), and the rewrite stays for the following rows.
#pragma once

#include <cstdint>
#include <vector>

#include "catalog/column_info.h"

namespace brinehold {

struct RowDecodingContext {
  std::vector<ColumnInfo> columns;
  // For each column, its place among a compressed row's descriptors (-1:
  // not stored), taken from the column list as the table defines it, before
  // any row rewrites a hobt column id. Empty: a column's place is its index.
  std::vector<int32_t> compressedPlaces;
};

// The columns of one row in column-list order; each copy's valueText is
// the row's text for that column.
using RenderedRow = std::vector<ColumnInfo>;

RowDecodingContext BuildRowDecodingContext(const std::vector<ColumnInfo>& columns);

}  // namespace brinehold
