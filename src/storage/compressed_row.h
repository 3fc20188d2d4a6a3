// The compressed row format of row- and page-compressed tables, and the
// compression information block of page-compressed pages.
//
// Compressed row (offsets from the record start, little-endian):
//   0  status A (bit 0 set; record type in bits 1-3, 0x10 null bitmap,
//      0x20 long-data region)
//   1  column count: one byte when its top bit is clear, otherwise the
//      16-bit value of bytes 1-2 (top bit included); when that is above
//      the column limit, the low 7 bits of byte 1 and byte 2 as a 15-bit
//      count, byte 1 high
//      descriptors, one 4-bit code per column, low half of a byte first
//      (count - 1) / 30 short-data cluster bytes (skipped)
//      short data: the columns' short values one after another
//      null bitmap ((count + 7) / 8 bytes, when 0x10)
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
// (0x02 anchor record, 0x04 dictionary), 99-100 dictionary offset (relative
// to 96), 101-102 size of the block. The anchor record follows at 103 (with
// a dictionary) or at 101 (without one); the dictionary holds a 16-bit entry
// count n, n 16-bit end offsets counted from the dictionary's start, then
// the entries, the first starting at 2 + 2n.
//
// Everything here comes from a possibly damaged page: a row that cannot be
// parsed is marked invalid, parts that do not fit are left out, and an
// implausible block yields no anchor and no dictionary. All functions take
// bytes and return values (no file access), so they can be fed arbitrary
// input.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/byte_reader.h"
#include "storage/primary_record.h"
#include "storage/primary_record_page.h"

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

// Short-data bytes a descriptor code takes.
int32_t ShortDataBytes(uint8_t code);

// The short-data cluster bytes (and long-data cluster bytes) of a row with
// `columnCount` columns: one per started group of 30 columns after the first.
inline int32_t ClusterBytes(int32_t columnCount) { return columnCount > 0 ? (columnCount - 1) / 30 : 0; }

// Fills the compressed parts of `record` (status already read) from `bytes`,
// which start at the record's status byte, reading at most `maxLength`
// bytes: column count, descriptor codes, short data, null bitmap, long
// values (as entries of `values` with their complex flags), record length
// and image. A column count of 0 or above 1024 marks the record invalid.
void ParseCompressedRow(CPrimaryRecord& record, const ByteReader& bytes, int32_t maxLength);

// The compression information of a page whose header has type flag bit
// 0x80: `page` is the whole page buffer. Null when the block's size field is
// 0. The anchor values are taken for at most `columnLimit` columns (the
// columns of the table being read; 0 when none is). `owner` is stored in the
// anchor record and may be null.
std::unique_ptr<PageCompressionInfo> ReadPageCompressionInfo(const ByteReader& page, const CPage* owner,
                                                             bool legacyCatalog, size_t columnLimit);

}  // namespace brinehold
