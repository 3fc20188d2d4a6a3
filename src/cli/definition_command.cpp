// brinehold definition FILE NAME [--type CODE] [--advanced] [--show-deleted]
#include <cstdio>
#include <set>

#include "catalog/database_catalog.h"
#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "values/selection_text.h"

namespace brinehold::cli {

namespace {

constexpr const char* kUsage =
    "usage: brinehold definition FILE NAME [--type CODE] [--advanced] [--show-deleted]\n";

// Objects the definition pane shows, by where the tree holds them: a node
// of their own, or a node under their table.
const std::set<std::string>& TypeNodeTypes() {
  static const std::set<std::string> kTypes = {"V ", "FN", "IF", "TF", "P ", "TR", "D "};
  return kTypes;
}
const char* TableNodeFor(const std::string& type) {
  if (type == "PK") return kNodePrimaryKey;
  if (type == "UQ") return kNodeUnique;
  if (type == "C ") return kNodeConstraint;
  if (type == "F ") return kNodeForeignKey;
  return nullptr;
}

std::string PadTypeCode(std::string code) {
  if (code.size() == 1) code.push_back(' ');
  return code;
}

std::vector<ObjectRow> Candidates(const CDatabaseCatalog& catalog, const std::string& name,
                                  const std::optional<std::string>& type) {
  std::vector<ObjectRow> found;
  for (const ObjectRow& object : catalog.objects) {
    if (object.name != name) continue;
    if (!TypeNodeTypes().count(object.type) && !TableNodeFor(object.type)) continue;
    if (type && object.type != *type) continue;
    found.push_back(object);
  }
  return found;
}

TreeItem TypeNodeOf(const CObjectTree::Nodes& nodes, const std::string& type) {
  if (type == "V ") return nodes.views;
  if (type == "P ") return nodes.storeProcedure;
  if (type == "TR") return nodes.triggers;
  if (type == "D ") return nodes.defaults;
  return nodes.function;
}

// The object's item, opening its table first for a constraint.
TreeItem ItemOf(ObjectTreeStage& stage, CDatabaseCatalog& catalog, const ObjectRow& object) {
  WindowPort& window = stage.tree.window();
  const CObjectTree::Nodes& nodes = stage.tree.nodes();
  if (TypeNodeTypes().count(object.type)) return FindChildItem(window, TypeNodeOf(nodes, object.type), object.name);
  const ObjectRow* table = catalog.FindObject(object.parentObjectId);
  if (!table) return kNoTreeItem;
  TreeItem tableItem = FindChildItem(window, nodes.userTables, table->name);
  if (tableItem == kNoTreeItem) tableItem = FindChildItem(window, nodes.systemTables, table->name);
  if (tableItem == kNoTreeItem) return kNoTreeItem;
  stage.tree.OpenTable(catalog, tableItem, stage.definitions.scanObjectValues);
  const TreeItem node = FindChildItem(window, tableItem, TableNodeFor(object.type));
  return node == kNoTreeItem ? kNoTreeItem : FindChildItem(window, node, object.name);
}

int RunDefinition(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {"advanced", "show-deleted"}, {"type"});
  if (!parsed.error.empty() || parsed.positional.size() != 2) {
    std::fprintf(stderr, "brinehold definition: %s\n%s",
                 parsed.error.empty() ? "expected FILE and NAME" : parsed.error.c_str(), kUsage);
    return 2;
  }
  const std::string& path = parsed.positional[0];
  const std::string& name = parsed.positional[1];
  std::optional<std::string> type;
  if (auto code = parsed.Value("type")) type = PadTypeCode(*code);

  auto opened = OpenCatalogForCommand(path, {parsed.Has("advanced"), parsed.Has("show-deleted")});
  if (!opened) return 1;
  CDatabaseCatalog& catalog = *opened->catalog;
  const std::vector<ObjectRow> candidates = Candidates(catalog, name, type);
  if (candidates.empty()) {
    std::fprintf(stderr, "brinehold definition: no view, procedure, function, trigger, default or constraint "
                         "named '%s'%s\n", name.c_str(), type ? (" of type '" + *type + "'").c_str() : "");
    return 1;
  }
  if (candidates.size() > 1 && !type) {
    std::fprintf(stderr, "brinehold definition: '%s' names %zu objects; choose one with --type CODE:\n",
                 name.c_str(), candidates.size());
    for (const ObjectRow& object : candidates)
      std::fprintf(stderr, "  %s\t%d\t%s\n", object.type.c_str(), object.objectId, object.name.c_str());
    return 1;
  }

  auto stage = BuildObjectTreeForCommand(*opened, path, "definition");
  if (!stage) return 1;
  const TreeItem item = ItemOf(*stage, catalog, candidates.front());
  if (item == kNoTreeItem) {
    std::fprintf(stderr, "brinehold definition: '%s' has no place in the object tree (its table is missing)\n",
                 name.c_str());
    return 1;
  }
  const std::string text = SelectionText(catalog, stage->tree, stage->definitions, item).value_or("");
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

CommandRegistration registration(
    {43, "definition", "definition FILE NAME [--type CODE] [--advanced] [--show-deleted]",
     "Prints what the definition pane shows for the view, procedure,\n"
     "function, trigger, default, check, key or foreign-key constraint NAME:\n"
     "the stored definition text exactly, line ends as stored and no line end\n"
     "added, or the statement built for a key or a check. A name that matches\n"
     "no such object, or several, gives exit 1 with the candidates and their\n"
     "type codes on stderr; --type CODE (\"V\", \"P\", \"FN\", \"PK\", ...) picks one.",
     RunDefinition});

}  // namespace

}  // namespace brinehold::cli
