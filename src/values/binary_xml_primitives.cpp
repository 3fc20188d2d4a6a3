#include "values/binary_xml_primitives.h"

#include "platform/text_codec.h"

namespace brinehold::binxml {

namespace {

std::optional<uint64_t> ReadGroups(ByteReader in, size_t* pos, int maxBytes, int valueBits) {
  uint64_t value = 0;
  size_t at = *pos;
  for (int i = 0; i < maxBytes; ++i) {
    auto byte = in.U8(at++);
    if (!byte) return std::nullopt;
    const uint64_t group = *byte & 0x7Fu;
    const int shift = 7 * i;
    // The last group may only fill the bits left of the value's width.
    if (shift + 7 > valueBits && (group >> (valueBits - shift)) != 0) return std::nullopt;
    value |= group << shift;
    if ((*byte & 0x80u) == 0) {
      *pos = at;
      return value;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<uint32_t> ReadMb32(ByteReader in, size_t* pos) {
  auto value = ReadGroups(in, pos, 5, 32);
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

std::optional<uint64_t> ReadMb64(ByteReader in, size_t* pos) { return ReadGroups(in, pos, 10, 64); }

std::optional<std::string> ReadUtf16Text(ByteReader in, size_t* pos) {
  size_t at = *pos;
  auto units = ReadMb32(in, &at);
  if (!units) return std::nullopt;
  const size_t bytes = static_cast<size_t>(*units) * 2;
  auto run = in.Sub(at, bytes);
  if (!run) return std::nullopt;
  *pos = at + bytes;
  return Utf16LeToUtf8(std::span<const uint8_t>(run->data(), run->size()));
}

std::optional<ByteReader> ReadByteRun(ByteReader in, size_t* pos) {
  size_t at = *pos;
  auto count = ReadMb64(in, &at);
  if (!count || *count > in.size()) return std::nullopt;
  auto run = in.Sub(at, static_cast<size_t>(*count));
  if (!run) return std::nullopt;
  *pos = at + static_cast<size_t>(*count);
  return run;
}

std::optional<ByteReader> ReadFixed(ByteReader in, size_t* pos, size_t count) {
  auto run = in.Sub(*pos, count);
  if (!run) return std::nullopt;
  *pos += count;
  return run;
}

}  // namespace brinehold::binxml
