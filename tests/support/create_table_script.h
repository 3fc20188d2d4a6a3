// The tables a T-SQL creation script declares, for checking schemas read
// from real files against the script that made them.
//
// Reads CREATE TABLE statements (bracketed, quoted or plain names, any
// schema prefix) and sp_addtype calls; skips comments, string literals and
// everything else. Knows the declared-length rules of SQL Server's built-in
// types, so each column's expected type text ("nvarchar(100)" for
// nvarchar(50)) and nullability can be derived as the server stores them.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace brinehold::test {

struct ScriptColumn {
  std::string name;
  std::string declaredType;  // as written, e.g. "nvarchar(50)" or "id"
  std::string typeText;      // base type name and maximum length in bytes
  bool nullable = true;
  bool computed = false;     // "name AS expression": no type of its own
};

struct ScriptTable {
  std::string name;  // without schema
  std::vector<ScriptColumn> columns;
};

// One foreign key: the referencing table and columns in key order, the
// referenced table and columns; table names without schema.
struct ScriptForeignKey {
  std::string table;
  std::vector<std::string> columns;
  std::string referencedTable;
  std::vector<std::string> referencedColumns;
};

// The script's text as UTF-8: UTF-16LE with a byte-order mark, UTF-8 (with
// or without mark), else Windows-1252.
std::string ReadScriptText(const std::string& path);

// Every table the script creates, in script order; a table created twice
// (dropped and created again) keeps its last definition.
std::vector<ScriptTable> ParseCreateTables(const std::string& script);

// Every foreign key the script declares: "FOREIGN KEY (...) REFERENCES
// t (...)" inside CREATE TABLE or after ALTER TABLE ... ADD, and a column's
// own "REFERENCES t (c)". A key declared twice is listed twice.
std::vector<ScriptForeignKey> ParseForeignKeys(const std::string& script);

}  // namespace brinehold::test
