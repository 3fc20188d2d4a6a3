// Rebuilding a compressed row into plain column bytes.
//
// The rebuild lays the row's columns out one after another in column order
// in one buffer of at most 4096 bytes, which replaces the record's fixed
// data; it records for every column whether it is null and where its bytes
// lie (CompressedColumn), so the row renderer finds each column there
// instead of by the table's plain-row offsets. A column's place:
//  - kinds with a fixed size take that size (a shorter value leaves zeros);
//  - fixed-length character and binary kinds take their declared length;
//  - variable-length kinds take their value's length, at most the declared
//    length (the whole value for a (max) type);
// a column that would run past the end of the buffer is not written. Long
// values that are plain bytes are rebuilt in the record's value list too
// (that is where the renderer reads long values); large-value pointers
// (complex long values) stay as they are.
//
// A column's stored value comes from its descriptor code: 1 the page's
// anchor value for the column (nothing without one), 2..9 the next bytes
// of the short data, 10 the next long value, 12 the page-dictionary entry
// the next short-data byte names. Prefix compression: when the page has an
// anchor value for the column at least k bytes long, k being the stored
// value's first byte (for dictionary values of numeric columns with its top
// bit cleared), the value is the anchor's first k bytes followed by the
// rest of the stored value. Numeric columns (bigint, int, smallint,
// datetime, money, smallmoney) then hold a big-endian integer whose top bit
// is inverted: it is turned back into a little-endian two's-complement
// value of the column's width; a timestamp holds such an integer too and
// becomes its 8 bytes, most significant first, as a plain row keeps it.
// decimal and numeric hold the variable-decimal form (variable_decimal.h)
// and become the plain sign byte and magnitude; no bytes is zero. Unicode
// character columns (nchar(n), nvarchar(n)) are SCSU-compressed and become
// UTF-16LE again. Bit columns are not packed
// into shared bytes as in a plain row: each has its own descriptor, 11 for
// a set bit and 1 (empty) for a clear one, and is rebuilt as one byte of
// its own.
//
// The column list is in the order of the row's descriptors (the rowset's
// physical column order), which is not the table's column order when the
// table has computed columns or a clustered key that is not its first
// column; the values layer builds it that way.
//
// The column layout comes from the table being read
// (compressed_column_layout.h); the page that holds the row calls the
// rebuild.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/compressed_column_layout.h"
#include "storage/compressed_row.h"
#include "storage/primary_record.h"

namespace brinehold {

inline constexpr size_t kRebuildBufferSize = 4096;

// The rebuilt row: the new fixed data, the per-column places, and the
// rebuilt bytes of the plain long values (by index into the value list).
struct RebuiltRow {
  Bytes data;
  std::vector<CompressedColumn> columns;
  std::vector<std::pair<size_t, Bytes>> longValues;
};

// Rebuilds `record` (a parsed compressed row) with the page's compression
// information (may be null) for the columns in `columns`. Processes the
// smallest of the record's column count, its descriptor count and the
// column list.
RebuiltRow RebuildCompressedRow(const CPrimaryRecord& record, const PageCompressionInfo* info,
                                const CompressedRowLayout& columns);

// Installs a rebuilt row in the record: fixed data and length, long values,
// per-column places.
void ApplyRebuiltRow(CPrimaryRecord& record, RebuiltRow rebuilt);

// Turns a stored numeric value (big-endian, top bit inverted, at most 8
// bytes) into `width` little-endian bytes; empty when the value is empty or
// longer than 8 bytes.
Bytes NumericColumnBytes(const ByteReader& stored, int32_t width);

}  // namespace brinehold
