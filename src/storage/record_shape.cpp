#include "storage/record_shape.h"

#include <algorithm>

#include "storage/compressed_row.h"

namespace brinehold {

namespace {

thread_local const RecordShape* currentShape = nullptr;

constexpr int32_t kColumnLimit = 1024;  // exclusive
constexpr uint8_t kHighestDescriptorCode = kDescriptorSymbol;

bool IsDataRecordType(uint8_t type) { return type == kPrimaryRecordType || type == kGhostDataRecordType; }

// Columns are only ever added to a table's rows: a plain row has at most
// the table's count. A compressed row, whose few checks let more bytes pass
// for a row, must have the table's count.
bool ColumnCountFits(int32_t count, const RecordShape& shape) {
  return count > 0 && count <= (shape.columnCount > 0 ? shape.columnCount : kColumnLimit - 1);
}

bool CompressedColumnCountFits(int32_t count, const RecordShape& shape) {
  return shape.columnCount > 0 ? count == shape.columnCount : ColumnCountFits(count, shape);
}

bool FixedEndFits(int32_t fixedEnd, const RecordShape& shape, int32_t pageFixedEnd) {
  if (fixedEnd < 4) return false;
  return fixedEnd == pageFixedEnd ||
         std::binary_search(shape.fixedEnds.begin(), shape.fixedEnds.end(), fixedEnd);
}

bool ValueFits(const CPrimaryRecord& record, const RecordShape::VariableColumn& column, int32_t length,
               bool complex) {
  if (column.nullBit >= 0 && record.IsColumnNull(column.nullBit) && length != 0) return false;
  if (complex) return true;  // a large-value pointer or sparse vector
  if (column.maxBytes > 0 && length > column.maxBytes) return false;
  return !column.evenLength || length % 2 == 0;
}

bool FitsPlainShape(const CPrimaryRecord& record, const RecordShape& shape, int32_t pageFixedEnd) {
  if (record.statusB != 0 || !FixedEndFits(record.fixedEnd, shape, pageFixedEnd)) return false;
  if (record.fixedEnd > 4 && record.fixedLength != record.fixedEnd - 4) return false;
  if (!ColumnCountFits(record.columnCount, shape)) return false;
  int32_t position = record.fixedEnd + 2;
  if (record.hasNullBitmap) {
    const int32_t bitmapBytes = (record.columnCount + 7) / 8;
    if (static_cast<int32_t>(record.nullBitmap.size()) != bitmapBytes) return false;
    position += bitmapBytes;
  }
  // A column added since the row was written has no bit in it.
  for (int32_t bit : shape.notNullBits)
    if (bit < record.columnCount && record.IsColumnNull(bit)) return false;
  if (!record.hasVariableColumns) return record.recordLength == position;
  const int32_t allowed = shape.variableColumns >= 0 ? shape.variableColumns : record.columnCount;
  const int32_t count = record.variableColumnCount;
  if (count <= 0 || count > allowed || static_cast<int32_t>(record.variableEndOffsets.size()) != count)
    return false;
  // The variable-column count is stored unless the row has neither fixed
  // data nor a null bitmap.
  const bool countStored = record.HasFixedData() || record.hasNullBitmap;
  int32_t previousEnd = position + (countStored ? 2 : 0) + 2 * count;
  for (size_t i = 0; i < record.variableEndOffsets.size(); ++i) {
    const int32_t end = record.variableEndOffsets[i];
    if (end < previousEnd || end > record.maxLength) return false;
    const bool complex = i < record.values.size() && record.values[i].complex;
    if (i < shape.variables.size() && !ValueFits(record, shape.variables[i], end - previousEnd, complex)) return false;
    previousEnd = end;
  }
  return record.recordLength == previousEnd;
}

bool FitsCompressedShape(const CPrimaryRecord& record, const RecordShape& shape) {
  if (!CompressedColumnCountFits(record.columnCount, shape)) return false;
  for (uint8_t code : record.compressedParts.descriptorCodes)
    if (code > kHighestDescriptorCode) return false;
  return static_cast<int32_t>(record.compressedParts.descriptorCodes.size()) == record.columnCount;
}

}  // namespace

const RecordShape* CurrentRecordShape() { return currentShape; }

RecordShapeScope::RecordShapeScope(RecordShape shape) : shape_(shape), previous_(currentShape) {
  currentShape = &shape_;
}

RecordShapeScope::~RecordShapeScope() { currentShape = previous_; }

bool MayStartRecord(const ByteReader& bytes, const RecordShape& shape, int32_t pageFixedEnd) {
  auto a = bytes.U8(0);
  if (!a) return false;
  // A compressed row's status byte has its own layout (record.h).
  if ((*a & kStatusCompressed) != 0) {
    if (!IsDataRecordType(CompressedRecordTypeOf(*a))) return false;
    auto count = bytes.U8(1);
    return count && ((*count & 0x80) != 0 || CompressedColumnCountFits(*count, shape));
  }
  if ((*a & 0x80) != 0 || !IsDataRecordType(RecordTypeOf(*a))) return false;
  if ((*a & kStatusVariableColumns) != 0 && shape.variableColumns == 0) return false;
  auto b = bytes.U8(1);
  auto end = bytes.U16(2);
  if (!b || !end || *b != 0 || !FixedEndFits(*end, shape, pageFixedEnd)) return false;
  auto count = bytes.U16(static_cast<size_t>(*end));
  return count && ColumnCountFits(*count, shape);
}

bool FitsRecordShape(const CPrimaryRecord& record, const RecordShape& shape, int32_t pageFixedEnd) {
  if (record.invalid || !IsDataRecordType(record.recordType) || record.image.empty()) return false;
  if (record.recordLength <= 0 || record.recordLength > record.maxLength) return false;
  return record.compressed ? FitsCompressedShape(record, shape) : FitsPlainShape(record, shape, pageFixedEnd);
}

}  // namespace brinehold
