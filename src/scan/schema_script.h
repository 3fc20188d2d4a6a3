// SchemaScript: T-SQL that would recreate a recovered table.
//
// TableCreateStatement turns the catalog's current table (as LoadTableSchema
// left it) into a CREATE TABLE statement: every column with its declared
// type (lengths in characters, "max" for -1, precision and scale where the
// type takes them), NULL or NOT NULL, IDENTITY(seed,increment), and the
// primary key and unique columns as table constraints; ForeignKeyStatements
// gives one ALTER TABLE ... ADD FOREIGN KEY per constraint, its columns in
// key order (one per referencing column when the catalog has only the
// columns' marks). Names
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

#include <vector>

#include "catalog/catalog_rows.h"
#include "catalog/column_info.h"
#include "catalog/table_schema.h"
#include "session/window_port.h"
#include "values/object_definitions.h"

namespace brinehold {

class CDatabaseCatalog;

std::string QuoteName(std::string_view name);

// "nvarchar(50)", "varbinary(max)", "decimal(12,2)", "int" ...
std::string ColumnTypeDeclaration(const ColumnInfo& column);

std::string TableCreateStatement(const TableSchema& schema);

std::string ForeignKeyStatements(const TableSchema& schema, const std::vector<ForeignKeyColumn>& keyColumns);

// "ALTER TABLE [T] ADD CONSTRAINT [N] DEFAULT definition FOR [C];" and the
// CHECK form; the definitions as stored ("((0))", "([a]>(0))").
std::string DefaultStatement(const std::string& table, const std::string& name, const std::string& column,
                             const std::string& definition);
std::string CheckConstraintStatement(const std::string& table, const std::string& name,
                                     const std::string& definition);

// SchemaScript: the whole schema.sql of an export, in an order a server can
// run it: the tables, then their foreign keys, defaults and checks, then
// the views, procedures, functions, triggers, rules and unbound defaults by
// object id, each statement followed by GO. Definitions are read from the
// catalog's object values (as the definition pane reads them) once, when
// Text is called; a definition that cannot be read is named in a comment.
class SchemaScript {
 public:
  SchemaScript(CDatabaseCatalog& catalog, WindowPort& window) : catalog_(catalog), window_(window) {}

  // The catalog's current table (as LoadTableSchema left it).
  void AddTable(const TableSchema& schema);
  // Loads other tables into the catalog's current table while it reads.
  std::string Text();

 private:
  struct TableConstraint {
    std::string table;
    const ObjectRow* object = nullptr;
    std::string column;  // the column a default is for; empty when unknown
  };

  std::string Definition(const ObjectRow& object);
  std::string ConstraintText(const TableConstraint& constraint);
  std::string ModulesText();

  CDatabaseCatalog& catalog_;
  WindowPort& window_;
  ObjectDefinitions definitions_;
  std::vector<ColumnInfo> valueColumns_;
  bool valueColumnsSet_ = false;
  std::string tables_;
  std::string foreignKeys_;
  std::vector<TableConstraint> constraints_;
};

}  // namespace brinehold
