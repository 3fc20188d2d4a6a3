// brinehold objects FILE [--advanced] [--show-deleted]
// brinehold objects --snapshot SNAP [--mdf FILE] [--advanced]
#include <cstdio>

#include "catalog/database_catalog.h"
#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/options.h"

namespace brinehold::cli {

namespace {

int RunObjects(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {"advanced", "show-deleted"}, {"snapshot", "mdf"});
  DataSource source;
  std::string problem = parsed.error.empty() ? TakeDataSource(parsed, 0, source) : parsed.error;
  if (problem.empty() && (!parsed.positional.empty() || (source.file.empty() && source.snapshot.empty())))
    problem = "expected one FILE";
  if (!problem.empty()) {
    std::fprintf(stderr,
                 "brinehold objects: %s\nusage: brinehold objects FILE [--advanced] [--show-deleted]\n"
                 "       brinehold objects --snapshot SNAP [--mdf FILE] [--advanced]\n",
                 problem.c_str());
    return 2;
  }
  auto opened = OpenCatalogForCommand(source, {parsed.Has("advanced"), parsed.Has("show-deleted")});
  if (!opened) return 1;
  const CDatabaseCatalog* catalog = opened->catalog.get();
  std::printf("id\ttype\tparent\tname\n");
  for (const ObjectRow& row : catalog->objects)
    std::printf("%d\t%s\t%d\t%s\n", row.objectId, row.type.c_str(), row.parentObjectId, row.name.c_str());
  return 0;
}

CommandRegistration registration({30, "objects", "objects FILE|--snapshot SNAP [--mdf FILE] [--advanced] [--show-deleted]",
                                  "Opens the data file, rebuilds its system catalog and prints one line\n"
                                  "per row of the object list, in catalog order, as tab-separated\n"
                                  "columns: id, type (two characters, a trailing blank kept), parent\n"
                                  "object id and name. Exit 1 when the file does not open.\n"
                                  "  --snapshot SNAP  in place of FILE: the data file SNAP names, with\n"
                                  "                   the page inventory and options saved in SNAP\n"
                                  "  --mdf FILE       with --snapshot: the data file has moved to FILE",
                                  RunObjects});

}  // namespace

}  // namespace brinehold::cli
