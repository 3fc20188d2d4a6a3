// Value kinds: how a column's bytes are located and shown.
//
// The numbering is fixed: the schema reader stores a kind in every
// ColumnInfo and the decoders and the row renderer switch on it. Kind 12 is
// never assigned; kind 18 is the transient kind of system type 232 that
// BuildColumnInfo turns into NVarChar.
//
// The kinds live beside the column descriptor (below the decoders) because
// the schema reader builds its descriptors with them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/column_info.h"

namespace brinehold {

enum class ValueKind : int32_t {
  BigInt = 0,
  Binary = 1,
  Bit = 2,
  Char = 3,
  DateTime = 4,
  Date = 5,
  Time = 6,
  DateTime2 = 7,
  DateTimeOffset = 8,
  Int = 9,
  NChar = 10,
  NVarChar = 11,
  Unassigned = 12,
  SmallInt = 13,
  TinyInt = 14,
  UniqueIdentifier = 15,
  VarBinary = 16,
  VarChar = 17,
  PendingNVarChar = 18,
  NText = 19,
  SqlVariant = 20,
  Money = 21,
  Float = 22,
  Numeric = 23,
  Decimal = 24,
  Image = 25,
  Text = 26,
  SmallDateTime = 27,
  Real = 28,
  SmallMoney = 29,
  Timestamp = 30,
  HierarchyId = 31,
  Geometry = 32,
  ClrType = 33,
  Xml = 34,
};

constexpr int32_t kLastValueKind = 34;

// User type ids that single out two CLR types.
constexpr int32_t kHierarchyIdUserType = 128;
constexpr int32_t kGeometryUserType = 129;

// The kind of a SQL Server system type id. image (34) and text (35) both
// give Text, every CLR type (240) gives ClrType, 232 gives PendingNVarChar
// and an id not known here gives Char; the schema reader refines the first
// three.
ValueKind MapSystemType(uint32_t systemTypeId);

// The decimal number between the first "(" and the following ")" of a type
// text, e.g. 8016 in "sql_variant(8016)" and -1 in "varbinary(-1)"; 0 when
// there are no parentheses or no 16-bit number between them.
int16_t DeclaredLengthOf(std::string_view typeText);

// A fresh descriptor: name, type text and kind stored, every other field at
// its default, then the variable-length flag and the declared length set by
// kind. A kind outside 0..34 becomes VarChar; PendingNVarChar becomes
// NVarChar; HierarchyId and Geometry become VarChar (the schema reader sets
// them after this call).
ColumnInfo BuildColumnInfo(std::string name, std::string typeText, int32_t kind);
inline ColumnInfo BuildColumnInfo(std::string name, std::string typeText, ValueKind kind) {
  return BuildColumnInfo(std::move(name), std::move(typeText), static_cast<int32_t>(kind));
}

}  // namespace brinehold
