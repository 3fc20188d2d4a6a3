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
#include "storage/compressed_row_rebuild.h"

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

// The rebuild's view of a column list: numeric kinds (bigint, int,
// smallint, datetime, money, smallmoney), Unicode character kinds (nchar,
// nvarchar) and the rest, with each column's size.
std::vector<CompressedColumnSpec> CompressedColumnSpecsFor(const std::vector<ColumnInfo>& columns);

}  // namespace brinehold
