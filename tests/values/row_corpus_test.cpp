// Every user table of every real data file, listed through its allocation
// maps (or page chain) and rendered: the number of rows equals the row
// count the catalog keeps for the table (sysrowsets; sysindexes on SQL
// Server 2000).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "scan/session/app_state.h"
#include "storage/data_file.h"
#include "support/corpus.h"
#include "values/page_rows.h"
#include "values/table_page_source.h"

namespace brinehold {
namespace {

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// Object id -> rows of its heap or clustered index, as the catalog counts them.
std::map<int32_t, int64_t> CatalogRowCounts(CDatabaseCatalog& catalog) {
  std::map<int32_t, int64_t> counts;
  if (!TheApp().settings.legacyCatalog) {
    for (const RowsetRow& rowset : catalog.rowsets)
      if (rowset.indexId == 0 || rowset.indexId == 1) counts[rowset.objectId] += rowset.rowCount;
    return counts;
  }
  // sysindexes: id at 0, indid at 14, rowcnt at 40 of the fixed part.
  catalog.reader->ReadSystemTable(kSysIndexesLegacy, true, [&](const CatalogRecord& record, const PageEntry&) {
    ByteReader fixed = record.Fixed();
    auto id = fixed.I32(0);
    auto indexId = fixed.I16(14);
    auto rows = fixed.I64(40);
    if (id && indexId && rows && (*indexId == 0 || *indexId == 1)) counts[*id] += *rows;
  });
  return counts;
}

int64_t CountTableRows(CDatabaseCatalog& catalog, const CDataFile& file) {
  const TableSchema& schema = catalog.tableSchema;
  RowDecodingContext context = BuildRowDecodingContext(schema.columns);
  int64_t count = 0;
  ListTablePages(catalog, [&](PageSource, const std::vector<PageAddress>& pages) {
    int64_t before = count;
    for (const PageAddress& address : pages) count += static_cast<int64_t>(GetPageRows(file, address, schema, context).size());
    return count > before;
  });
  return count;
}

TEST(RowCorpusTest, EveryUserTableRendersTheCatalogRowCount) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& path : files) {
    SCOPED_TRACE(BaseName(path));
    TheApp().ResetForTests();
    auto file = OpenDataFile(path, false, nullptr);
    ASSERT_TRUE(file->IsValid());
    auto catalog = BuildCatalog(*file);
    std::map<int32_t, int64_t> expected = CatalogRowCounts(*catalog);
    const std::vector<ObjectRow> objects = catalog->objects;
    int tables = 0;
    for (const ObjectRow& object : objects) {
      if (object.type != "U ") continue;
      LoadTableSchema(*catalog, object.name, "U ", {});
      if (!catalog->tableSchema.found || catalog->tableSchema.currentObject.objectId != object.objectId) continue;
      ++tables;
      ASSERT_TRUE(expected.count(object.objectId)) << object.name;
      EXPECT_EQ(CountTableRows(*catalog, *file), expected[object.objectId]) << object.name;
    }
    EXPECT_GT(tables, 0);
  }
}

}  // namespace
}  // namespace brinehold
