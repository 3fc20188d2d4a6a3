// The user-table writer beyond what the sample needs: tables of many pages
// (written as heaps, IAM chains of several pages), large values over many
// text pages, nulls in every position and an empty table, read back with
// `brinehold rows` and the listing's page choice.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "values/table_page_source.h"
#include "writer/user_table_writer.h"

namespace brinehold {
namespace {

using test::Lines;

using writer::Cell;
using writer::TableColumn;
using writer::UserTableBlueprint;


std::string Body(int row) {
  std::string text;
  while (text.size() < 900) text += "row " + std::to_string(row) + " of the long table; ";
  return text;
}

UserTableBlueprint LongTable() {
  UserTableBlueprint blueprint;
  blueprint.table = {600, "Notes"};
  blueprint.pageOwner = 0x3000;
  blueprint.primaryKey = {1};
  blueprint.primaryKeyObjectId = 601;
  blueprint.primaryKeyName = "Notes_PK";
  blueprint.columns = {TableColumn{"Id", 56, 4, false}, TableColumn{"Body", 231, 4000, true}};
  for (int i = 1; i <= 200; ++i)
    blueprint.rows.push_back({Cell::Value(writer::Int32Bytes(i)), Cell::Value(writer::NVarCharBytes(Body(i)))});
  return blueprint;
}

UserTableBlueprint BlobTable(const Bytes& big) {
  UserTableBlueprint blueprint;
  blueprint.table = {700, "Blobs"};
  blueprint.pageOwner = 0x3010;
  blueprint.columns = {TableColumn{"Id", 56, 4, true}, TableColumn{"Note", 231, 100, true},
                  TableColumn{"Data", 165, -1, true}, TableColumn{"Stamp", 61, 8, true}};
  blueprint.rows = {
      {Cell::Value(writer::Int32Bytes(1)), Cell::Null(), Cell::Large(big),
       Cell::Value(writer::DateTimeBytes(2000, 2, 29, 23, 59, 59))},
      {Cell::Null(), Cell::Value(writer::NVarCharBytes("second")), Cell::Null(), Cell::Null()},
      {Cell::Value(writer::Int32Bytes(3))},  // the rest null
  };
  return blueprint;
}

class UserTableWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    for (size_t i = 0; i < 100000; ++i) big_.push_back(static_cast<uint8_t>((i * 7 + i / 251) & 0xFF));
    writer::CatalogFileBuilder builder;
    long_ = writer::AddUserTable(builder, LongTable());
    blobs_ = writer::AddUserTable(builder, BlobTable(big_));
    UserTableBlueprint empty;
    empty.table = {800, "Empty"};
    empty.pageOwner = 0x3020;
    empty.columns = {TableColumn{"Id", 56, 4, false}};
    writer::AddUserTable(builder, empty);
    path_ = dir_.Write("tables.mdf", builder.Build());
  }
  void TearDown() override { TheApp().ResetForTests(); }

  test::TempDir dir_;
  std::string path_;
  Bytes big_;
  writer::WrittenTable long_, blobs_;
};

TEST_F(UserTableWriterTest, TableOfManyPagesIsAHeapReadInOrderThroughAnIamChain) {
  // 200 rows of about 1.8 KB do not fit one page: a heap, with its key as
  // an index of its own.
  ASSERT_GT(long_.dataPages.size(), 8u);
  HeadlessWindow window;
  auto file = OpenDataFile(path_, false, &window);
  ASSERT_TRUE(file->IsValid());
  auto catalog = BuildCatalog(*file);
  LoadTableSchema(*catalog, "Notes", "U ", {});
  ASSERT_TRUE(catalog->tableSchema.found);
  EXPECT_EQ(catalog->tableSchema.currentRowset.indexId, 0);
  EXPECT_EQ(catalog->tableSchema.currentRowset.rowCount, 200);
  ASSERT_FALSE(catalog->tableSchema.columns.empty());
  EXPECT_TRUE(catalog->tableSchema.columns[0].primaryKeyColumn);
  std::vector<PageAddress> listed;
  PageSource source = ListTablePages(*catalog, [&](PageSource, const std::vector<PageAddress>& pages) {
    listed = pages;
    return !pages.empty();
  });
  EXPECT_EQ(source, PageSource::AllocationMaps);
  EXPECT_EQ(listed, long_.dataPages);

  test::CliResult rows = test::RunCli({"rows", path_, "Notes"});
  ASSERT_EQ(rows.exitCode, 0) << rows.err;
  const auto lines = Lines(rows.out);
  ASSERT_EQ(lines.size(), 201u);
  EXPECT_EQ(lines[0], "Id\tBody");
  for (int i = 1; i <= 200; ++i) EXPECT_EQ(lines[static_cast<size_t>(i)], std::to_string(i) + "\t" + Body(i));
}

TEST_F(UserTableWriterTest, LargeValueOverManyTextPagesAndNullsInEveryPosition) {
  ASSERT_GT(blobs_.textPages.size(), 10u);
  EXPECT_NE(blobs_.firstLobIamPage.pageNumber, 0);
  test::CliResult rows = test::RunCli({"rows", path_, "Blobs"});
  ASSERT_EQ(rows.exitCode, 0) << rows.err;
  const auto lines = Lines(rows.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Id\tNote\tData\tStamp");
  std::string hex = "0x";
  char buffer[3];
  for (uint8_t byte : big_) {
    std::snprintf(buffer, sizeof buffer, "%02X", byte);
    hex += buffer;
  }
  EXPECT_EQ(lines[1], "1\tNULL\t" + hex + "\t2000-02-29 23:59:59");
  EXPECT_EQ(lines[2], "NULL\tsecond\tNULL\tNULL");
  EXPECT_EQ(lines[3], "3\tNULL\tNULL\tNULL");
}

TEST_F(UserTableWriterTest, EmptyTableListsNoRows) {
  test::CliResult rows = test::RunCli({"rows", path_, "Empty"});
  ASSERT_EQ(rows.exitCode, 0) << rows.err;
  EXPECT_EQ(rows.out, "Id\n");
}

}  // namespace
}  // namespace brinehold
