// What the row renderer learns about a column of a row in the compressed
// format: whether the value is null and, when known, its length in the
// rebuilt row; and the column's descriptor code.
//
// The compressed-row reader fills these; until it does, a compressed record
// has no per-column information and its columns are located as in a plain
// row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace brinehold {

class CPrimaryRecord;

struct CompressedColumnEntry {
  bool isNull = false;
  int32_t length = 0;  // 0 or less: not known
};

// One entry per column of the record in column order; empty for a plain
// record or when nothing is known.
std::vector<CompressedColumnEntry> CompressedColumnsOf(const CPrimaryRecord& record);

// The descriptor code of the column at `index` of a compressed record, or
// nothing.
std::optional<uint8_t> CompressedDescriptorCode(const CPrimaryRecord& record, size_t index);

}  // namespace brinehold
