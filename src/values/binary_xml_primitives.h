// The basic fields of a binary xml stream: variable-length integers, text
// runs and byte runs.
//
// Every reader takes the stream and a position, reads at that position
// through the ByteReader and, on success, moves the position past what it
// read. A field that is cut short, overlong or out of range gives nothing
// and leaves the position where it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/byte_reader.h"

namespace brinehold::binxml {

// An unsigned integer of at most 32 bits in 7-bit groups, lowest first; at
// most five bytes, and the fifth may carry only the top four bits.
std::optional<uint32_t> ReadMb32(ByteReader in, size_t* pos);
// The same for 64 bits: at most ten bytes.
std::optional<uint64_t> ReadMb64(ByteReader in, size_t* pos);
// A count of UTF-16 code units (mb32), then the units: the text as UTF-8.
std::optional<std::string> ReadUtf16Text(ByteReader in, size_t* pos);
// A count of bytes (mb64), then the bytes: a view of them.
std::optional<ByteReader> ReadByteRun(ByteReader in, size_t* pos);
// `count` bytes at the position.
std::optional<ByteReader> ReadFixed(ByteReader in, size_t* pos, size_t count);

}  // namespace brinehold::binxml
