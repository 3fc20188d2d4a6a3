// Text of the character kinds: which code page an 8-bit value is read in,
// and the conversions of 8-bit and UTF-16 values.
//
// 8-bit text is read in the code page of the column's collation, found
// through the current collation or the collation table of the application
// (both read here without locks: they change only between scans). A
// collation without a code page of its own (code page 0, Unicode-only) reads
// as the system ANSI code page; 65001 reads as UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/column_info.h"
#include "platform/byte_reader.h"
#include "catalog/value_kind.h"

namespace brinehold {

struct CodePageChoice {
  int codePage = 0;
};

// The code page of a Char, VarChar or Text value of `column`. The column's
// collation id (neither -1 nor 0) decides: the current collation's code page
// when the id is the current collation's, else the collation table's entry
// for the id; an id found in neither gives the system ANSI code page.
CodePageChoice SelectCodePage(ValueKind kind, const ColumnInfo& column);

// The code page of a collation id, or nothing when it is unknown.
std::optional<int> CodePageOfCollation(int64_t collationId);

// Character values keep every stored character: SQL Server stores "a\0b" as
// three characters, so a zero byte (or code unit) inside a value is a zero
// character of the text, not its end. Showing it is the caller's choice.

// The bytes converted from `codePage`. Nothing when the code page cannot be
// converted.
std::optional<std::string> ConvertCodePage(ByteReader bytes, int codePage);

// ConvertCodePage or, when that fails, the bytes widened one to one.
std::string ConvertCodePageOrWiden(ByteReader bytes, int codePage);

// True when the zero bytes among the first `length` bytes number exactly
// length / 2 (the look of Latin text in UTF-16).
bool LooksLikeUtf16(ByteReader bytes, size_t length);

// UTF-16LE bytes as text (an odd last byte is left out).
std::string Utf16Text(ByteReader bytes);

}  // namespace brinehold
