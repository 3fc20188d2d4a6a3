// The compressed row format of row- and page-compressed tables, and the
// compression information block of page-compressed pages.
//
// Compressed row (offsets from the record start, little-endian):
//   0  status: 0x01 the compressed format, 0x02 versioning information
//      follows the row, bits 2-4 the record type (numbered as in plain
//      rows), 0x20 a long-data region follows; no null bitmap
//   1  column count: one byte below 128; with the top bit set, a 15-bit
//      count in two bytes, most significant byte first (81 01 = 257)
//      descriptors, one 4-bit code per column, low half of a byte first
//      (count - 1) / 30 short-data cluster bytes (skipped)
//      short data: the columns' short values one after another
//      long-data region (when 0x20): header byte; when its bit 0 is set a
//      16-bit count m and m 16-bit end offsets (bit 15 = complex value);
//      (count - 1) / 30 cluster bytes; the long values, each ending at its
//      end offset counted from the start of the values.
// Descriptor codes and their short-data bytes: 0 null, 1 empty (0 bytes),
// 2..9 one to eight bytes, 10 long value (0; the value is in the long-data
// region), 11 bit set (0), 12 page-dictionary symbol (1 byte); other codes
// take no bytes.
//
// Compression information (page type flag bit 0x80): page offset 96 flags
// (0x02 anchor record, 0x04 dictionary, each on its own), 99-100 dictionary
// offset (relative to 96), 101-102 size of the block. The anchor record
// follows at 103 (with a dictionary) or at 101 (without one); the
// dictionary holds a 16-bit entry count n, n 16-bit end offsets, then the
// entries; the end offsets count from the start of the entries.
//
// Everything here comes from a possibly damaged page: a row that cannot be
// parsed is marked invalid, parts that do not fit are left out, and an
// implausible block yields no anchor and no dictionary. All functions take
// bytes and return values (no file access, no record or page classes), so
// they can be fed arbitrary input; CPrimaryRecord takes its compressed parts
// from here.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/record.h"

namespace brinehold {

inline constexpr uint8_t kCompressionHasAnchor = 0x02;
inline constexpr uint8_t kCompressionHasDictionary = 0x04;
inline constexpr int32_t kMaxCompressedColumns = 1024;

enum DescriptorCode : uint8_t {
  kDescriptorNull = 0,
  kDescriptorEmpty = 1,
  kDescriptorLong = 10,
  kDescriptorBitOne = 11,
  kDescriptorSymbol = 12,
};

// Where one column of a rebuilt compressed row lies in the record's fixed
// data; offset -1 when the column has no bytes there (null, a long value
// kept in the value list, or a column that did not fit).
struct CompressedColumn {
  bool isNull = false;
  int32_t offset = -1;
  int32_t length = 0;  // bytes of the value; 0 when not known
};

// The parts of a row in the compressed format that a plain row does not
// have; `columns` is filled by the rebuild.
struct CompressedRowParts {
  std::vector<uint8_t> descriptorCodes;
  Bytes shortData;
  int32_t shortDataLength = 0;
  int32_t longValueCount = 0;
  bool rebuilt = false;
  std::vector<CompressedColumn> columns;
};

// One row in the compressed format, as parsed from its bytes.
struct CompressedRow {
  bool invalid = false;
  int32_t columnCount = 0;
  CompressedRowParts parts;
  std::vector<ColumnValue> longValues;  // in descriptor order, with their complex flags
  bool hasLongData = false;             // the long-data region was read
  int32_t length = 0;                   // bytes the row spans

  const ColumnValue* LongValue(size_t index) const {
    return index < longValues.size() ? &longValues[index] : nullptr;
  }
};

// Short-data bytes a descriptor code takes.
int32_t ShortDataBytes(uint8_t code);

// The short-data cluster bytes (and long-data cluster bytes) of a row with
// `columnCount` columns: one per started group of 30 columns after the first.
inline int32_t ClusterBytes(int32_t columnCount) { return columnCount > 0 ? (columnCount - 1) / 30 : 0; }

// Parses the row that starts at the status byte of `bytes`, reading at most
// `maxLength` bytes: column count, descriptor codes, short data, long values
// and length. A column count of 0 or above 1024 makes the row
// invalid.
CompressedRow ParseCompressedRow(const ByteReader& bytes, int32_t maxLength);

// The compression information block of a page-compressed page (page offsets
// 96 .. 102, anchor record, anchor values, dictionary).
struct PageCompressionInfo {
  uint8_t flags = 0;              // 0x02 anchor record, 0x04 dictionary
  uint16_t dictionaryOffset = 0;  // relative to page offset 96
  uint16_t size = 0;
  std::unique_ptr<CompressedRow> anchorRecord;
  struct Entry {
    Bytes bytes;
    int32_t length = 0;  // -2 null anchor value, -1 empty
  };
  std::vector<Entry> anchorValues;
  std::vector<uint16_t> dictionaryEndOffsets;
  std::vector<Entry> dictionary;
};

// The compression information of a page whose header has type flag bit
// 0x80: `page` is the whole page buffer. Null when the block's size field is
// 0. The anchor values are taken for at most `columnLimit` columns (the
// columns of the table being read; 0 when none is).
std::unique_ptr<PageCompressionInfo> ReadPageCompressionInfo(const ByteReader& page, bool legacyCatalog,
                                                             size_t columnLimit);

}  // namespace brinehold
