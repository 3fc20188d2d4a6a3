// CRecord: the base of every record class, and the parts records share.
//
// A record is one row image on a page. The parts of a primary record are
// views into the bytes it was parsed from (see primary_record.h for how long
// they stay valid). The only virtual operation of the record hierarchy is the
// destructor.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/byte_reader.h"

namespace brinehold {

inline constexpr int32_t kMaxRecordSize = 8060;

// Bits 1-3 of status byte A.
enum RecordType : uint8_t {
  kPrimaryRecordType = 0,
  kForwardedRecordType = 1,
  kForwardingStubType = 2,
  kIndexRecordType = 3,
  kLargeValueFragmentType = 4,
  kGhostIndexRecordType = 5,
  kGhostDataRecordType = 6,
  kGhostVersionRecordType = 7,
};

// Status byte A flag bits.
inline constexpr uint8_t kStatusCompressed = 0x01;
inline constexpr uint8_t kStatusNullBitmap = 0x10;
inline constexpr uint8_t kStatusVariableColumns = 0x20;
inline constexpr uint8_t kStatusVersionTag = 0x40;

inline constexpr RecordType RecordTypeOf(uint8_t statusA) {
  return static_cast<RecordType>((statusA >> 1) & 0x07);
}

// The status byte of a row in the compressed format (bit 0x01 set) is laid
// out differently: 0x02 the row carries versioning information, bits 2-4
// the record type, 0x20 a long-data region follows; there is no null
// bitmap. The record types have their own numbers there: 0 primary, 1 ghost
// empty, 2 forwarding stub, 3 ghost data, 4 forwarded (a moved row), 5 ghost
// forwarded, 6 index, 7 ghost index. CompressedRecordTypeOf gives the plain
// row's type of the same meaning (ghost empty and ghost forwarded rows are
// ghost data rows).
inline constexpr uint8_t kCompressedVersioning = 0x02;
inline constexpr uint8_t kCompressedLongData = 0x20;
inline constexpr RecordType CompressedRecordTypeOf(uint8_t status) {
  constexpr RecordType kByCode[8] = {kPrimaryRecordType,   kGhostDataRecordType,  kForwardingStubType,
                                     kGhostDataRecordType, kForwardedRecordType,  kGhostDataRecordType,
                                     kIndexRecordType,     kGhostIndexRecordType};
  return kByCode[(status >> 2) & 0x07];
}

// A short name of a record type for diagnostics ("primary", "ghost data").
const char* RecordTypeName(uint8_t type);

// One variable-length column value of a record: where its bytes lie, its
// length and whether it is complex. The bytes are a view into what the
// record was parsed from (or into bytes the record keeps, see
// CPrimaryRecord::Keep), valid as long as those live.
struct ColumnValue {
  ByteView bytes;      // the value bytes; empty when the value was not read
  int32_t length = 0;  // bytes.size() when read
  // Bit 15 of the end offset was set: a large-value pointer or a sparse
  // vector rather than plain column bytes.
  bool complex = false;

  bool HasBytes() const { return length > 0 && bytes.size() >= static_cast<size_t>(length); }
  // The value bytes; empty when not read.
  ByteReader Reader() const {
    return HasBytes() ? ByteReader(bytes.data(), static_cast<size_t>(length)) : ByteReader();
  }
};

// The view of [offset, offset + count) of `bytes`; empty when the range
// does not fit.
ByteView ViewOf(const ByteReader& bytes, size_t offset, size_t count);

// One value of a sparse-column vector; `bytes` views the vector as
// ColumnValue::bytes views the record.
struct SparseValue {
  uint16_t columnId = 0;
  ByteView bytes;  // the value bytes; empty when not read
  int32_t length = 0;
};

class CRecord {
 public:
  CRecord() = default;
  virtual ~CRecord() = default;
  CRecord(const CRecord&) = delete;
  CRecord& operator=(const CRecord&) = delete;
};

}  // namespace brinehold
