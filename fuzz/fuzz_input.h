// FuzzInput: hands out the bytes of one fuzzer input front to back, so a
// target can split an input into settings, a column list and page bytes.
// Reading past the end yields zeros (the fuzzer then learns nothing from
// the missing bytes, but the target never reads outside its input).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "catalog/column_info.h"
#include "catalog/value_kind.h"
#include "storage/page_address.h"

namespace brinehold::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t U16() {
    uint16_t low = Byte();
    return static_cast<uint16_t>(low | (Byte() << 8));
  }
  size_t Remaining() const { return size_ - pos_; }
  // Up to `count` bytes (fewer at the end of the input).
  std::vector<uint8_t> Take(size_t count) {
    size_t n = count < Remaining() ? count : Remaining();
    std::vector<uint8_t> out(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return out;
  }
  std::vector<uint8_t> Rest() { return Take(Remaining()); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A page buffer as the file reader hands it out: `bytes` at the start,
// zero-filled to the page size plus the trailing zero byte.
inline std::vector<uint8_t> PageBuffer(std::vector<uint8_t> bytes) {
  bytes.resize(kPageBufferSize, 0);
  bytes.back() = 0;
  return bytes;
}

// The type text of each kind as the catalog builds it, for column lists
// made from fuzzer bytes; the declared length is taken from `length`.
inline std::string TypeTextOf(int32_t kind, int length, uint8_t precision, uint8_t scale) {
  char text[64];
  switch (static_cast<ValueKind>(kind)) {
    case ValueKind::BigInt: return "bigint(8)";
    case ValueKind::Bit: return "bit(1)";
    case ValueKind::DateTime: return "datetime(8)";
    case ValueKind::Date: return "date(3)";
    case ValueKind::Int: return "int(4)";
    case ValueKind::SmallInt: return "smallint(2)";
    case ValueKind::TinyInt: return "tinyint(1)";
    case ValueKind::UniqueIdentifier: return "uniqueidentifier(16)";
    case ValueKind::Money: return "money(8)";
    case ValueKind::Float: return "float(8)";
    case ValueKind::Real: return "real(4)";
    case ValueKind::SmallMoney: return "smallmoney(4)";
    case ValueKind::SmallDateTime: return "smalldatetime(4)";
    case ValueKind::Timestamp: return "timestamp(8)";
    case ValueKind::SqlVariant: return "sql_variant(8016)";
    case ValueKind::Text: return "text(16)";
    case ValueKind::NText: return "ntext(16)";
    case ValueKind::Image: return "image(16)";
    case ValueKind::Xml: return "xml(-1)";
    case ValueKind::Numeric:
    case ValueKind::Decimal:
      std::snprintf(text, sizeof text, "%s(%d)", kind == static_cast<int32_t>(ValueKind::Numeric) ? "numeric" : "decimal",
                    (precision % 39) / 2 + 5);
      (void)scale;
      return text;
    default: break;
  }
  const char* name = "varbinary";
  switch (static_cast<ValueKind>(kind)) {
    case ValueKind::Binary: name = "binary"; break;
    case ValueKind::Char: name = "char"; break;
    case ValueKind::NChar: name = "nchar"; break;
    case ValueKind::NVarChar: name = "nvarchar"; break;
    case ValueKind::VarChar: name = "varchar"; break;
    case ValueKind::Time: name = "time"; break;
    case ValueKind::DateTime2: name = "datetime2"; break;
    case ValueKind::DateTimeOffset: name = "datetimeoffset"; break;
    case ValueKind::HierarchyId: name = "hierarchyid"; break;
    case ValueKind::Geometry: name = "geometry"; break;
    case ValueKind::ClrType: name = "clr"; break;
    default: break;
  }
  std::snprintf(text, sizeof text, "%s(%d)", name, length);
  return text;
}

// One column described by six input bytes: kind, declared length (-1 for
// max when its top bit is set), flags (nullable, sparse, not stored),
// precision, scale and the leaf offset class.
inline ColumnInfo ColumnFromInput(FuzzInput& in, int32_t hobt, int16_t& nextFixed) {
  int32_t kind = in.Byte() % (kLastValueKind + 1);
  uint8_t lengthByte = in.Byte();
  int length = (lengthByte & 0x80) ? -1 : (lengthByte & 0x7F) * 2 + 1;
  uint8_t flags = in.Byte();
  uint8_t precision = in.Byte();
  uint8_t scale = in.Byte();
  uint8_t place = in.Byte();
  ColumnInfo column = BuildColumnInfo("c" + std::to_string(hobt), TypeTextOf(kind, length, precision, scale), kind);
  column.columnId = hobt;
  column.hobtColumnId = (flags & 0x04) ? ColumnInfo::kNoStoredValue : hobt;
  column.nullBit = hobt;
  column.nullable = flags & 0x01;
  column.sparse = (flags & 0x02) ? 1 : 0;
  column.stored = (flags & 0x04) ? 0 : 1;
  column.precision = precision;
  column.scale = static_cast<uint8_t>(scale % 39);
  if (place & 0x80) {
    column.leafOffset = static_cast<int16_t>(-1 - (place & 0x0F));
  } else {
    column.leafOffset = nextFixed;
    nextFixed = static_cast<int16_t>(nextFixed + (place & 0x3F));
  }
  column.legacyRowOffset = column.leafOffset;
  column.collationId = (flags & 0x08) ? 53256 : -1;
  return column;
}

// A column list: one count byte (below `limit`), then six bytes per column
// (ColumnFromInput), column ids and hobt ordinals from 1.
inline std::vector<ColumnInfo> ColumnsFromInput(FuzzInput& in, size_t limit) {
  std::vector<ColumnInfo> columns(in.Byte() % limit);
  int16_t nextFixed = 4;
  for (size_t i = 0; i < columns.size(); ++i) columns[i] = ColumnFromInput(in, static_cast<int32_t>(i + 1), nextFixed);
  return columns;
}

}  // namespace brinehold::fuzz
