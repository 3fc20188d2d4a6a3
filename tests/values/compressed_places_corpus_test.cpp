// Where a compressed row's columns stand. A compressed row lists its
// columns in the rowset's physical order, the order a plain row's null
// bitmap follows; in real files that order is the hobt column ordinal,
// which puts a clustered key and its uniquifier first. These tests check
// that fact on every table of the real files of the rowset-column layout,
// and that the places handed to the rebuild follow it.
#include <gtest/gtest.h>

#include <string>

#include "catalog/table_schema.h"
#include "support/corpus.h"
#include "values/compressed_columns.h"

namespace brinehold {
namespace {

TEST(CompressedPlacesCorpusTest, PhysicalOrderIsTheHobtOrdinalAndPlacesFollowIt) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  int tables = 0;
  int reordered = 0;
  test::ForEachCorpusTable([&](const std::string&, CDataFile&, CDatabaseCatalog& catalog, const ObjectRow&) {
    const TableSchema& schema = catalog.tableSchema;
    if (!schema.found || schema.rowsetColumns.empty()) return;
    ++tables;
    const std::vector<int32_t> places = CompressedPlacesFor(schema.columns);
    ASSERT_EQ(places.size(), schema.columns.size());
    bool columnOrder = true;
    for (size_t i = 0; i < schema.columns.size(); ++i) {
      const ColumnInfo& column = schema.columns[i];
      if (column.hobtColumnId == ColumnInfo::kNoStoredValue) {
        EXPECT_EQ(places[i], -1);
        continue;
      }
      // The null bitmap position (low 16 bits) is the hobt ordinal.
      EXPECT_EQ(column.nullBit & 0xFFFF, column.hobtColumnId) << column.name;
      EXPECT_EQ(places[i], column.hobtColumnId - 1) << column.name;
      if (column.hobtColumnId != column.columnId) columnOrder = false;
    }
    if (!columnOrder) ++reordered;
  });
  EXPECT_GT(tables, 150);
  // Tables clustered on a key that is not their first column are common;
  // placing compressed columns in column order would misread all of them.
  EXPECT_GT(reordered, 10);
}

}  // namespace
}  // namespace brinehold
