// The binary xml decoder on arbitrary bytes, under the default limits and
// under small ones (the first byte picks), so both the deep/long limits and
// the ordinary paths are exercised.
#include <cstddef>
#include <cstdint>
#include <span>

#include "values/binary_xml_decoder.h"

using namespace brinehold;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  BinaryXmlLimits limits;
  if (data[0] & 0x01) {
    limits.maxOutputBytes = 256;
    limits.maxDepth = 4;
  }
  auto text = DecodeBinaryXml(std::span<const uint8_t>(data + 1, size - 1), limits);
  if (text && text->size() > limits.maxOutputBytes) __builtin_trap();
  return 0;
}
