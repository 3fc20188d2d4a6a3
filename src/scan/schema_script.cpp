#include "scan/schema_script.h"

#include <cctype>
#include <charconv>
#include <set>
#include <vector>

namespace brinehold {

namespace {

struct TypeText {
  std::string name;
  int length = 0;
  bool hasLength = false;
};

TypeText SplitTypeText(std::string_view text) {
  TypeText out;
  const size_t open = text.find('(');
  out.name = std::string(text.substr(0, open));
  if (open == std::string_view::npos) return out;
  const size_t close = text.find(')', open);
  if (close == std::string_view::npos) return out;
  const char* first = text.data() + open + 1;
  const char* last = text.data() + close;
  auto [end, error] = std::from_chars(first, last, out.length);
  out.hasLength = error == std::errc() && end == last;
  return out;
}

bool TakesByteLength(const std::string& name) {
  static const std::set<std::string> kNames = {"char", "varchar", "binary", "varbinary"};
  return kNames.count(name) != 0;
}

bool TakesCharacterLength(const std::string& name) { return name == "nchar" || name == "nvarchar"; }

bool TakesScale(const std::string& name) {
  return name == "datetime2" || name == "time" || name == "datetimeoffset";
}

std::string LengthText(int length) { return length == -1 ? "max" : std::to_string(length); }

std::string ColumnLine(const ColumnInfo& column) {
  std::string line = "    " + QuoteName(column.name) + " ";
  if (column.hobtColumnId == ColumnInfo::kNoStoredValue && !column.valueText.empty()) {
    return line + "AS " + column.valueText;
  }
  line += ColumnTypeDeclaration(column);
  if (!column.identityText.empty()) {
    std::string identity = column.identityText;  // "identity(1,1)"
    for (size_t i = 0; i < 8 && i < identity.size(); ++i) identity[i] = static_cast<char>(std::toupper(identity[i]));
    line += " " + identity;
  }
  line += column.nullable ? " NULL" : " NOT NULL";
  return line;
}

std::string KeyList(const TableSchema& schema, uint8_t ColumnInfo::*flag) {
  std::string list;
  for (const ColumnInfo& column : schema.columns) {
    if (!(column.*flag)) continue;
    if (!list.empty()) list += ", ";
    list += QuoteName(column.name);
  }
  return list;
}

}  // namespace

std::string QuoteName(std::string_view name) {
  std::string out = "[";
  for (char c : name) {
    out += c;
    if (c == ']') out += ']';
  }
  return out + "]";
}

std::string ColumnTypeDeclaration(const ColumnInfo& column) {
  const TypeText type = SplitTypeText(column.typeText);
  if (type.name.empty()) return "sql_variant /* type unknown */";
  if (type.name == "decimal" || type.name == "numeric") {
    return type.name + "(" + std::to_string(column.precision) + "," + std::to_string(column.scale) + ")";
  }
  if (TakesScale(type.name)) return type.name + "(" + std::to_string(column.scale) + ")";
  if (!type.hasLength) return type.name;
  if (TakesByteLength(type.name)) return type.name + "(" + LengthText(type.length) + ")";
  if (TakesCharacterLength(type.name)) {
    return type.name + "(" + (type.length == -1 ? "max" : std::to_string(type.length / 2)) + ")";
  }
  return type.name;
}

std::string TableCreateStatement(const TableSchema& schema) {
  std::vector<std::string> lines;
  for (const ColumnInfo& column : schema.columns) lines.push_back(ColumnLine(column));
  if (std::string keys = KeyList(schema, &ColumnInfo::primaryKeyColumn); !keys.empty()) {
    lines.push_back("    PRIMARY KEY (" + keys + ")");
  }
  if (std::string keys = KeyList(schema, &ColumnInfo::uniqueConstraintColumn); !keys.empty()) {
    lines.push_back("    UNIQUE (" + keys + ")");
  }
  std::string out = "CREATE TABLE " + QuoteName(schema.currentObject.name) + " (\n";
  for (size_t i = 0; i < lines.size(); ++i) out += lines[i] + (i + 1 < lines.size() ? ",\n" : "\n");
  return out + ");\nGO\n";
}

std::string ForeignKeyStatements(const TableSchema& schema) {
  std::string out;
  for (const ColumnInfo& column : schema.columns) {
    if (!column.foreignKeyColumn || column.referencedTable.empty()) continue;
    out += "ALTER TABLE " + QuoteName(schema.currentObject.name) + " ADD FOREIGN KEY (" + QuoteName(column.name) +
           ") REFERENCES " + QuoteName(column.referencedTable) + " (" + QuoteName(column.referencedColumn) +
           ");\nGO\n";
  }
  return out;
}

}  // namespace brinehold
