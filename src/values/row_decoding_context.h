// RowDecodingContext and RenderedRow: what rendering a table's rows needs,
// made once per table, and one rendered row.
//
// A listing builds one context from the table's column list and keeps it
// for all the pages it reads: the column list, where each column stands
// among a compressed row's descriptors, and the compressed-row layout the
// pages are read with (storage/compressed_column_layout.h). Rendering reads
// the context and never changes it; each row is a copy of the column list
// whose value texts hold that row's texts.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "catalog/column_info.h"
#include "storage/compressed_column_layout.h"
#include "storage/unit_page_check.h"

namespace brinehold {

class PageAllocation;

struct RowDecodingContext {
  std::vector<ColumnInfo> columns;
  // For each column, its place among a compressed row's descriptors (-1:
  // not stored). Empty: a column's place is its index.
  std::vector<int32_t> compressedPlaces;
  // One entry per descriptor place, for rebuilding compressed rows.
  CompressedRowLayout compressedLayout;
  // Per column, the number in its type text (DeclaredLengthOf), read once
  // rather than for every value. Used only while it has one entry per
  // column; otherwise the decoders read the type texts.
  std::vector<int16_t> typeTextLengths;
  // Per column index, 1 where a row's text is to be the value's stored
  // bytes (a variable-length value, off-row and text-pointer values read in
  // full) rather than its display text. Empty: none.
  std::vector<uint8_t> rawColumns;
  // Per column index, 1 where no one reads the row's text (a consumer
  // that keeps a few columns of a wide table): the value is located, so
  // later columns are found as always, but not decoded, and its text is
  // empty. The first column is always decoded (an empty first column
  // leaves a row of the older layouts out). Empty: none.
  std::vector<uint8_t> skippedColumns;
  // The PFS pages of the data file the table's pages are read from, read
  // on first use and kept (one covers 8088 pages): whether a page is one
  // the table freed. A memo, not part of what rendering decides from.
  mutable std::shared_ptr<PageAllocation> pageAllocation;
  // When set, a page whose header it rejects gives no rows: the pages were
  // listed without reading them (allocation maps list whole extents), and
  // one the table has not taken holds no rows of its own.
  UnitPageCheck::OwnerTest pageOwnerTest;
};

// The columns of one row in column-list order; each copy's valueText is
// the row's text for that column.
using RenderedRow = std::vector<ColumnInfo>;

RowDecodingContext BuildRowDecodingContext(const std::vector<ColumnInfo>& columns);

}  // namespace brinehold
