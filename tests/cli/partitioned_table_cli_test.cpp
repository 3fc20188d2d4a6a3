// A partitioned table through the commands that list rows: four
// partitions, each with its own rowset, allocation unit, pages and
// allocation map. Every mode lists every row of every partition, in
// partition order.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/user_table_writer.h"

namespace brinehold {
namespace {

using writer::Cell;
using writer::DeleteStyle;
using writer::TableColumn;

std::vector<std::string> BodyLines(const std::string& out) {
  std::vector<std::string> lines = test::Lines(out);
  if (!lines.empty()) lines.erase(lines.begin());
  return lines;
}

struct Readings {
  std::string path;
  std::vector<std::string> live;     // in partition order
  std::multiset<std::string> ghost;  // "ghost\t..." lines
  std::multiset<std::string> carved;
};

std::string RowText(int id) {
  return std::to_string(id) + "\tsite " + std::to_string(id % 7) + "\t" + std::to_string(int64_t{id} * 1000003);
}

// Written (and entered into the catalog) in this order, listed by
// partition number: 400 rows over several pages; 30 rows, some deleted;
// an empty partition; 50 compressed rows, one a ghost, whose rowset is the
// last of the catalog. Row ids count in the order written.
Readings BuildReadings(const test::TempDir& dir) {
  struct Part {
    int32_t number;
    int rows;
    bool compressed;
  };
  const Part parts[] = {{2, 30, false}, {1, 400, false}, {3, 0, false}, {4, 50, true}};
  writer::UserTableBlueprint table;
  table.table = {900, "Readings"};
  table.columns = {TableColumn{"Id", 56, 4, false}, TableColumn{"Site", 231, 40, true},
                   TableColumn{"Amount", 127, 8, false}};
  std::vector<std::vector<size_t>> byNumber(5);
  for (const Part& part : parts) {
    writer::PartitionBlueprint partition;
    partition.pageOwner = 0x5000 + 0x10 * part.number;
    partition.number = part.number;
    partition.rowCompressed = part.compressed;
    for (int i = 0; i < part.rows; ++i) {
      const int id = static_cast<int>(table.rows.size()) + 1;
      partition.rows.push_back(table.rows.size());
      byNumber[static_cast<size_t>(part.number)].push_back(table.rows.size());
      table.rows.push_back({Cell::Value(writer::Int32Bytes(id)),
                            Cell::Value(writer::NVarCharBytes("site " + std::to_string(id % 7))),
                            Cell::Value(writer::Int64Bytes(int64_t{id} * 1000003))});
    }
    table.partitions.push_back(partition);
  }
  table.deleted = {{0, DeleteStyle::Ghost}, {4, DeleteStyle::Ghost}, {9, DeleteStyle::Compacted},
                   {450, DeleteStyle::Ghost}};

  Readings made;
  for (const std::vector<size_t>& rows : byNumber) {
    for (size_t r : rows) {
      const std::string text = RowText(static_cast<int>(r) + 1);
      auto gone = std::find_if(table.deleted.begin(), table.deleted.end(),
                               [r](const writer::DeletedRow& row) { return row.row == r; });
      if (gone == table.deleted.end()) made.live.push_back(text);
      else if (gone->style == DeleteStyle::Ghost) made.ghost.insert("ghost\t" + text);
      else made.carved.insert("carved\t" + text);
    }
  }
  writer::CatalogFileBuilder builder;
  writer::AddUserTable(builder, table);
  made.path = dir.Write("readings.mdf", builder.Build());
  return made;
}

TEST(PartitionedTableCli, EveryModeListsEveryPartitionInOrder) {
  test::TempDir dir;
  const Readings table = BuildReadings(dir);
  std::vector<std::string> marked;
  for (const std::string& row : table.live) marked.push_back("\t" + row);
  std::multiset<std::string> withGhosts(marked.begin(), marked.end());
  withGhosts.insert(table.ghost.begin(), table.ghost.end());
  std::multiset<std::string> withCarved = withGhosts;
  withCarved.insert(table.carved.begin(), table.carved.end());

  struct Mode {
    std::vector<std::string> flags;
    std::multiset<std::string> rows;
    bool inOrder = false;  // live rows only: their order is the partitions'
  };
  const std::multiset<std::string> live(table.live.begin(), table.live.end());
  const Mode modes[] = {
      {{}, live, true},
      {{"--advanced"}, live, true},
      {{"--show-deleted"}, withGhosts},
      {{"--advanced", "--show-deleted"}, withGhosts},
      {{"--show-deleted", "--advanced-deleted"}, withCarved},
  };
  for (const Mode& mode : modes) {
    std::vector<std::string> args = {"rows", table.path, "Readings"};
    args.insert(args.end(), mode.flags.begin(), mode.flags.end());
    SCOPED_TRACE(args.size() > 3 ? args[3] + (args.size() > 4 ? " " + args[4] : "") : "plain");
    auto result = test::RunCli(args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> lines = BodyLines(result.out);
    EXPECT_EQ(std::multiset<std::string>(lines.begin(), lines.end()), mode.rows);
    if (mode.inOrder) {
      EXPECT_EQ(lines, table.live) << "rows out of partition order";
    }
  }
}

TEST(PartitionedTableCli, ListAndExportCountEveryPartition) {
  test::TempDir dir;
  const Readings table = BuildReadings(dir);
  auto list = test::RunCli({"list", table.path, "Readings", "--page", "1"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  const std::string count = std::to_string(table.live.size());
  EXPECT_NE(list.out.find("Page1 - [" + count + "](1-" + count + ") Records"), std::string::npos) << list.out;

  // Rows written and rows the catalog counts, over all partitions.
  auto exported = test::RunCli({"export", table.path, "--to", dir.Path("out"), "--tables"});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  const std::vector<uint8_t> bytes = test::ReadWholeFile(dir.Path("out/summary.txt"));
  const std::string summary(bytes.begin(), bytes.end());
  EXPECT_NE(summary.find("Readings\t" + count + "\t" + count + "\t"), std::string::npos) << summary;
}

}  // namespace
}  // namespace brinehold
