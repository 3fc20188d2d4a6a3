// RecordShape: what a row of the table being read looks like on a page, so
// that rows deleted from it can be found in the page's bytes where no slot
// references them any more.
//
// A deleted row keeps the layout it had while it was live: a plain row
// starts with status byte A holding record type 0 (primary) or 6 (ghost
// data), the null-bitmap bit 0x10 and, when the table has variable-length
// columns, bit 0x20 (its null bits and value lengths as the columns allow); status byte B is 0; the 16-bit end of the fixed data
// at offset 2 is 4 + the table's fixed-length size (the page header's
// minimum record length at offset 14 holds the same number); the column
// count after the fixed data is the table's; every variable-column end
// offset (bit 15 cleared) lies inside the record and none is below the one
// before it. A row in the compressed format (status bit 0x01) has the
// record type and the table's column count, and only descriptor codes
// 0..12.
//
// The values layer makes the shape of the table it reads current for the
// thread (RecordShapeScope) while the table's pages are read. A shape whose
// fixed end is 0 takes it from each page's header, and a column count of 0
// accepts any count from 1 to 1023 (the page command, which knows no table).
#pragma once

#include <cstdint>
#include <vector>

#include "storage/primary_record.h"

namespace brinehold {

struct RecordShape {
  int32_t fixedEnd = 0;          // 4 + fixed-length size; 0: the page header's minimum length
  int32_t columnCount = 0;       // columns stored in a row; 0: any
  int32_t variableColumns = -1;  // variable-length columns of the table; -1: any up to the column count

  // What the table's columns allow, when known. A NOT NULL column never has
  // its null bit set. A variable-length column in the row whose null bit is
  // set holds no bytes; one left out at the end of the row (the server
  // leaves trailing nulls out) is null; a plain value is at most the
  // column's declared bytes long, and a Unicode one is of even length.
  std::vector<int32_t> notNullBits;  // 0-based null-bitmap positions
  struct VariableColumn {
    int32_t nullBit = -1;    // 0-based; -1: not known
    int32_t maxBytes = 0;    // 0 or less: not known or (max)
    bool evenLength = false;
  };
  std::vector<VariableColumn> variables;  // in stored order
};

// The shape current on this thread, or null outside any scope.
const RecordShape* CurrentRecordShape();

// Makes `shape` current for the lifetime of the scope (restoring the
// previous one afterwards).
class RecordShapeScope {
 public:
  explicit RecordShapeScope(RecordShape shape);
  ~RecordShapeScope();
  RecordShapeScope(const RecordShapeScope&) = delete;
  RecordShapeScope& operator=(const RecordShapeScope&) = delete;

 private:
  RecordShape shape_;
  const RecordShape* previous_;
};

// A quick look at the first bytes at a position: false when no row of
// `shape` (fixed end `fixedEnd`) can start there. Used before the full parse.
bool MayStartRecord(const ByteReader& bytes, const RecordShape& shape, int32_t fixedEnd);

// Whether a parsed record (CPrimaryRecord::ParseCarved) has the shape, and
// spans whole within its maximum length.
bool FitsRecordShape(const CPrimaryRecord& record, const RecordShape& shape, int32_t fixedEnd);

}  // namespace brinehold
