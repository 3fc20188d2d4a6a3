// DecodeValue and DecodeVariant: the text of one stored column value.
//
// The row renderer finds a value's bytes in a record and calls one of these
// per column with the column's ValueState (InitValueState). `value` views the
// bytes at the value's position (an empty view with no data pointer means
// "no value"); the decoders copy what they need once, bounded by the view,
// so a wrong length never reads outside it. A bit column whose byte its
// BitGroup already holds decodes without bytes of its own. Every malformed value gives
// empty text or " " (a date or time that cannot be shown), never an error:
// a listing always goes on with the next column.
//
// The state is updated as the renderer expects: `declaredLength` is left at
// the number of fixed-part bytes to advance by (taken from the type text
// when it was 0; 1 or 0 for a bit), and for the kinds that read their
// declared length `valueLength` becomes that length.
#pragma once

#include <string>

#include "catalog/column_info.h"
#include "platform/byte_reader.h"
#include "values/value_state.h"

namespace brinehold {

std::string DecodeValue(ValueState& state, ByteReader value, const ColumnInfo& column);
// The same into `out` (its text replaced): a caller that keeps one string
// per cell from row to row reuses its storage.
void DecodeValueInto(ValueState& state, ByteReader value, const ColumnInfo& column, std::string& out);

// The state updates DecodeValue makes that the following columns depend on
// (the fixed-part bytes to advance by), without decoding: for a value no
// one reads. Not for bits, which take their place in the bit group.
void SkipValue(ValueState& state, const ColumnInfo& column);

// An sql_variant value of `totalLength` bytes: base type id, version byte,
// the type's properties and the data. Fixed-size base types need the exact
// length; an unknown base type or a wrong length gives empty text.
std::string DecodeVariant(int totalLength, ValueState& state, ByteReader value, const ColumnInfo& column);

}  // namespace brinehold
