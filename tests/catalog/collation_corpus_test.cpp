// The shipped collation table against the collation ids real files store in
// their column rows: every 8-bit text column (char, varchar, text) must find
// its code page there, or its values would be read in the wrong one.
#include <gtest/gtest.h>

#include <set>

#include "catalog/database_catalog.h"
#include "session/app_state.h"
#include "session/collation_table.h"
#include "storage/data_file.h"
#include "support/corpus.h"

namespace brinehold {
namespace {

bool IsEightBitText(uint8_t systemTypeId) {
  return systemTypeId == 35 || systemTypeId == 167 || systemTypeId == 175;
}

TEST(CollationCorpusTest, EveryEightBitTextColumnHasAKnownCollation) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  CollationTable saved = TheApp().collations;
  ASSERT_GT(LoadCollationTable(std::string(BRINEHOLD_SOURCE_DIR) + "/data/collation.txt"), 0u);
  const CollationTable& table = TheApp().collations;

  size_t checked = 0;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    TheApp().ResetForTests();
    auto file = OpenDataFile(path, false, nullptr);
    ASSERT_TRUE(file->IsValid());
    auto catalog = BuildCatalog(*file);
    std::set<int64_t> missing;
    for (const ColumnRow& column : catalog->columns) {
      if (!IsEightBitText(column.systemTypeId) || column.collationId == 0 || column.collationId == -1) continue;
      ++checked;
      if (!FindCollation(table, column.collationId)) missing.insert(column.collationId);
    }
    for (const LegacyColumnRow& column : catalog->legacyColumns) {
      if (!IsEightBitText(column.systemTypeId) || column.collationId == 0 || column.collationId == -1) continue;
      ++checked;
      if (!FindCollation(table, column.collationId)) missing.insert(column.collationId);
    }
    for (int64_t id : missing) ADD_FAILURE() << "collation id " << id << " is not in collation.txt";
  }
  EXPECT_GT(checked, 0u);
  TheApp().ResetForTests();
  TheApp().collations = saved;
}

}  // namespace
}  // namespace brinehold
