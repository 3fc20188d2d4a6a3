// CompressedColumnLayout: what rebuilding a compressed row needs to know of
// one column of the table being read, and CompressedRowLayout, one entry per
// descriptor place of the row (the rowset's physical column order).
//
// The reader of a table makes the layout once from its column list and hands
// it down with every data page it asks for (CDataFile::ReadDataPage,
// PrimaryRecordPage); a page read without a layout rebuilds nothing.
#pragma once

#include <cstdint>
#include <vector>

namespace brinehold {

enum class CompressedValueClass : uint8_t {
  Plain,    // bytes as stored (after the prefix step); fixed widths padded with zeros
  Numeric,  // big-endian integer with inverted top bit
  Unicode,  // SCSU text (nchar(n), nvarchar(n)); nchar padded back with blanks
  Bit,      // one byte, 0 or 1: a compressed row keeps no bit groups
  Char,     // single-byte text whose trailing blanks were left out: padded back with blanks
  Float,    // float or real whose low-order zero bytes were left out: restored
  Decimal,  // decimal/numeric in the variable-decimal form: rebuilt as sign byte and magnitude
  Timestamp,  // timestamp/rowversion kept as an integer: rebuilt as its 8 bytes, most significant first
};

struct CompressedColumnLayout {
  CompressedValueClass valueClass = CompressedValueClass::Plain;
  int32_t width = 0;      // fixed size or declared length; 0 or less: unknown / (max)
  bool variable = false;  // takes only its value's length
  int32_t precision = 0;  // decimal/numeric: digits in all
  int32_t scale = 0;      // decimal/numeric: digits after the point
};

using CompressedRowLayout = std::vector<CompressedColumnLayout>;

}  // namespace brinehold
