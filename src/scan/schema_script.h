// SchemaScript: T-SQL that would recreate a recovered table.
//
// TableCreateStatement turns the catalog's current table (as LoadTableSchema
// left it) into a CREATE TABLE statement: every column with its declared
// type (lengths in characters, "max" for -1, precision and scale where the
// type takes them), NULL or NOT NULL, IDENTITY(seed,increment), and the
// primary key and unique columns as table constraints; ForeignKeyStatements
// gives one ALTER TABLE ... ADD FOREIGN KEY per referencing column. Names
// are bracketed with "]" doubled, so any stored name stays one identifier.
// Columns without a stored value (computed columns) are written "AS (...)"
// with their definition text where it is known.
//
// Only what the catalog says is written: a type the catalog does not know
// keeps the name it stored, and a column without a type row gets sql_variant
// and a comment, so the script still runs.
#pragma once

#include <string>
#include <string_view>

#include "catalog/column_info.h"
#include "catalog/table_schema.h"

namespace brinehold {

std::string QuoteName(std::string_view name);

// "nvarchar(50)", "varbinary(max)", "decimal(12,2)", "int" ...
std::string ColumnTypeDeclaration(const ColumnInfo& column);

std::string TableCreateStatement(const TableSchema& schema);

std::string ForeignKeyStatements(const TableSchema& schema);

}  // namespace brinehold
