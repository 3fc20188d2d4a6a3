// Pages inside a table's extents that are not the table's live pages, read
// back through `brinehold rows`: pages an earlier owner left behind are
// never read with the table's columns; pages the table freed give their
// rows only as deleted rows (Advanced mode reads them all); a damaged PFS
// page leaves the header check alone in charge and loses no row.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/user_table_writer.h"

namespace brinehold {
namespace {

using writer::Cell;
using writer::LeftoverPage;

constexpr int32_t kTableOwner = 0x4000;
constexpr int32_t kEarlierOwner = 0x3F00;

std::vector<Cell> Row(int32_t id, const std::string& name) {
  return {Cell::Value(writer::Int32Bytes(id)), Cell::Value(writer::NVarCharBytes(name))};
}

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

struct Case {
  const char* name;
  bool earlierOwnersPages;
  bool freedPage;
  bool damagedPfs;
};

// Six live rows on the extent's first page; then, as the case asks, two
// pages an earlier owner left (three rows each) and a page the table freed
// (two rows), all of them marked unallocated in the PFS.
Bytes BuildFile(const Case& c) {
  writer::CatalogFileBuilder builder;
  writer::UserTableBlueprint table;
  table.table = {500, "Orders"};
  table.pageOwner = kTableOwner;
  table.columns = {writer::TableColumn{"Id", 56, 4, false}, writer::TableColumn{"Name", 231, 100, true}};
  for (int32_t id = 1; id <= 6; ++id) table.rows.push_back(Row(id, "order " + std::to_string(id)));
  table.uniformExtent = true;
  if (c.earlierOwnersPages) {
    for (int page = 0; page < 2; ++page)
      table.leftovers.push_back(LeftoverPage{kEarlierOwner, {Row(900, "stale"), Row(901, "stale"), Row(902, "stale")}});
  }
  if (c.freedPage) table.leftovers.push_back(LeftoverPage{kTableOwner, {Row(7, "lost 7"), Row(8, "lost 8")}});
  writer::AddUserTable(builder, table);
  Bytes image = builder.Build();
  if (c.damagedPfs) image[8192 + 1] = 0;  // page 1 is no PFS page any more
  return image;
}

TEST(StalePagesCliTest, RowsComeFromTheTablesOwnLivePagesOnly) {
  const Case cases[] = {
      {"pages of an earlier owner", true, false, false},
      {"a page the table freed", false, true, false},
      {"both, PFS page damaged", true, true, true},
  };
  std::vector<std::string> live = {"Id\tName"};
  for (int id = 1; id <= 6; ++id) live.push_back(std::to_string(id) + "\torder " + std::to_string(id));
  test::TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.Write("orders.mdf", BuildFile(c));
    for (const bool advanced : {false, true}) {
      for (const bool showDeleted : {false, true}) {
        SCOPED_TRACE(std::string(c.name) + (advanced ? ", advanced" : "") + (showDeleted ? ", deleted shown" : ""));
        std::vector<std::string> args = {"rows", path, "Orders"};
        if (advanced) args.push_back("--advanced");
        if (showDeleted) args.push_back("--show-deleted");
        const test::CliResult result = test::RunCli(args);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        std::vector<std::string> expected = live;
        // Without a usable PFS the freed page looks live: its rows stay.
        // Advanced mode reads every page filed under the table's owner.
        if (c.freedPage && (showDeleted || c.damagedPfs || advanced)) {
          expected.push_back("7\tlost 7");
          expected.push_back("8\tlost 8");
        }
        std::sort(expected.begin(), expected.end());
        std::vector<std::string> lines = SortedLines(result.out);
        if (showDeleted) {  // less the leading "deleted" column
          for (std::string& line : lines) line.erase(0, line.find('\t') + 1);
          std::sort(lines.begin(), lines.end());
        }
        EXPECT_EQ(lines, expected);
      }
    }
  }
}

}  // namespace
}  // namespace brinehold
