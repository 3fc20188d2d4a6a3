// Column types as SQL writes them ("int", "decimal(12,2)",
// "varchar(20) COLLATE Cyrillic_General_CI_AS", "nvarchar(max)"), for the
// commands that decode bytes carved by hand (value, record).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/column_info.h"
#include "catalog/value_kind.h"

namespace brinehold::cli {

// A type: name (lower case), the numbers in its parentheses (-1 for max),
// and the collation name after COLLATE.
struct DeclaredType {
  std::string name;
  std::vector<int> arguments;
  std::string collation;
};

// Nothing when the text is not of that form (unknown names are accepted
// here; KindOfDeclaredType tells them).
std::optional<DeclaredType> ParseDeclaredType(const std::string& text);

// The value kind of a type name, through SQL Server's system type ids; the
// three CLR types by name.
std::optional<ValueKind> KindOfDeclaredType(const std::string& name);

// The collation id of a name in the collation table beside the program.
std::optional<int64_t> CollationIdOfName(const std::string& name);

// The type list of a record, split at the commas outside parentheses:
// "int, decimal(5,2)" gives "int" and "decimal(5,2)".
std::vector<std::string> SplitTypeList(const std::string& text);

// The largest number of bytes a value of the type takes, as the catalog
// states it (-1 for the max types): int 4, nchar(10) 20, decimal(12,2) 9,
// datetime2(3) 7.
int32_t MaxBytesOfType(const DeclaredType& declared, ValueKind kind);

}  // namespace brinehold::cli
