#include "values/value_state.h"

namespace brinehold {

int16_t FixedSizeOfKind(ValueKind kind) {
  switch (kind) {
    case ValueKind::BigInt: return 8;
    case ValueKind::DateTime: return 8;
    case ValueKind::Date: return 3;
    case ValueKind::Time: return 5;
    case ValueKind::DateTime2: return 8;
    case ValueKind::DateTimeOffset: return 10;
    case ValueKind::Int: return 4;
    case ValueKind::SmallInt: return 2;
    case ValueKind::TinyInt: return 1;
    case ValueKind::UniqueIdentifier: return 16;
    case ValueKind::Money: return 8;
    case ValueKind::Float: return 8;
    case ValueKind::Numeric: return 17;  // sign and at most 16 magnitude bytes
    case ValueKind::SmallDateTime: return 4;
    case ValueKind::Real: return 4;
    case ValueKind::SmallMoney: return 4;
    case ValueKind::Timestamp: return 8;
    default: return 0;
  }
}

bool KindUsesDeclaredLength(ValueKind kind) {
  switch (kind) {
    case ValueKind::Binary:
    case ValueKind::Char:
    case ValueKind::NChar:
    case ValueKind::NVarChar:
    case ValueKind::NText:
    case ValueKind::SqlVariant:
    case ValueKind::Decimal:
    case ValueKind::Text:
    case ValueKind::HierarchyId:
    case ValueKind::Geometry:
    case ValueKind::ClrType:
      return true;
    default:
      return false;
  }
}

ValueState InitValueState(const ColumnInfo& column, int32_t kind, BitGroup* group) {
  ValueState state;
  state.kind = kind;
  if (kind < 0 || kind > kLastValueKind) return state;
  ValueKind k = static_cast<ValueKind>(kind);
  if (k == ValueKind::PendingNVarChar) return state;

  if (k == ValueKind::Bit) {
    state.bitGroup = group;
    state.valueLength = 1;
    if (group) {
      if (group->bitIndex == 8) {
        group->startsGroup = 1;
        state.fixedSize = 1;
      } else {
        group->startsGroup = 0;
        state.fixedSize = 0;
      }
    }
    return state;
  }

  if (int16_t size = FixedSizeOfKind(k); size > 0) {
    state.fixedSize = size;
    state.valueLength = size;
  } else if (KindUsesDeclaredLength(k)) {
    state.fixedSize = column.declaredLength;
    state.valueLength = column.declaredLength;
  }

  switch (k) {
    case ValueKind::VarBinary:
    case ValueKind::Image:
    case ValueKind::Xml:
      state.isVariable = 1;
      state.fixedSize = 0;
      state.valueLength = column.declaredLength;
      break;
    case ValueKind::VarChar:
      state.fixedSize = 0;
      state.isVariable = column.variableLength;
      break;
    case ValueKind::NChar:
    case ValueKind::NVarChar:
    case ValueKind::NText:
    case ValueKind::SqlVariant:
    case ValueKind::Text:
    case ValueKind::HierarchyId:
    case ValueKind::Geometry:
    case ValueKind::ClrType:
      state.isVariable = column.variableLength;
      break;
    default:
      break;
  }
  return state;
}

}  // namespace brinehold
