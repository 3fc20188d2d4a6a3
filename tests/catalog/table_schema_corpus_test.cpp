// The table schema of every user table of every real file.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "storage/data_file.h"
#include "support/corpus.h"

namespace brinehold {
namespace {

TEST(TableSchemaCorpus, EveryUserTableLoadsWithNamedTypedColumns) {
  std::vector<std::string> files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  int tables = 0;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    TheApp().ResetForTests();
    std::unique_ptr<CDataFile> file = OpenDataFile(path, false, nullptr);
    ASSERT_TRUE(file->IsValid());
    std::unique_ptr<CDatabaseCatalog> catalog = BuildCatalog(*file);
    std::vector<std::string> names;
    for (const ObjectRow& object : catalog->objects)
      if (object.type == "U ") names.push_back(object.name);
    for (const std::string& name : names) {
      SCOPED_TRACE(name);
      ++tables;
      std::vector<ColumnInfo> columns = LoadTableSchema(*catalog, name, "U ", {});
      const TableSchema& schema = catalog->tableSchema;
      EXPECT_TRUE(schema.found);
      EXPECT_EQ(schema.currentObject.name, name);
      ASSERT_FALSE(columns.empty());
      int32_t previous = -1;
      for (const ColumnInfo& column : columns) {
        // SQL Server 2005 files: a physical column without a catalog column
        // (the uniquifier of a non-unique clustered index) comes last, as a
        // column without stored value.
        if (column.hobtColumnId == ColumnInfo::kNoStoredValue && column.name.empty()) {
          EXPECT_EQ(column.stored, 0);
          EXPECT_FALSE(schema.hobtColumns2005.empty());
          previous = INT32_MAX;
          continue;
        }
        EXPECT_GT(column.columnId, previous) << column.name;
        previous = column.columnId;
        EXPECT_FALSE(column.name.empty());
        // A known type name before the length.
        EXPECT_GT(column.typeText.find('('), 0u) << column.name << " " << column.typeText;
      }
      EXPECT_NE(columns[schema.firstStoredColumn].hobtColumnId, ColumnInfo::kNoStoredValue);
      const std::vector<PageAddress> list = schema.tablePages.ToVector();
      std::set<PageAddress> pages(list.begin(), list.end());
      EXPECT_EQ(pages.size(), list.size());
    }
  }
  TheApp().ResetForTests();
  EXPECT_GT(tables, 0);
}

}  // namespace
}  // namespace brinehold
