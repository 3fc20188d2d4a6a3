// The SCSU decoder on arbitrary bytes, with the output limit taken from
// the first byte so the limit paths are reached too.
#include <cstddef>
#include <cstdint>
#include <span>

#include "storage/scsu_decoder.h"

using namespace brinehold;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t limit = data[0] == 0 ? kScsuOutputLimit : data[0];
  std::span<const uint8_t> input(data + 1, size - 1);
  std::string text = DecodeScsu(input, limit);
  // Each call promises its bound; going past it is a fault like any other.
  if (text.size() > limit) __builtin_trap();
  if (DecodeScsuToUtf16Le(input, limit).size() > limit) __builtin_trap();
  if (DecodeScsuCodePoints(input, limit).size() > limit) __builtin_trap();
  return 0;
}
