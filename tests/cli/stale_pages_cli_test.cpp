// Pages inside a table's extents that are not the table's live pages, read
// back through `brinehold rows`: pages an earlier owner left behind are
// never read with the table's columns; pages the table freed give their
// rows only as deleted rows, marked "freed" (the allocation maps and the
// page inventory alike); a damaged PFS page leaves the header check alone
// in charge and loses no row.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
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
  test::TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.Write("orders.mdf", BuildFile(c));
    for (const bool advanced : {false, true}) {
      for (const bool showDeleted : {false, true}) {
        for (const std::string command : {"rows", "list"}) {
          SCOPED_TRACE(command + " " + c.name + (advanced ? ", advanced" : "") + (showDeleted ? ", deleted shown" : ""));
          std::vector<std::string> args = {command, path, "Orders"};
          if (advanced) args.push_back("--advanced");
          if (showDeleted) args.push_back("--show-deleted");
          const test::CliResult result = test::RunCli(args);
          ASSERT_EQ(result.exitCode, 0) << result.err;
          // With deleted rows shown, a first column marks them.
          const std::string live = showDeleted ? "\t" : "";
          std::vector<std::string> expected = {showDeleted ? "deleted\tId\tName" : "Id\tName"};
          for (int id = 1; id <= 6; ++id) expected.push_back(live + std::to_string(id) + "\torder " + std::to_string(id));
          // The freed page's rows are deleted rows; without a usable PFS it
          // looks live, and its rows stay.
          const std::string freed = c.damagedPfs ? live : "freed\t";
          if (c.freedPage && (showDeleted || c.damagedPfs)) {
            expected.push_back(freed + "7\tlost 7");
            expected.push_back(freed + "8\tlost 8");
          }
          std::sort(expected.begin(), expected.end());
          // `list` first prints the page caption.
          const std::string out = command == "list" ? result.out.substr(result.out.find('\n') + 1) : result.out;
          EXPECT_EQ(SortedLines(out), expected);
        }
      }
    }
  }
}

// The export marks them the same way.
TEST(StalePagesCliTest, ExportMarksTheRowsOfFreedPages) {
  test::TempDir dir;
  const std::string path = dir.Write("orders.mdf", BuildFile({"a page the table freed", false, true, false}));
  const std::string out = dir.Path("export");
  const test::CliResult result = test::RunCli({"export", path, "--to", out, "--tables", "--show-deleted"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::ifstream csv(out + "/Orders.csv");
  std::stringstream text;
  text << csv.rdbuf();
  std::vector<std::string> lines = SortedLines(text.str());
  for (std::string& line : lines)
    if (!line.empty() && line.back() == '\r') line.pop_back();
  EXPECT_EQ(lines.front(), ",1,order 1");
  EXPECT_EQ(lines.back(), "freed,8,lost 8");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "deleted,Id,Name"), lines.end());
}

}  // namespace
}  // namespace brinehold
