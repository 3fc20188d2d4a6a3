// Rows and pages of row- and page-compressed tables.
//
// CompressedRowBuilder lays out one row in the compressed format: status
// byte (0x01, versioning 0x02, record type in bits 2-4 in the format's own
// numbering, 0x20 long data),
// column count (one byte below 128, otherwise a 15-bit count in two bytes
// behind the top bit, most significant byte first), the 4-bit descriptor
// codes, the short-data cluster bytes ((count - 1) / 30, zero), the short
// data, and, when a column holds a long value, the long-data region (header
// 0x01, count, end offsets with bit 15 for complex values, cluster bytes,
// values). There is no null bitmap. Each column is given with its
// descriptor code, so a test can write any code, including ones the reader
// ignores.
//
// The encoders produce stored values as the engine keeps them: integers
// (and timestamps) big-endian with the top bit inverted and leading sign
// bytes left out, decimals in the variable-decimal form,
// prefix-compressed values (prefix length byte, then the suffix) and
// Unicode text in SCSU.
//
// PlaceCompressionInfo writes a page's compression information block at
// offset 96 (flags, dictionary offset at 99, size at 101, the anchor record
// at 103 and the dictionary after it: entry count, end offsets counted from
// the start of the entries, entries) and returns where rows may start.
// Without the dictionary flag the anchor record sits at 101, so the size
// field is made of the anchor's first two bytes, as the reader takes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/page_address.h"
#include "writer/catalog_builder.h"
#include "writer/page_builder.h"

namespace brinehold::writer {

// One column of a compressed row.
struct CompressedValue {
  uint8_t code = 0;
  Bytes shortBytes;  // the bytes in the short data (codes 2..9: code - 1 bytes; 12: the symbol)
  Bytes longBytes;   // code 10
  bool complex = false;

  static CompressedValue Null() { return {0, {}, {}, false}; }
  static CompressedValue Empty() { return {1, {}, {}, false}; }
  // A short value of 1 to 8 bytes (code = size + 1); longer bytes are a
  // damaged row (the code still says 8).
  static CompressedValue Short(Bytes bytes);
  static CompressedValue Long(Bytes bytes, bool complex = false) { return {10, {}, std::move(bytes), complex}; }
  static CompressedValue Symbol(uint8_t index) { return {12, {index}, {}, false}; }
  // Any code with the given short bytes.
  static CompressedValue Raw(uint8_t code, Bytes shortBytes = {}) { return {code, std::move(shortBytes), {}, false}; }
};

// The value in the form a row keeps it: none (Empty) for zero bytes, short
// for 1..8 bytes, long above.
CompressedValue StoredValue(Bytes bytes);

class CompressedRowBuilder {
 public:
  CompressedRowBuilder& Add(CompressedValue value);
  // The status byte; by default CompressedRowStatus(primary) with the
  // long-data bit when a long value is present.
  CompressedRowBuilder& SetStatus(uint8_t status);
  Bytes Build() const;

 private:
  std::vector<CompressedValue> values_;
  std::optional<uint8_t> status_;
};

// The status byte of a compressed row of `recordType` (a plain row's type;
// written in the compressed format's own numbering). Plain types with no
// compressed code (large-value fragment, ghost version) give ghost empty
// and ghost forwarded.
uint8_t CompressedRowStatus(uint8_t recordType, bool longData = false, bool versioning = false);

// An integer as a compressed row stores it: big-endian, top bit inverted,
// the fewest bytes that keep the value (at least one).
Bytes CompressedInteger(int64_t value);
// A decimal given as text ("-123.45") in the variable-decimal form: sign
// bit and exponent plus 64 in the first byte, then the significant digits
// in 10-bit groups of three; zero takes no bytes.
Bytes CompressedDecimal(const std::string& text);
// A prefix-compressed value: the prefix length, then the suffix.
Bytes PrefixValue(uint8_t prefixLength, const Bytes& suffix);
// UTF-8 text in SCSU: ASCII as itself, other characters through dynamic
// windows defined on demand (SDn) or quoted (SQU, supplementary characters
// as a quoted surrogate pair).
Bytes ScsuEncode(const std::string& utf8);

struct CompressionInfoLayout {
  uint8_t flags = 0x06;  // 0x02 anchor record, 0x04 dictionary
  Bytes anchorRecord;
  std::vector<Bytes> dictionary;
  std::optional<uint16_t> size;              // override of the size field
  std::optional<uint16_t> dictionaryOffset;  // override of the dictionary offset
  std::optional<uint16_t> dictionaryCount;   // override of the entry count
};

// Writes the block into `page` (and sets type flag bit 0x80); returns the
// first free offset after it.
uint16_t PlaceCompressionInfo(PageBuilder& page, const CompressionInfoLayout& blueprint);

// A data page of a compressed table: the compression information (when
// given) and the rows one after another behind it; rows with a style in
// `deleted` are deleted in that style (AddRowsWithDeletions). The header
// names `owner` and `indexId` (the two parts of an allocation unit id).
Bytes CompressedDataPage(PageAddress self, int32_t owner, const std::optional<CompressionInfoLayout>& info,
                         const std::vector<Bytes>& rows, PageAddress previous = {0, 0}, PageAddress next = {0, 0},
                         const std::vector<std::optional<DeleteStyle>>& deleted = {}, int16_t indexId = 0);

// A table whose rows are kept compressed: object, columns, rowset,
// allocation unit and rowset columns go into the catalog, then one data
// page per entry of `pages` (each its compression information and rows),
// linked by their previous/next pointers; the allocation unit names the
// first of them.
struct CompressedTableBlueprint {
  ObjectBlueprint table;
  std::vector<ColumnBlueprint> columns;
  int64_t rowsetId = 0x0100000001F40000;         // 72057594070302720
  int64_t allocationUnitId = 0x0100000007A00000;  // pages carry owner 0x7A0
  // Column ids the rows do not store (computed columns): no rowset column.
  std::vector<int32_t> computedColumns;
  // Column ids in the rows' physical order (descriptor order); empty: the
  // stored columns in column order.
  std::vector<int32_t> physicalOrder;
  struct Page {
    std::optional<CompressionInfoLayout> info;
    std::vector<Bytes> rows;
    std::vector<std::optional<DeleteStyle>> deleted;  // per row; none: live
  };
  std::vector<Page> pages;
};
// Returns the address of the table's first data page (0:0 without pages).
PageAddress AddCompressedTable(CatalogFileBuilder& builder, const CompressedTableBlueprint& blueprint);

}  // namespace brinehold::writer
