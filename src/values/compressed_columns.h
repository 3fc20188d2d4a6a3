// What the row renderer learns about a column of a row in the compressed
// format: whether the value is null, its length and its place in the
// rebuilt row; the column's descriptor code; and the column list the
// rebuild needs, derived from the table's columns.
//
// The rebuild (storage/compressed_row_rebuild.h) lays a compressed row's
// columns out in one buffer that replaces the record's fixed data; the
// renderer reads each column at the offset given here, not at the table's
// plain-row offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "catalog/column_info.h"
#include "storage/compressed_column_layout.h"

namespace brinehold {

class CPrimaryRecord;

struct CompressedColumnEntry {
  bool isNull = false;
  int32_t length = 0;   // 0 or less: not known
  int32_t offset = -1;  // in the rebuilt fixed data; -1: no bytes there
};

// One entry per column of the record in column order; empty for a plain
// record or a compressed one that was not rebuilt.
std::vector<CompressedColumnEntry> CompressedColumnsOf(const CPrimaryRecord& record);

// The descriptor code of the column at `index` of a compressed record, or
// nothing.
std::optional<uint8_t> CompressedDescriptorCode(const CPrimaryRecord& record, size_t index);

// Where each column of `columns` stands among a compressed row's
// descriptors: its physical ordinal (hobt column id) minus one, when every
// stored column has a distinct ordinal between 1 and the column limit;
// otherwise its position among the stored columns. -1 for a column the row
// does not store (a computed column).
std::vector<int32_t> CompressedPlacesFor(const std::vector<ColumnInfo>& columns);

// The rebuild's view of a column list, one entry per descriptor place
// (`places` as CompressedPlacesFor gives them; computed when empty):
// numeric kinds (bigint, int, smallint, datetime, money, smallmoney),
// decimal and numeric (variable-decimal form), timestamp (an integer),
// Unicode character kinds (nchar(n), nvarchar(n)), bit, char, float and
// real, and the rest, with each
// column's size. A place no column names (a physical column the table's
// list does not show, such as a uniquifier) takes its value's bytes.
CompressedRowLayout CompressedRowLayoutFor(const std::vector<ColumnInfo>& columns, std::vector<int32_t> places = {});

}  // namespace brinehold
