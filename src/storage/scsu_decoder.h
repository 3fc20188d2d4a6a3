// SCSU decoding: text compressed with the Standard Compression Scheme for
// Unicode (Unicode Technical Standard #6), as row- and page-compressed
// tables keep their Unicode character columns.
//
// The decoder keeps the scheme's state (single-byte or Unicode mode, the
// eight dynamic windows and the active one) and walks the input once, each
// step consuming at least one byte, so it always ends. Every read is bounded
// by the input: a command whose argument bytes are missing, a reserved tag
// or a reserved window index ends the decoding, and what was decoded before
// it is kept. Quoted UTF-16 surrogates are paired; an unpaired surrogate is
// dropped. Output is bounded: decoding stops before the first character
// that would not fit completely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace brinehold {

// The output bound of the row rebuild: one column's text is at most this
// many bytes.
inline constexpr size_t kScsuOutputLimit = 4096;

// The decoded code points, at most `maxCodePoints` of them.
std::vector<char32_t> DecodeScsuCodePoints(std::span<const uint8_t> input, size_t maxCodePoints);

// The text as UTF-8, at most `limit` bytes.
std::string DecodeScsu(std::span<const uint8_t> input, size_t limit = kScsuOutputLimit);

// The text as UTF-16LE bytes (what an uncompressed nchar/nvarchar column
// holds), at most `limit` bytes.
std::vector<uint8_t> DecodeScsuToUtf16Le(std::span<const uint8_t> input, size_t limit = kScsuOutputLimit);

}  // namespace brinehold
