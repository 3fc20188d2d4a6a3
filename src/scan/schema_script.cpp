#include "scan/schema_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <set>
#include <vector>

#include "catalog/database_catalog.h"
#include "session/app_state.h"
#include "values/object_values.h"

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

namespace {

// One ALTER TABLE per referencing column, from the columns' marks: what is
// left when the catalog's reference rows are lost.
std::string ForeignKeysFromColumnMarks(const TableSchema& schema) {
  std::string out;
  for (const ColumnInfo& column : schema.columns) {
    if (!column.foreignKeyColumn || column.referencedTable.empty()) continue;
    out += "ALTER TABLE " + QuoteName(schema.currentObject.name) + " ADD FOREIGN KEY (" + QuoteName(column.name) +
           ") REFERENCES " + QuoteName(column.referencedTable) + " (" + QuoteName(column.referencedColumn) +
           ");\nGO\n";
  }
  return out;
}

std::string ForeignKeyStatement(const TableSchema& schema, const std::vector<const ForeignKeyColumn*>& pairs) {
  std::string referencing;
  std::string referenced;
  for (const ForeignKeyColumn* pair : pairs) {
    if (!referencing.empty()) referencing += ", ", referenced += ", ";
    referencing += QuoteName(pair->referencingColumnName);
    referenced += QuoteName(pair->referencedColumnName);
  }
  const ForeignKeyColumn& first = *pairs.front();
  std::string out = "ALTER TABLE " + QuoteName(schema.currentObject.name) + " ADD ";
  if (!first.constraintName.empty()) out += "CONSTRAINT " + QuoteName(first.constraintName) + " ";
  return out + "FOREIGN KEY (" + referencing + ") REFERENCES " + QuoteName(first.referencedTableName) + " (" +
         referenced + ");\nGO\n";
}

bool IsModuleType(const ObjectRow& object) {
  static const std::set<std::string> kTypes = {"V ", "P ", "FN", "IF", "TF", "TR", "R "};
  return kTypes.count(object.type) != 0 || (object.type == "D " && object.parentObjectId <= 0);
}

// `text` as a comment of its own: a block, so that line breaks in a
// definition or a name stay inside it; comment marks inside are broken up
// (block comments nest in T-SQL, so an opening mark counts as much as a
// closing one).
std::string CommentBlock(const std::string& text) {
  std::string out = "/* ";
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if ((text[i] == '*' && next == '/') || (text[i] == '/' && next == '*')) out += ' ';
  }
  return out + " */\n";
}

// A batch ends on its own line before GO.
std::string Batch(std::string text) {
  if (text.empty() || text.back() != '\n') text += "\n";
  return text + "GO\n";
}

}  // namespace

std::string ForeignKeyStatements(const TableSchema& schema, const std::vector<ForeignKeyColumn>& keyColumns) {
  // Constraint id -> its column pairs in key order.
  std::map<int32_t, std::vector<const ForeignKeyColumn*>> keys;
  for (const ForeignKeyColumn& pair : keyColumns) {
    if (pair.referencingTableId != schema.currentObject.objectId) continue;
    if (pair.referencingColumnName.empty() || pair.referencedColumnName.empty() || pair.referencedTableName.empty())
      continue;
    keys[pair.constraintId].push_back(&pair);
  }
  if (keys.empty()) return ForeignKeysFromColumnMarks(schema);
  std::string out;
  for (auto& [id, pairs] : keys) {
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const ForeignKeyColumn* a, const ForeignKeyColumn* b) { return a->ordinal < b->ordinal; });
    out += ForeignKeyStatement(schema, pairs);
  }
  return out;
}

std::string DefaultStatement(const std::string& table, const std::string& name, const std::string& column,
                             const std::string& definition) {
  return "ALTER TABLE " + QuoteName(table) + " ADD CONSTRAINT " + QuoteName(name) + " DEFAULT " + definition +
         " FOR " + QuoteName(column) + ";\nGO\n";
}

std::string CheckConstraintStatement(const std::string& table, const std::string& name,
                                     const std::string& definition) {
  return "ALTER TABLE " + QuoteName(table) + " ADD CONSTRAINT " + QuoteName(name) + " CHECK " + definition +
         ";\nGO\n";
}

void SchemaScript::AddTable(const TableSchema& schema) {
  tables_ += TableCreateStatement(schema) + "\n";
  foreignKeys_ += ForeignKeyStatements(schema, catalog_.foreignKeyColumns);
  for (const ObjectRow& object : catalog_.objects) {
    if (object.parentObjectId != schema.currentObject.objectId) continue;
    if (object.type != "D " && object.type != "C ") continue;
    TableConstraint constraint{schema.currentObject.name, &object, {}};
    // A default names its column by the column id in its object row.
    for (const ColumnInfo& column : schema.columns)
      if (column.columnId == object.internalProperty) constraint.column = column.name;
    constraints_.push_back(std::move(constraint));
  }
}

std::string SchemaScript::Definition(const ObjectRow& object) {
  if (!valueColumnsSet_) {
    valueColumnsSet_ = true;
    if (TheApp().settings.legacyCatalog) {
      valueColumns_ = LoadTableSchema(catalog_, "syscomments", "S ", definitions_.scanObjectValues);
      if (valueColumns_.empty()) valueColumns_ = SysCommentsColumns();
    } else {
      valueColumns_ = SysObjValuesColumns();
    }
  }
  return definitions_.GetDefinitionText(catalog_, window_, std::to_string(object.objectId), valueColumns_);
}

std::string SchemaScript::ConstraintText(const TableConstraint& constraint) {
  const ObjectRow& object = *constraint.object;
  const std::string definition = Definition(object);
  const std::string what = object.type == "D " ? "default " : "check ";
  if (definition.empty())
    return CommentBlock(what + QuoteName(object.name) + " of " + QuoteName(constraint.table) +
                        ": its definition could not be read");
  if (object.type == "C ") return CheckConstraintStatement(constraint.table, object.name, definition);
  if (constraint.column.empty())
    return CommentBlock(what + QuoteName(object.name) + " of " + QuoteName(constraint.table) +
                        " (column not known): " + definition);
  return DefaultStatement(constraint.table, object.name, constraint.column, definition);
}

std::string SchemaScript::ModulesText() {
  std::vector<const ObjectRow*> modules;
  for (const ObjectRow& object : catalog_.objects)
    if (IsModuleType(object)) modules.push_back(&object);
  std::stable_sort(modules.begin(), modules.end(),
                   [](const ObjectRow* a, const ObjectRow* b) { return a->objectId < b->objectId; });
  std::string out;
  std::string unread;
  std::set<int32_t> seen;
  for (const ObjectRow* object : modules) {
    if (!seen.insert(object->objectId).second) continue;
    const std::string definition = Definition(*object);
    if (definition.empty()) {
      unread += CommentBlock(QuoteName(object->name) + " (" + object->type + "): its definition could not be read");
      continue;
    }
    out += Batch(definition);
  }
  // Named last, so that no comment runs into a definition's batch.
  return unread.empty() ? out : out + "\n" + unread;
}

std::string SchemaScript::Text() {
  std::string constraints;
  for (const TableConstraint& constraint : constraints_) constraints += ConstraintText(constraint);
  std::string out = tables_ + foreignKeys_ + constraints;
  const std::string modules = ModulesText();
  if (!modules.empty()) out += "\n" + modules;
  return out;
}

}  // namespace brinehold
