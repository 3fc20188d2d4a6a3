#include "catalog/value_kind.h"

#include <charconv>

namespace brinehold {

ValueKind MapSystemType(uint32_t systemTypeId) {
  switch (systemTypeId) {
    case 127: return ValueKind::BigInt;
    case 173: return ValueKind::Binary;
    case 104: return ValueKind::Bit;
    case 175: return ValueKind::Char;
    case 61: return ValueKind::DateTime;
    case 40: return ValueKind::Date;
    case 41: return ValueKind::Time;
    case 42: return ValueKind::DateTime2;
    case 43: return ValueKind::DateTimeOffset;
    case 56: return ValueKind::Int;
    case 239: return ValueKind::NChar;
    case 231: return ValueKind::NVarChar;
    case 232: return ValueKind::PendingNVarChar;
    case 52: return ValueKind::SmallInt;
    case 48: return ValueKind::TinyInt;
    case 36: return ValueKind::UniqueIdentifier;
    case 165: return ValueKind::VarBinary;
    case 167: return ValueKind::VarChar;
    case 99: return ValueKind::NText;
    case 98: return ValueKind::SqlVariant;
    case 60: return ValueKind::Money;
    case 62: return ValueKind::Float;
    case 108: return ValueKind::Numeric;
    case 106: return ValueKind::Decimal;
    case 34:  // image: the schema reader makes it Image
    case 35: return ValueKind::Text;
    case 58: return ValueKind::SmallDateTime;
    case 59: return ValueKind::Real;
    case 122: return ValueKind::SmallMoney;
    case 189: return ValueKind::Timestamp;
    case 240: return ValueKind::ClrType;
    case 241: return ValueKind::Xml;
    default: return ValueKind::Char;
  }
}

int16_t DeclaredLengthOf(std::string_view typeText) {
  size_t open = typeText.find('(');
  if (open == std::string_view::npos) return 0;
  size_t close = typeText.find(')', open + 1);
  if (close == std::string_view::npos) return 0;
  std::string_view inside = typeText.substr(open + 1, close - open - 1);
  int value = 0;
  auto [end, ec] = std::from_chars(inside.data(), inside.data() + inside.size(), value);
  if (ec != std::errc() || end != inside.data() + inside.size()) return 0;
  if (value < INT16_MIN || value > INT16_MAX) return 0;
  return static_cast<int16_t>(value);
}

ColumnInfo BuildColumnInfo(std::string name, std::string typeText, int32_t kind) {
  ColumnInfo info;
  info.name = std::move(name);
  info.typeText = std::move(typeText);
  info.kind = kind;
  info.hobtColumnId = 0;
  info.nullBit = -1;
  if (kind < 0 || kind > kLastValueKind) {
    info.kind = static_cast<int32_t>(ValueKind::VarChar);
    info.variableLength = 1;
    return info;
  }
  auto declared = [&] { return DeclaredLengthOf(info.typeText); };
  switch (static_cast<ValueKind>(kind)) {
    case ValueKind::Binary:
    case ValueKind::Char:
    case ValueKind::NChar:
    case ValueKind::Numeric:
    case ValueKind::Decimal:
      info.declaredLength = declared();
      break;
    case ValueKind::NVarChar:
    case ValueKind::Text:
    case ValueKind::ClrType:
    case ValueKind::Xml:
      info.variableLength = 1;
      info.declaredLength = declared();
      break;
    case ValueKind::PendingNVarChar:
      info.variableLength = 1;
      info.kind = static_cast<int32_t>(ValueKind::NVarChar);
      info.declaredLength = declared();
      break;
    case ValueKind::NText:
    case ValueKind::SqlVariant:
    case ValueKind::UniqueIdentifier:
    case ValueKind::VarBinary:
    case ValueKind::VarChar:
    case ValueKind::Image:
      info.variableLength = 1;
      break;
    case ValueKind::HierarchyId:
    case ValueKind::Geometry:
      info.variableLength = 1;
      info.kind = static_cast<int32_t>(ValueKind::VarChar);
      break;
    default:  // the fixed-size kinds: neither flag nor length
      break;
  }
  return info;
}

}  // namespace brinehold
