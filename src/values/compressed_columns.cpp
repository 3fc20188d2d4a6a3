#include "values/compressed_columns.h"

#include "storage/primary_record.h"
#include "values/value_kind.h"
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

std::vector<CompressedColumnSpec> CompressedColumnSpecsFor(const std::vector<ColumnInfo>& columns) {
  std::vector<CompressedColumnSpec> specs;
  specs.reserve(columns.size());
  for (const ColumnInfo& column : columns) {
    CompressedColumnSpec blueprint;
    const bool known = column.kind >= 0 && column.kind <= kLastValueKind;
    const ValueKind kind = known ? static_cast<ValueKind>(column.kind) : ValueKind::VarBinary;
    switch (kind) {
      case ValueKind::BigInt:
      case ValueKind::DateTime:
      case ValueKind::Money:
        blueprint.valueClass = CompressedValueClass::Numeric;
        blueprint.width = 8;
        break;
      case ValueKind::Int:
      case ValueKind::SmallMoney:
        blueprint.valueClass = CompressedValueClass::Numeric;
        blueprint.width = 4;
        break;
      case ValueKind::SmallInt:
        blueprint.valueClass = CompressedValueClass::Numeric;
        blueprint.width = 2;
        break;
      case ValueKind::NChar:
      case ValueKind::NVarChar:
        blueprint.valueClass = CompressedValueClass::Unicode;
        break;
      default:
        break;
    }
    if (blueprint.valueClass != CompressedValueClass::Numeric) {
      const int16_t fixedSize = known ? FixedSizeOfKind(kind) : 0;
      if (fixedSize > 0) {
        blueprint.width = fixedSize;
      } else {
        blueprint.width = DeclaredLengthOf(column.typeText);
        blueprint.variable = column.variableLength != 0 || kind == ValueKind::VarChar ||
                        kind == ValueKind::NVarChar || kind == ValueKind::VarBinary;
      }
    }
    specs.push_back(blueprint);
  }
  return specs;
}

}  // namespace brinehold
