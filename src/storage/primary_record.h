// CPrimaryRecord: a record of a data, index or boot page in the plain row
// format, split into its parts.
//
// Plain row layout (offsets from the record start, little-endian):
//   0 status A, 1 status B, 2 end of fixed data (fixed length + 4),
//   4 fixed data, then column count (2), null bitmap ((count + 7) / 8, when
//   status bit 0x10), variable column count (2, when 0x20), one 2-byte end
//   offset per variable column (bit 15 = complex column), column data.
//
// Every field comes from a possibly damaged page: every offset and count is
// bounded by the record's maximum length and by the bytes actually present,
// and nothing here ever reads outside the bytes it was given. A record that
// cannot be parsed is marked invalid (or has empty parts); nothing throws.
//
// Accepted record types are primary, forwarded and forwarding stub, plus
// ghost data when TheApp().settings.showDeleted is on; anything else is
// invalid. Ghost types are also marked hidden while that option is off.
//
// A forwarding stub is resolved by reading the page it points to through
// CDataFile::ReadPage and taking that slot's record; the parts are those of
// the forwarded row while the record type stays "forwarding stub". A stub that
// leads nowhere (or into a chain longer than kMaxForwardingHops, e.g. a stub
// pointing at itself) has fixedLength == kUnresolvedForwardLength and no
// values.
//
// Lifetime: the parts (fixedData, nullBitmap, image and every value's bytes)
// are views, not copies. They point into the bytes the record was parsed
// from, or into bytes the record keeps itself (the moved row of a
// forwarding stub, the columns of a rebuilt compressed row; see Keep). A
// record of a page views that page's buffer, which the page owns along with
// its records and never changes: the views are valid while the page lives.
// A record built on bytes of the caller's is valid while those bytes live;
// nothing may keep a view after its record is gone.
//
// Rows in the compressed row format (status bit 0x01) are flagged
// `compressed` and take their parts from ParseCompressedRow
// (compressed_row.h); the page then rebuilds their columns
// (compressed_row_rebuild.h). A stub whose moved row is compressed keeps the
// compression information of the page the row moved to, for that rebuild.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/small_vector.h"
#include "storage/compressed_column_layout.h"
#include "storage/compressed_row.h"
#include "storage/page_address.h"
#include "storage/record.h"

namespace brinehold {

class CPage;

inline constexpr int32_t kUnresolvedForwardLength = -5;
inline constexpr int kMaxForwardingHops = 4;
inline constexpr size_t kInlineVariableColumns = 16;

// Where a forwarding stub points.
struct ForwardingTarget {
  PageAddress page;
  int16_t slot = 0;
};

class CPrimaryRecord : public CRecord {
 public:
  // A record read through a slot. `bytes` starts at the record and may run to
  // the end of the page buffer; `maxLength` is the number of bytes the record
  // may occupy (8192 minus the slot offset). `page` may be null (no page
  // checks, stubs cannot be resolved). `forwardingHops` counts the stubs
  // already followed to get here. `layout` is the compressed-row layout of
  // the table being read (may be null), for the page a stub leads to.
  CPrimaryRecord(ByteReader bytes, const CPage* page, int32_t maxLength, int forwardingHops = 0,
                 const CompressedRowLayout* layout = nullptr);

  // The parse of the deleted-row search: maximum length 8060, no forwarding.
  // Returns the record and sets `length` to the bytes it spans, or returns
  // null with `length` -1 (or 0) when no acceptable record starts here.
  static std::unique_ptr<CPrimaryRecord> ParseForSearch(ByteReader bytes, const CPage* page,
                                                        int32_t& length);

  // A row carved out of page bytes no slot references: at most `limit`
  // bytes, plain or compressed, no forwarding, data record types only (the
  // type filter applies). Null when nothing parses there; the caller checks
  // the row's shape (record_shape.h).
  static std::unique_ptr<CPrimaryRecord> ParseCarved(ByteReader bytes, const CPage* page, int32_t limit);

  // --- parsed parts (views, see the lifetime rule above) ----------------
  const CPage* page = nullptr;  // not owned
  uint8_t statusA = 0;
  uint8_t statusB = 0;
  uint8_t recordType = 0;  // RecordType
  bool compressed = false;
  bool hasNullBitmap = false;
  bool hasVariableColumns = false;
  bool invalid = false;
  bool hidden = false;
  int32_t maxLength = 0;

  ByteView fixedData;       // the fixed-length column data
  int32_t fixedLength = 0;  // its length; kUnresolvedForwardLength for a dead stub
  int32_t fixedEnd = 0;     // the raw end-of-fixed-data field (offset 2)
  int32_t columnCount = 0;
  ByteView nullBitmap;
  int32_t variableColumnCount = 0;
  // Inline up to a size that holds most tables' rows.
  SmallVector<uint16_t, kInlineVariableColumns> variableEndOffsets;  // bit 15 cleared
  SmallVector<ColumnValue, kInlineVariableColumns> values;           // one per variable column, in order
  bool hasSparseVector = false;
  std::vector<SparseValue> sparseValues;
  ByteView image;            // bytes 0 .. recordLength of the row
  int32_t recordLength = 0;
  std::optional<ForwardingTarget> forwardedFrom;  // set for stubs: where they point
  CompressedRowParts compressedParts;
  // For a stub whose moved row is compressed: the compression information
  // of the page the row moved to (null when that page has none).
  std::shared_ptr<const PageCompressionInfo> movedRowCompression;

  // --- convenience for readers of the parts ----------------------------
  bool IsUsable() const { return !invalid && !hidden; }
  bool HasFixedData() const { return fixedLength > 0 && !fixedData.empty(); }
  ByteReader FixedReader() const { return ByteReader(fixedData); }
  // Takes `bytes` into the record's keeping and returns a view of them that
  // lives as long as the record (for parts that are not in the page).
  ByteView Keep(Bytes bytes);
  // Bit `column` (0-based) of the null bitmap; false when there is no bitmap
  // or it is too short.
  bool IsColumnNull(int32_t column) const;
  // The i-th variable-length column value, or null when there is none.
  const ColumnValue* VariableColumn(size_t index) const {
    return index < values.size() ? &values[index] : nullptr;
  }

 private:
  struct SearchTag {};

 public:
  explicit CPrimaryRecord(SearchTag) {}

 private:
  // compressed, hasNullBitmap and hasVariableColumns from statusA.
  void TakeStatusFlags();
  // Status byte, type filter and flags; false when the record is invalid.
  bool ReadStatus(const ByteReader& bytes, bool searching);
  // The plain row parse on `bytes` limited to `limit` bytes.
  void ParsePlain(const ByteReader& bytes, int32_t limit);
  // Returns the record length (position after the last column).
  int32_t ParseVariableColumns(const ByteReader& bytes, int32_t position, int32_t limit);
  void ResolveForwardingStub(const ByteReader& bytes, int32_t limit, int forwardingHops,
                             const CompressedRowLayout* layout);
  // Takes the parts of a row in the compressed format from `bytes`.
  void ParseCompressed(const ByteReader& bytes, int32_t limit);

  // Bytes the views may point into besides the parsed bytes. Each piece's
  // buffer stays where it is when the list grows.
  std::vector<Bytes> kept_;
};

// Unpacks a sparse-column vector (kind 5) into its values; empty when the
// vector's counts or offsets do not fit.
std::vector<SparseValue> ParseSparseVector(const ByteReader& vector);

// True when a complex column value is laid out as a sparse vector.
bool IsSparseVector(const ByteReader& value);

}  // namespace brinehold
