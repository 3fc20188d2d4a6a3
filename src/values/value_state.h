// ValueState and BitGroup: the per-column decoding state of one row.
//
// The row renderer makes one BitGroup per row (shared by the row's bit
// columns) and one ValueState per column through InitValueState, hands the
// state with the value's bytes to DecodeValue or DecodeVariant, and then
// advances its position in the fixed part of the row by the `declaredLength`
// the decoder left in the state (by `fixedSize` when the row has no fixed
// part). The fields keep their original order and widths but not the
// original 1-byte packing: nothing reads these records as bytes, and packed
// members cannot be bound to references (which every std:: algorithm and
// test assertion does) without misaligned access.
#pragma once

#include <cstdint>

#include "catalog/column_info.h"
#include "catalog/value_kind.h"

namespace brinehold {

// Up to eight bit columns share one byte of the fixed part, least
// significant bit first; the group hands out one bit per bit column and
// starts a new byte after eight.
struct BitGroup {
  int32_t bitIndex = 8;
  uint8_t currentByte = 0;
  uint8_t startsGroup = 0;
  uint8_t loaded = 0;
};

struct ValueState {
  BitGroup* bitGroup = nullptr;  // Bit columns only
  uint64_t available = 0;        // bytes present at the value's position
  uint8_t isVariable = 0;
  int16_t fixedSize = 0;       // bytes the value occupies in the fixed part
  int32_t declaredLength = 0;  // 0 until the decoder fills it
  // The number in the column's type text, when the caller has read it
  // once for all the column's values; -1: the decoder reads it.
  int32_t typeTextLength = -1;
  int16_t valueLength = 0;     // bytes handed to the decoder
  int32_t kind = 0;            // a ValueKind
};

// The fixed-part size of a kind with a fixed size (0 for the variable kinds
// and for the kinds whose size is the declared length, see
// KindUsesDeclaredLength).
int16_t FixedSizeOfKind(ValueKind kind);
bool KindUsesDeclaredLength(ValueKind kind);

// A fresh state for `kind` (which may differ from the column's own kind:
// the renderer decodes image columns as VarBinary). For Bit the state is
// linked to `group` and opens a byte when the group has used all eight
// bits of its current one.
ValueState InitValueState(const ColumnInfo& column, int32_t kind, BitGroup* group);

}  // namespace brinehold
