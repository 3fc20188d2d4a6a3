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

// Objects that have an item of their own in the object tree, under their
// type's node or under their table once it is opened.
bool ShownInTree(const std::string& type) {
  static const std::set<std::string> kTypes = {"V ", "FN", "IF", "TF", "P ", "TR", "D ", "PK", "UQ", "C ", "F "};
  return kTypes.count(type) > 0;
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
    if (!ShownInTree(object.type)) continue;
    if (type && object.type != *type) continue;
    found.push_back(object);
  }
  return found;
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
  const TreeItem item =
      stage->tree.FindObjectItem(catalog, candidates.front(), stage->definitions.scanObjectValues);
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
