#include "values/compressed_columns.h"

#include <algorithm>
#include <string>

#include "storage/compressed_row.h"
#include "storage/primary_record.h"
#include "storage/variable_decimal.h"
#include "catalog/value_kind.h"
#include "values/value_state.h"

namespace brinehold {

std::vector<CompressedColumnEntry> CompressedColumnsOf(const CPrimaryRecord& record) {
  std::vector<CompressedColumnEntry> entries;
  if (!record.compressed || !record.compressedParts.rebuilt) return entries;
  entries.reserve(record.compressedParts.columns.size());
  for (const CompressedColumn& column : record.compressedParts.columns)
    entries.push_back({column.isNull, column.length, column.offset});
  return entries;
}

std::optional<uint8_t> CompressedDescriptorCode(const CPrimaryRecord& record, size_t index) {
  if (!record.compressed || index >= record.compressedParts.descriptorCodes.size()) return std::nullopt;
  return record.compressedParts.descriptorCodes[index];
}

std::vector<int32_t> CompressedPlacesFor(const std::vector<ColumnInfo>& columns) {
  std::vector<int32_t> places(columns.size(), -1);
  std::vector<bool> taken(static_cast<size_t>(kMaxCompressedColumns), false);
  bool byOrdinal = true;
  for (const ColumnInfo& column : columns) {
    if (column.hobtColumnId == ColumnInfo::kNoStoredValue) continue;
    const int32_t ordinal = column.hobtColumnId;
    if (ordinal < 1 || ordinal > kMaxCompressedColumns || taken[static_cast<size_t>(ordinal - 1)]) {
      byOrdinal = false;
      break;
    }
    taken[static_cast<size_t>(ordinal - 1)] = true;
  }
  int32_t position = 0;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].hobtColumnId == ColumnInfo::kNoStoredValue) continue;
    places[i] = byOrdinal ? columns[i].hobtColumnId - 1 : position;
    ++position;
  }
  return places;
}

namespace {

bool IsMaxType(const ColumnInfo& column) {
  return column.declaredLength == -1 || column.typeText.find("(max)") != std::string::npos;
}

CompressedColumnLayout LayoutFor(const ColumnInfo& column) {
  CompressedColumnLayout blueprint;
  const bool known = column.kind >= 0 && column.kind <= kLastValueKind;
  const ValueKind kind = known ? static_cast<ValueKind>(column.kind) : ValueKind::VarBinary;
  switch (kind) {
    case ValueKind::BigInt:
    case ValueKind::DateTime:
    case ValueKind::Money:
    case ValueKind::Int:
    case ValueKind::SmallMoney:
    case ValueKind::SmallInt:
      blueprint.valueClass = CompressedValueClass::Numeric;
      blueprint.width = FixedSizeOfKind(kind);
      return blueprint;
    case ValueKind::Bit:
      blueprint.valueClass = CompressedValueClass::Bit;
      blueprint.width = 1;
      return blueprint;
    case ValueKind::NChar:
    case ValueKind::NVarChar:
      // Unicode compression covers nchar(n) and nvarchar(n); nvarchar(max)
      // values stay UCS-2 even in the row.
      if (!IsMaxType(column)) blueprint.valueClass = CompressedValueClass::Unicode;
      break;
    case ValueKind::Char:
      blueprint.valueClass = CompressedValueClass::Char;
      break;
    case ValueKind::Decimal:
    case ValueKind::Numeric:
      blueprint.valueClass = CompressedValueClass::Decimal;
      blueprint.precision = column.precision;
      blueprint.scale = column.scale;
      blueprint.width = PlainDecimalSize(column.precision);
      return blueprint;
    case ValueKind::Timestamp:
      blueprint.valueClass = CompressedValueClass::Timestamp;
      blueprint.width = 8;
      return blueprint;
    case ValueKind::Float:
    case ValueKind::Real:
      blueprint.valueClass = CompressedValueClass::Float;
      blueprint.width = FixedSizeOfKind(kind);
      return blueprint;
    default:
      break;
  }
  const int16_t fixedSize = known ? FixedSizeOfKind(kind) : 0;
  if (fixedSize > 0) {
    blueprint.width = fixedSize;
  } else {
    blueprint.width = DeclaredLengthOf(column.typeText);
    blueprint.variable = column.variableLength != 0 || kind == ValueKind::VarChar || kind == ValueKind::NVarChar ||
                         kind == ValueKind::VarBinary;
  }
  return blueprint;
}

}  // namespace

CompressedRowLayout CompressedRowLayoutFor(const std::vector<ColumnInfo>& columns, std::vector<int32_t> places) {
  if (places.size() != columns.size()) places = CompressedPlacesFor(columns);
  int32_t highest = -1;
  for (int32_t place : places) highest = std::max(highest, place);
  // Places no column names keep their value's bytes as they are.
  CompressedColumnLayout unnamed;
  unnamed.variable = true;
  CompressedRowLayout layout(static_cast<size_t>(highest + 1), unnamed);
  for (size_t i = 0; i < columns.size(); ++i) {
    if (places[i] < 0) continue;
    layout[static_cast<size_t>(places[i])] = LayoutFor(columns[i]);
  }
  return layout;
}

}  // namespace brinehold
