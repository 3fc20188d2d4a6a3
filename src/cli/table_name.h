// Table names on the command line as SQL users write them.
//
// A name has up to three parts separated by full stops (database, schema,
// table; the database part is ignored): each part plain (`Customers`), in
// brackets (`[Order Details]`, `]]` standing for `]`) or in double quotes
// (`"x"`, `""` standing for `"`). A full stop inside brackets or quotes is
// part of the name.
//
// Schema names come from sysclsobjs (class 50 rows: id at fixed offset 1,
// the name as the first variable-length column) on SQL Server 2005 and
// later; the built-in schemas (dbo, guest, INFORMATION_SCHEMA, sys) stand
// in where it cannot be read, and on SQL Server 2000 the owner dbo (uid 1).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace brinehold {
class CDataFile;
}

namespace brinehold::cli {

struct TableName {
  std::string schema;  // empty when the name gives none
  std::string name;
};

// Nothing for a malformed name (an empty part, an unclosed bracket or
// quote, more than three parts).
std::optional<TableName> ParseTableName(const std::string& text);

// Schema id -> name.
std::map<int32_t, std::string> SchemaNames(const CDataFile& file, bool legacyCatalog);

}  // namespace brinehold::cli
