#include "support/user_tables.h"

#include <set>
#include <vector>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"

namespace brinehold::test {

bool ForEachUserTable(const std::string& path, const UserTableVisitor& visit) {
  TheApp().ResetForTests();
  HeadlessWindow window;
  auto file = OpenDataFile(path, false, &window);
  if (!file || !file->IsValid()) return false;
  auto catalog = BuildCatalog(*file);
  const std::vector<ObjectRow> objects = catalog->objects;
  std::set<std::string> visited;
  for (const ObjectRow& object : objects) {
    if (object.type != "U " || !visited.insert(object.name).second) continue;
    LoadTableSchema(*catalog, object.name, "U ", {});
    if (!catalog->tableSchema.found) continue;
    TheApp().tableLoadActive = false;
    visit(object.name, *file, *catalog);
  }
  TheApp().ResetForTests();
  return true;
}

}  // namespace brinehold::test
