// ColumnInfo: what the program knows about one column of the current table.
//
// The schema reader builds one per column (through BuildColumnInfo, which
// sets the defaults below) and fills in the catalog facts; the value decoders
// and the row renderer read it, and put each rendered value's text into
// `valueText`. Texts are UTF-8. Fields are in the order the schema reader
// fills them and the defaults are those of a fresh descriptor.
#pragma once

#include <cstdint>
#include <string>

namespace brinehold {

struct ColumnInfo {
  // The number between "(" and ")" of the type text for the kinds that take
  // it, else 0. 0 is not final: the decoder reads the type text again then.
  int16_t declaredLength = 0;
  int32_t columnId = 0;  // the column list is sorted by it
  std::string name;
  int32_t kind = 0;  // a ValueKind
  // Scalar type name, "(", maximum length in bytes, ")": "int(4)",
  // "varbinary(-1)", "nvarchar(100)" for 50 characters.
  std::string typeText;
  uint8_t nullable = 0;
  uint8_t variableLength = 0;
  uint8_t sparse = 0;
  // Empty until a row is rendered; for a column without stored value (a
  // computed column) its definition text.
  std::string valueText;
  // Set with a rendered value: the row holds SQL NULL here (by its null
  // bitmap, a compressed row's descriptor, a column the record does not
  // have, an absent sparse value). The text alone cannot say so: a stored
  // 'NULL' renders as "NULL" too.
  bool valueIsNull = false;
  // Set with a rendered value: an empty value that the listing shows as
  // "NULL" (nullable columns of the older row layouts); the value itself
  // is the empty text.
  bool valueShownAsNull = false;
  uint8_t precision = 0;
  uint8_t scale = 0;
  // Physical ordinal in the rowset; kNoStoredValue for a column the row
  // does not store, which the decoders skip.
  int32_t hobtColumnId = 0;
  uint8_t stored = 0;  // matched to a physical column of the rowset
  // Position in the stored row: a byte offset in the fixed part when not
  // negative; the row renderer interprets negative values.
  int16_t leafOffset = 0;
  int16_t legacyRowOffset = 0;  // legacy catalog: syscolumns offset in row
  int32_t nullBit = -1;         // 1-based position in the null bitmap; -1 or 0: none
  uint8_t primaryKeyColumn = 0;
  uint8_t uniqueIndexColumn = 0;
  uint8_t uniqueConstraintColumn = 0;
  uint8_t foreignKeyColumn = 0;  // a foreign key starts at this column
  uint8_t statusBit3 = 0;        // bit 3 (value 8) of the column status
  std::string referencedTable;
  std::string referencedColumn;
  std::string identityText;
  uint8_t uniqueConstraintKeyByte = 0;
  int32_t collationId = -1;  // -1: none

  static constexpr int32_t kNoStoredValue = -99;
};

}  // namespace brinehold
