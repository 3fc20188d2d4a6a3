// TextRecord: one record of a text page, holding a large-value fragment.
//
// The record's status byte A and end of fixed data are read as for any
// record; the fragment is a copy of the fixed-length data, kept when the
// fixed data is not empty and shorter than the record's maximum length.
// Fragment layout: 0 value id (8), 8 fragment type (2), 10 type-specific
// part. The payload length is the fragment length - 10; a fragment shorter
// than 10 bytes gets type kUnusableFragment.
#pragma once

#include <cstdint>

#include "platform/byte_reader.h"
#include "storage/record.h"

namespace brinehold {

// Large-value fragment types.
enum LobFragmentType : int32_t {
  kSmallRootFragment = 0,
  kInternalFragment = 2,
  kDataFragment = 3,
  kLargeRootFragment = 5,
  kUnusableFragment = 8,
  kNoFragment = 9,
};

inline constexpr size_t kFragmentHeaderSize = 10;

class TextRecord : public CRecord {
 public:
  // `bytes` starts at the record; `maxLength` is the number of bytes it may
  // occupy (8192 minus its slot offset).
  TextRecord(ByteReader bytes, int32_t maxLength);
  ~TextRecord() override = default;

  uint8_t statusA = 0;
  uint8_t recordType = 0;
  bool hasNullBitmap = false;
  bool hasVariableColumns = false;
  int32_t maxLength = 0;
  int32_t fixedEnd = 0;

  Bytes fragment;  // empty when the record holds none
  uint64_t valueId = 0;
  int32_t fragmentType = kUnusableFragment;
  int32_t payloadLength = 0;

  bool HasFragment() const { return !fragment.empty(); }
  ByteReader Fragment() const { return ByteReader(fragment); }
};

}  // namespace brinehold
