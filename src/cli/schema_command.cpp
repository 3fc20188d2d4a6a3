// brinehold schema FILE NAME [--type CODE] [--advanced] [--show-deleted]
#include <cstdio>
#include <string>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "catalog/value_kind.h"
#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/table_name.h"

namespace brinehold::cli {

namespace {

constexpr const char* kUsage =
    "usage: brinehold schema FILE NAME [--type CODE] [--advanced] [--show-deleted]\n";

const char* KindName(int32_t kind) {
  static const char* const kNames[] = {
      "BigInt",  "Binary",       "Bit",        "Char",     "DateTime",   "Date",       "Time",
      "DateTime2", "DateTimeOffset", "Int",    "NChar",    "NVarChar",   "Unassigned", "SmallInt",
      "TinyInt", "UniqueIdentifier", "VarBinary", "VarChar", "PendingNVarChar", "NText", "SqlVariant",
      "Money",   "Float",        "Numeric",    "Decimal",  "Image",      "Text",       "SmallDateTime",
      "Real",    "SmallMoney",   "Timestamp",  "HierarchyId", "Geometry", "ClrType",   "Xml"};
  static_assert(sizeof(kNames) / sizeof(kNames[0]) == kLastValueKind + 1);
  if (kind < 0 || kind > kLastValueKind) return "";
  return kNames[kind];
}

// Names come from the file: a tab or line break inside one must not split
// the table.
std::string Cell(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return out;
}

const char* KeyText(const ColumnInfo& column) {
  if (column.primaryKeyColumn) return "PK";
  if (column.uniqueConstraintColumn) return "UQ";
  if (column.uniqueIndexColumn) return "UI";
  return "";
}

int RunSchema(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {"advanced", "show-deleted"}, {"type"});
  if (!parsed.error.empty() || parsed.positional.size() != 2) {
    std::fprintf(stderr, "brinehold schema: %s\n%s",
                 parsed.error.empty() ? "expected FILE and NAME" : parsed.error.c_str(), kUsage);
    return 2;
  }
  // Type codes are two characters; "U" stands for "U ".
  std::string typeCode = parsed.Value("type").value_or("U ");
  if (typeCode.empty() || typeCode.size() > 2) {
    std::fprintf(stderr, "brinehold schema: --type takes a code of one or two characters\n%s", kUsage);
    return 2;
  }
  if (typeCode.size() == 1) typeCode += ' ';
  const std::string& name = parsed.positional[1];

  auto opened = OpenCatalogForCommand(parsed.positional[0], {parsed.Has("advanced"), parsed.Has("show-deleted")}, "schema");
  if (!opened) return 1;
  CDatabaseCatalog& catalog = *opened->catalog;
  // A view, procedure or constraint of that name gives its three lines; a
  // table is named as SQL users write it (schema, brackets, any case), and
  // found as the other table commands find it.
  const std::optional<TableName> written = ParseTableName(name);
  std::vector<ColumnInfo> columns = LoadTableSchema(catalog, written ? written->name : name, typeCode, {});
  const ObjectRow& found = catalog.tableSchema.currentObject;
  const bool table = found.objectId == -1 || found.type == "U " || found.type == "S ";
  if (table && (typeCode == "U " || typeCode == "S ")) {
    if (!LoadTableForCommand(catalog, name, "schema")) return 1;
    columns = catalog.tableSchema.columns;
  }
  if (catalog.tableSchema.currentObject.objectId == -1) {
    std::fprintf(stderr, "brinehold schema: no object named '%s' of type '%s' in the catalog\n", name.c_str(),
                 typeCode.c_str());
    return 1;
  }
  std::printf(
      "column_id\tname\ttype\tkind\tnullable\tstored\tleaf_offset\tnull_bit\thobt_column_id\tkey\treferences\t"
      "identity\n");
  for (const ColumnInfo& column : columns) {
    std::string references;
    if (column.foreignKeyColumn) references = column.referencedTable + "(" + column.referencedColumn + ")";
    std::printf("%d\t%s\t%s\t%s\t%d\t%d\t%d\t%d\t%d\t%s\t%s\t%s\n", column.columnId, Cell(column.name).c_str(),
                Cell(column.typeText).c_str(), KindName(column.kind), column.nullable, column.stored,
                column.leafOffset, column.nullBit, column.hobtColumnId, KeyText(column), Cell(references).c_str(),
                Cell(column.identityText).c_str());
  }
  return 0;
}

CommandRegistration registration(
    {40, "schema", "schema FILE NAME [--type CODE] [--advanced] [--show-deleted]",
     "Opens the data file, rebuilds its catalog and loads the object NAME as\n"
     "the table listing does (type code CODE, default \"U \"; a one-letter code\n"
     "gets its trailing blank). A table is named as in SQL (Orders,\n"
     "sales.Orders, [Order Details]); a name that several schemas hold needs\n"
     "its schema, and the candidates are listed. Prints one tab-separated line per column, in\n"
     "column-id order: column_id, name, type (name and maximum length in\n"
     "bytes), kind, nullable, stored, leaf_offset, null_bit, hobt_column_id\n"
     "(-99: no stored value), key (PK, UQ or UI), references (table(column)\n"
     "for a foreign key) and identity. A view, procedure or constraint gives\n"
     "three lines: its id, type and name. Exit 1 when no object has that name.",
     RunSchema});

}  // namespace

}  // namespace brinehold::cli
