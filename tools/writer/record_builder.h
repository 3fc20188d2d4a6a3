// RecordBuilder: the bytes of one row in SQL Server's plain row format.
//
// Describe the row (type, fixed part, column count, nulls, variable columns)
// and Build() lays it out exactly as a data page holds it:
//   status A, status B, fixed end (2), fixed data, column count (2),
//   null bitmap, variable column count (2), end offsets (2 each, bit 15 for
//   complex columns), variable column data.
// Every field can also be forced to a raw value, so tests can build the
// damaged rows the reader must survive.
//
// Helpers for the other record shapes: forwarding stubs, sparse vectors and
// the back pointer of a forwarded row.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/page_address.h"

namespace brinehold::writer {

class RecordBuilder {
 public:
  RecordBuilder() = default;

  // Record type 0..7 (bits 1-3 of status A); 0 = primary.
  RecordBuilder& SetType(uint8_t type);
  // Fixed-length column data (may be empty: fixed end 4).
  RecordBuilder& SetFixed(Bytes fixed);
  // Number of columns; defaults to the number of null flags given, or 1.
  RecordBuilder& SetColumnCount(uint16_t count);
  // Column `column` (0-based) is null. A null bitmap is written unless
  // WithoutNullBitmap() is called. Bits past the last column are left clear
  // (the server writes them either way).
  RecordBuilder& SetNull(uint16_t column);
  RecordBuilder& WithoutNullBitmap();
  // Appends a variable-length column (complex: bit 15 in its end offset).
  RecordBuilder& AddVariable(Bytes value, bool complex = false);
  // Appends an empty variable-length column (its end equals the previous).
  RecordBuilder& AddEmptyVariable() { return AddVariable({}); }

  // Raw overrides for hostile rows; applied as written, nothing recomputed.
  RecordBuilder& ForceStatusA(uint8_t status);
  RecordBuilder& ForceStatusB(uint8_t status);
  // The null bitmap bytes exactly as given (any length).
  RecordBuilder& ForceNullBitmap(Bytes bitmap);
  RecordBuilder& ForceFixedEnd(uint16_t fixedEnd);
  RecordBuilder& ForceColumnCount(uint16_t count);
  RecordBuilder& ForceVariableCount(uint16_t count);
  // Replaces end offset `index` (including its bit 15) after layout.
  RecordBuilder& ForceEndOffset(size_t index, uint16_t raw);
  // Appends bytes after the row (they are not part of any column).
  RecordBuilder& AppendTrailing(Bytes bytes);

  Bytes Build() const;

 private:
  uint8_t type_ = 0;
  Bytes fixed_;
  std::optional<uint16_t> columnCount_;
  std::vector<uint16_t> nulls_;
  bool nullBitmap_ = true;
  std::vector<std::pair<Bytes, bool>> variables_;
  std::optional<uint8_t> statusA_, statusB_;
  std::optional<Bytes> nullBitmapBytes_;
  std::optional<uint16_t> fixedEnd_, forcedColumnCount_, variableCount_;
  std::vector<std::pair<size_t, uint16_t>> endOffsets_;
  Bytes trailing_;
};

// A forwarding stub (record type 2): status, page pointer and slot of the
// forwarded row. 9 bytes.
Bytes ForwardingStub(PageAddress target, uint16_t slot);

// The complex column a forwarded row carries last: a back pointer to its
// stub (kind 0x0400, page pointer, slot). 10 bytes.
Bytes ForwardedBackPointer(PageAddress stubPage, uint16_t slot);

// A sparse-column vector (complex column kind 5) with the given
// {column id, value bytes} pairs.
Bytes SparseVector(const std::vector<std::pair<uint16_t, Bytes>>& values);

// Little-endian helpers for composing fixed parts.
void AppendLE(Bytes& out, uint64_t value, size_t width);
// Appends `more` to `out`.
void AppendBytes(Bytes& out, const Bytes& more);
// One byte followed by `more`.
Bytes ByteThen(uint8_t first, const Bytes& more);
// UTF-16LE bytes of an ASCII/UTF-8 text (code points above U+FFFF become '?').
Bytes Utf16(const std::string& text);

}  // namespace brinehold::writer
