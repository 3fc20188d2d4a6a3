// RecordShape: what a row of the table being read looks like on a page, so
// that rows deleted from it can be found in the page's bytes where no slot
// references them any more.
//
// A deleted row keeps the layout it had while it was live: a plain row
// starts with status byte A holding record type 0 (primary) or 6 (ghost
// data), the null-bitmap bit 0x10 and, when the table has variable-length
// columns, bit 0x20 (its null bits and value lengths as the columns allow);
// status byte B is 0; the 16-bit end of the fixed data at offset 2 is one
// the table's rows can have (below); the column count after the fixed data
// is at most the table's; every variable-column end offset (bit 15 cleared)
// lies inside the record and none is below the one before it. A row in the
// compressed format (status bit 0x01) has the record type, the table's
// column count, and only descriptor codes 0..12.
//
// Rows the server wrote before columns were added (ALTER TABLE ADD changes
// only the catalog) keep the shape they had: fewer columns, and a fixed-data
// end at the start of the first fixed column added since. A page header's
// minimum record length (offset 14) is the fixed-data end of the table when
// the page was formatted, so rows written since on a page of a table that
// grew have a larger one. Trailing variable-length columns of no bytes are
// left out of a row whether they are null or empty (the null bitmap tells
// which), so a row may hold fewer of them than the table has.
//
// The values layer makes the shape of the table it reads current for the
// thread (RecordShapeScope) while the table's pages are read. A shape
// without fixed ends takes the page header's minimum length alone, and a
// column count of 0 accepts any count from 1 to 1023 (the page command,
// which knows no table).
#pragma once

#include <cstdint>
#include <vector>

#include "storage/primary_record.h"

namespace brinehold {

struct RecordShape {
  // The fixed-data ends a row of the table can have, ascending: 4 + the
  // table's fixed-length size, and the start of each fixed column (the end
  // for rows written before it was added). The page header's minimum
  // length is accepted as well; empty: only that.
  std::vector<int32_t> fixedEnds;
  int32_t columnCount = 0;       // columns stored in a row of the table; 0: any
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
// `shape` can start there on a page whose header gives `pageFixedEnd` as
// minimum length (below 4: none). Used before the full parse.
bool MayStartRecord(const ByteReader& bytes, const RecordShape& shape, int32_t pageFixedEnd);

// Whether a parsed record (CPrimaryRecord::ParseCarved) has the shape, and
// spans whole within its maximum length.
bool FitsRecordShape(const CPrimaryRecord& record, const RecordShape& shape, int32_t pageFixedEnd);

}  // namespace brinehold
