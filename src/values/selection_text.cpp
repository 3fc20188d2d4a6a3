#include "values/selection_text.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "catalog/database_catalog.h"
#include "session/app_state.h"
#include "values/object_values.h"

namespace brinehold {

namespace {

constexpr TreeId kTree = TreeId::Object;

// " a , b " for a and b; "" for none.
std::string ColumnPart(const std::vector<std::string>& columns) {
  std::string part = " ";
  for (const std::string& column : columns) part += column + " , ";
  while (!part.empty() && std::isspace(static_cast<unsigned char>(part.back()))) part.pop_back();
  if (!part.empty()) part.pop_back();
  return part;
}

bool IsDefinitionType(const std::string& type) {
  static const std::set<std::string> kTypes = {"F ", "P ", "D ", "C ", "PK", "FN",
                                               "TR", "IF", "V ", "UQ", "TT", "TF"};
  return kTypes.count(type) > 0;
}

struct KeyTable {
  std::string name;
  std::vector<std::string> columns;
};

// SQL Server 2000: the syscolumns-derived columns of the table with the
// item's object id.
std::optional<KeyTable> LegacyKeyTable(const CDatabaseCatalog& catalog, int64_t objectId, bool unique) {
  std::optional<KeyTable> found;
  for (const LegacyTable& table : catalog.legacyTables) {
    if (table.objectId != objectId) continue;
    found = KeyTable{table.name, {}};
    for (const LegacyTableColumn& column : table.columns)
      if ((column.typeStatus & 1) != 0 || (unique && column.typeStatus == 0)) found->columns.push_back(column.name);
  }
  return found;
}

// The columns of the key index named `constraint` of the current table, in
// key order; empty when the catalog has no such index.
std::vector<std::string> IndexKeyColumns(const CDatabaseCatalog& catalog, const std::string& constraint,
                                         const std::vector<ColumnInfo>& columns) {
  const int32_t tableId = catalog.tableSchema.currentObject.objectId;
  const IndexRow* index = nullptr;
  for (const IndexRow& row : catalog.indexes)
    if (row.objectId == tableId && row.name == constraint) index = &row;
  if (!index) return {};
  std::vector<const IndexColumnRow*> keys;
  for (const IndexColumnRow& row : catalog.indexColumns)
    if (row.objectId == tableId && row.indexId == index->indexId) keys.push_back(&row);
  std::stable_sort(keys.begin(), keys.end(), [](auto* a, auto* b) { return a->ordinal < b->ordinal; });
  std::vector<std::string> names;
  for (const IndexColumnRow* key : keys) {
    for (const ColumnInfo& column : columns)
      if (column.columnId == key->internalProperty && !column.name.empty()) names.push_back(column.name);
  }
  return names;
}

// The later layouts: the table is the key item's grandparent.
KeyTable ModernKeyTable(CDatabaseCatalog& catalog, CObjectTree& tree, ObjectDefinitions& definitions, TreeItem item,
                        bool unique) {
  WindowPort& window = tree.window();
  const TreeItem table = window.TreeItemParent(kTree, window.TreeItemParent(kTree, item));
  KeyTable key{window.TreeItemText(kTree, table), {}};
  const std::string type = tree.TableTypeOf(table);
  if (key.name.empty() || type.empty()) return key;
  const std::vector<ColumnInfo> columns = LoadTableSchema(catalog, key.name, type, definitions.scanObjectValues);
  key.columns = IndexKeyColumns(catalog, window.TreeItemText(kTree, item), columns);
  if (!key.columns.empty()) return key;
  for (const ColumnInfo& column : columns) {
    const bool flagged = unique ? column.uniqueConstraintColumn != 0 : column.primaryKeyColumn != 0;
    if (flagged && !column.name.empty()) key.columns.push_back(column.name);
  }
  return key;
}

KeyTable KeyTableOf(CDatabaseCatalog& catalog, CObjectTree& tree, ObjectDefinitions& definitions, TreeItem item,
                    bool unique) {
  const int64_t objectId = tree.window().TreeItemData(kTree, item);
  if (auto legacy = LegacyKeyTable(catalog, objectId, unique)) return *legacy;
  return ModernKeyTable(catalog, tree, definitions, item, unique);
}

// The object types an item under a node with text `parentText` can be.
bool FitsNode(const std::string& parentText, const std::string& type) {
  static const std::map<std::string, std::set<std::string>> kNodeTypes = {
      {"Views", {"V "}},           {"Function", {"FN", "IF", "TF"}}, {"Store Procedure", {"P "}},
      {"Triggers", {"TR"}},        {"Default", {"D "}},              {kNodeConstraint, {"C ", "D "}},
      {kNodePrimaryKey, {"PK"}},   {kNodeUnique, {"UQ"}},            {kNodeForeignKey, {"F "}}};
  auto it = kNodeTypes.find(parentText);
  return it == kNodeTypes.end() || it->second.count(type) > 0;
}

// Objects of one name but of different types (a view and a procedure
// both called X) each have their own item: the one whose type fits the
// item's node is the one shown, the first of the name otherwise.
const ObjectRow* ObjectOfItem(const CDatabaseCatalog& catalog, const std::string& itemText,
                              const std::string& parentText) {
  const ObjectRow* first = nullptr;
  for (const ObjectRow& object : catalog.objects) {
    if (object.name != itemText) continue;
    if (FitsNode(parentText, object.type)) return &object;
    if (!first) first = &object;
  }
  return first;
}

std::optional<std::string> DefinitionOf(CDatabaseCatalog& catalog, CObjectTree& tree, ObjectDefinitions& definitions,
                                        TreeItem item, const std::string& parentText) {
  WindowPort& window = tree.window();
  const std::string itemText = window.TreeItemText(kTree, item);
  const std::vector<ColumnInfo> found = LoadTableSchema(catalog, itemText, "P ", definitions.scanObjectValues);
  if (catalog.tableSchema.found && !found.empty()) return std::nullopt;
  if (found.size() < 2 || !IsDefinitionType(found[1].valueText)) return std::nullopt;

  const ObjectRow* object = ObjectOfItem(catalog, itemText, parentText);
  std::string idText = object ? std::to_string(object->objectId) : std::string();
  std::vector<ColumnInfo> columns;
  if (TheApp().settings.legacyCatalog) {
    columns = LoadTableSchema(catalog, "syscomments", "S ", definitions.scanObjectValues);
    if (columns.empty()) columns = SysCommentsColumns();
  } else {
    if (!object) idText = found[0].valueText;
    columns = SysObjValuesColumns();
  }
  std::string definition = definitions.GetDefinitionText(catalog, window, idText, columns);
  if (parentText == kNodeConstraint) {
    const TreeItem table = window.TreeItemParent(kTree, window.TreeItemParent(kTree, item));
    return CheckStatement(window.TreeItemText(kTree, table), itemText, definition);
  }
  return definition;
}

}  // namespace

std::string PrimaryKeyStatement(const std::string& table, const std::vector<std::string>& columns) {
  return "ALTER TABLE " + table + " ADD PRIMARY KEY (" + ColumnPart(columns) + ")";
}

std::string UniqueStatement(const std::string& table, const std::string& constraint,
                            const std::vector<std::string>& columns) {
  return "ALTER TABLE[dbo].[" + table + "] WITH NOCHECK ADD CONSTRAINT[" + constraint +
         "] UNIQUE CLUSTERED \r\n(\r\n[" + ColumnPart(columns) + "] DSC\r\n)";
}

std::string CheckStatement(const std::string& table, const std::string& constraint, const std::string& definition) {
  return "ALTER TABLE  [dbo].[" + table + "] WITH NOCHECK ADD CONSTRAINT[" + constraint + "] CHECK " + definition;
}

std::optional<std::string> SelectionText(CDatabaseCatalog& catalog, CObjectTree& tree,
                                         ObjectDefinitions& definitions, TreeItem item) {
  WindowPort& window = tree.window();
  const TreeItem parent = window.TreeItemParent(kTree, item);
  if (parent == kNoTreeItem) return std::nullopt;
  const std::string parentText = window.TreeItemText(kTree, parent);
  if (parentText == kNodeUserTables || parentText == kNodeSystemTables) return std::nullopt;
  if (parentText == kNodePrimaryKey) {
    KeyTable key = KeyTableOf(catalog, tree, definitions, item, false);
    return PrimaryKeyStatement(key.name, key.columns);
  }
  if (parentText == kNodeUnique) {
    KeyTable key = KeyTableOf(catalog, tree, definitions, item, true);
    return UniqueStatement(key.name, window.TreeItemText(kTree, item), key.columns);
  }
  return DefinitionOf(catalog, tree, definitions, item, parentText);
}

}  // namespace brinehold
