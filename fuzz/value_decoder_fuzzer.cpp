// DecodeValue and DecodeVariant on one value: six bytes describe the
// column (see ColumnFromInput), one byte the variable flag, the rest is
// the stored value.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "session/app_state.h"
#include "values/value_decoder.h"
#include "values/value_state.h"

using namespace brinehold;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  int16_t nextFixed = 4;
  ColumnInfo column = fuzz::ColumnFromInput(in, 1, nextFixed);
  uint8_t flags = in.Byte();
  std::vector<uint8_t> value = in.Rest();

  BitGroup group;
  ValueState state = InitValueState(column, column.kind, &group);
  state.available = value.size();
  if (flags & 0x01) state.isVariable = 1;
  (void)DecodeValue(state, ByteReader(value.data(), value.size()), column);

  ValueState variantState = InitValueState(column, column.kind, &group);
  variantState.available = value.size();
  (void)DecodeVariant(static_cast<int>(value.size()), variantState, ByteReader(value.data(), value.size()), column);
  return 0;
}
