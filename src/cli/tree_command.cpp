// brinehold tree FILE [--open TABLE]... [--advanced] [--show-deleted]
#include <cstdio>

#include "catalog/database_catalog.h"
#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/table_name.h"

namespace brinehold::cli {

namespace {

constexpr const char* kUsage = "usage: brinehold tree FILE [--open TABLE]... [--advanced] [--show-deleted]\n";

int RunTree(const std::vector<std::string>& args) {
  // --open may be given several times; the shared parser keeps one value.
  std::vector<std::string> rest;
  std::vector<std::string> open;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--open") {
      rest.push_back(args[i]);
    } else if (i + 1 < args.size()) {
      open.push_back(args[++i]);
    } else {
      std::fprintf(stderr, "brinehold tree: --open needs a table name\n%s", kUsage);
      return 2;
    }
  }
  ParsedArgs parsed = ParseArgs(rest, {"advanced", "show-deleted"}, {});
  if (!parsed.error.empty() || parsed.positional.size() != 1) {
    std::fprintf(stderr, "brinehold tree: %s\n%s", parsed.error.empty() ? "expected one FILE" : parsed.error.c_str(),
                 kUsage);
    return 2;
  }
  const std::string& path = parsed.positional[0];
  auto opened = OpenCatalogForCommand(path, {parsed.Has("advanced"), parsed.Has("show-deleted")});
  if (!opened) return 1;
  auto stage = BuildObjectTreeForCommand(*opened, path, "tree");
  if (!stage) return 1;

  HeadlessWindow& window = *opened->window;
  const CObjectTree::Nodes& nodes = stage->tree.nodes();
  int status = 0;
  for (const std::string& name : open) {
    // Tree items carry the plain table name: `dbo.Orders` and `[Orders]`
    // open the item "Orders".
    const std::optional<TableName> written = ParseTableName(name);
    const std::string itemName = written ? written->name : name;
    TreeItem item = stage->tree.FindChild(nodes.userTables, itemName);
    if (item == kNoTreeItem) item = stage->tree.FindChild(nodes.systemTables, itemName);
    if (item == kNoTreeItem) {
      std::fprintf(stderr, "brinehold tree: no table named '%s' in the tree\n", name.c_str());
      status = 1;
      continue;
    }
    stage->tree.OpenTable(*opened->catalog, item, stage->definitions.scanObjectValues);
  }
  const std::string text = window.PrintTree(TreeId::Object);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return status;
}

CommandRegistration registration(
    {42, "tree", "tree FILE [--open TABLE]... [--advanced] [--show-deleted]",
     "Opens the data file, rebuilds its catalog and prints the object tree as\n"
     "the scan leaves it: one item a line, two blanks of indent per level,\n"
     "bold items (tables with columns and data pages) marked with a leading\n"
     "'*'. Each --open TABLE opens that table as its first selection does,\n"
     "adding its key, constraint and column items. Exit 1 when the file does\n"
     "not open, the catalog is empty or a table to open is not in the tree.",
     RunTree});

}  // namespace

}  // namespace brinehold::cli
