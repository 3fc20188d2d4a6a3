// The collation table: collation id -> name and code page.
//
// Loaded once at program start from "collation.txt" beside the program. Each
// line is: collation name, a tab, the collation id in decimal, a tab, the code
// page in decimal. The id is what SQL Server stores in the boot page and in
// column rows; it is read as a signed 32-bit value and widened with its sign,
// so SQL collations with a sort id of 128 or more get negative keys. Lines
// that do not have that shape are skipped, never half-used: a line without
// both tabs, an empty name, or an id or code page that is not a whole decimal
// number in range. A "\r" before the line end and a leading UTF-8 byte-order
// mark are tolerated; when an id is listed twice the later line wins.
//
// Code page 0 marks a Unicode-only collation (no 8-bit code page); 65001 is
// UTF-8. Both stay as they are in the table: the text converters treat 0 as
// the system ANSI code page and 65001 as UTF-8, so values under either
// collation still show as text.
//
// The file does not come from a database, but it may be edited by hand, so
// nothing in it is trusted further than the rules above.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "session/app_state.h"

namespace brinehold {

inline constexpr const char* kCollationFileName = "collation.txt";

struct CollationLine {
  std::string name;
  int64_t id = 0;
  int32_t codePage = 0;
};

// One line (without its line end), or nothing when the line is skipped.
std::optional<CollationLine> ParseCollationLine(std::string_view line);

// Every usable line of a whole file's text.
CollationTable ParseCollationTable(std::string_view text);

// Replaces TheApp().collations with the table in `path`. A missing or
// unreadable file leaves the table empty. Returns the number of entries.
size_t LoadCollationTable(const std::string& path);

// LoadCollationTable on "collation.txt" in the program's directory.
size_t LoadCollationTableBesideProgram();

// The entry for `id`, or nullptr.
const CollationEntry* FindCollation(const CollationTable& table, int64_t id);

}  // namespace brinehold
