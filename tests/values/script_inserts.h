// The rows a creation script inserts: every INSERT ... VALUES statement of
// literal values (numbers, money, strings, N'' strings, 0x binaries, NULL,
// CAST(literal AS type)). Statements with anything else (variables,
// expressions, INSERT ... SELECT) are left out.
#pragma once

#include <string>
#include <vector>

namespace brinehold::test {

struct ScriptLiteral {
  enum Kind { Null, Number, String, Hex } kind = Null;
  std::string text;  // number text without '$', string contents, hex digits upper-case with "0x"
  bool cast = false;
};

struct ScriptInsert {
  std::string table;                 // without schema, brackets or quotes
  std::vector<std::string> columns;  // empty: all columns in order
  std::vector<ScriptLiteral> values;
};

// The text of a script file as UTF-8 (UTF-16LE or UTF-8 with byte-order
// mark, else Windows-1252).
std::string ReadScriptFile(const std::string& path);

std::vector<ScriptInsert> ParseScriptInserts(const std::string& script);

}  // namespace brinehold::test
