#include "support/corpus.h"

#include <gtest/gtest.h>

#include "catalog/table_schema.h"
#include "platform/read_only_file.h"
#include "session/app_state.h"

namespace brinehold::test {

std::string CorpusDir() { return BRINEHOLD_CORPUS_DIR; }

std::vector<std::string> CorpusDataFiles() {
  std::vector<std::string> files = ListFilesWithExtension(CorpusDir(), ".mdf");
  for (std::string& ndf : ListFilesWithExtension(CorpusDir(), ".ndf")) files.push_back(std::move(ndf));
  return files;
}

void ForEachCorpusCatalog(
    const std::function<void(const std::string& path, CDataFile& file, CDatabaseCatalog& catalog)>& visit) {
  for (const std::string& path : CorpusDataFiles()) {
    SCOPED_TRACE(path.substr(path.find_last_of('/') + 1));
    TheApp().ResetForTests();
    auto file = OpenDataFile(path, false, nullptr);
    if (!file || !file->IsValid()) {
      ADD_FAILURE() << "does not open";
      continue;
    }
    auto catalog = BuildCatalog(*file);
    visit(path, *file, *catalog);
  }
}

void ForEachCorpusTable(const std::function<void(const std::string& path, CDataFile& file,
                                                 CDatabaseCatalog& catalog, const ObjectRow& table)>& visit) {
  ForEachCorpusCatalog([&](const std::string& path, CDataFile& file, CDatabaseCatalog& catalog) {
    // A copy: loading a schema may add to the catalog's lists.
    const std::vector<ObjectRow> objects = catalog.objects;
    for (const ObjectRow& object : objects) {
      if (object.type != "U ") continue;
      SCOPED_TRACE(object.name);
      LoadTableSchema(catalog, object.name, "U ", {});
      visit(path, file, catalog, object);
    }
  });
}

}  // namespace brinehold::test
