// Deleted rows through `brinehold rows`: rows deleted the ways the server
// leaves them (a ghost its slot still names, a ghost whose slot was zeroed,
// a ghost left behind when the page was compacted), on plain and on
// page-compressed pages, next to look-alike bytes and overlapping remnants;
// and on the real files, the rows the creation script deleted.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/compression_builder.h"
#include "writer/record_builder.h"
#include "writer/user_table_writer.h"

namespace brinehold {
namespace {

using test::Lines;

using writer::Cell;
using writer::DeleteStyle;
using writer::TableColumn;


std::multiset<std::string> Body(const std::string& out) {
  auto lines = Lines(out);
  return std::multiset<std::string>(lines.begin() + (lines.empty() ? 0 : 1), lines.end());
}

// Orders: rows 1..8; row 2 a ghost its slot names, row 4 a ghost whose slot
// was zeroed, rows 6 and 8 left behind by a compaction. The page's free
// space then gets look-alike bytes and a remnant overwritten by a newer row.
Bytes OrderRecord(int32_t id, const std::string& name, int32_t qty) {
  Bytes fixed = writer::Int32Bytes(id);
  Bytes more = writer::Int32Bytes(qty);
  fixed.insert(fixed.end(), more.begin(), more.end());
  return writer::RecordBuilder().SetType(6).SetFixed(fixed).SetColumnCount(3).AddVariable(writer::NVarCharBytes(name)).Build();
}

std::string BuildOrders(const test::TempDir& dir) {
  writer::UserTableBlueprint table;
  table.table = {800, "Orders"};
  table.pageOwner = 0x4000;
  table.columns = {TableColumn{"Id", 56, 4, false}, TableColumn{"Qty", 56, 4, false},
                   TableColumn{"Name", 231, 40, true}};
  for (int i = 1; i <= 8; ++i)
    table.rows.push_back({Cell::Value(writer::Int32Bytes(i)), Cell::Value(writer::Int32Bytes(i * 10)),
                          Cell::Value(writer::NVarCharBytes("order " + std::to_string(i)))});
  table.deleted = {{1, DeleteStyle::Ghost}, {3, DeleteStyle::SlotZeroed}, {5, DeleteStyle::Compacted},
                   {7, DeleteStyle::Compacted}};
  writer::CatalogFileBuilder builder;
  const writer::WrittenTable written = writer::AddUserTable(builder, table);
  Bytes file = builder.Build();
  uint8_t* page = file.data() + static_cast<size_t>(written.dataPages.at(0).pageNumber) * kPageSize;

  // After the compacted rows: an older row whose tail a newer row overwrote,
  // then bytes that begin like rows of this table but are none.
  size_t at = 3000;
  const Bytes older = OrderRecord(90, "older remnant", 900);
  const Bytes newer = OrderRecord(91, "newer row", 910);
  std::copy(older.begin(), older.end(), page + at);
  std::copy(newer.begin(), newer.end(), page + at + 12);
  uint64_t noise = 12345;
  for (at = 3200; at < 5000; at += 23) {
    const uint8_t start[] = {0x30, 0x00, 0x0C, 0x00};
    std::copy(start, start + 4, page + at);
    for (size_t i = 4; i < 23; ++i) {
      noise = noise * 6364136223846793005ull + 1442695040888963407ull;
      page[at + i] = static_cast<uint8_t>(noise >> 56);
    }
    page[at + 12] = 3;  // even the column count agrees
    page[at + 13] = 0;
  }
  Bytes sealed(page, page + kPageSize);
  writer::SealPage(sealed);
  std::copy(sealed.begin(), sealed.end(), page);
  return dir.Write("orders.mdf", file);
}

TEST(DeletedRowsCli, DeletedRowsAreMarkedByHowTheyWereLeft) {
  test::TempDir dir;
  const std::string path = BuildOrders(dir);
  const std::multiset<std::string> live = {"1\t10\torder 1", "3\t30\torder 3", "5\t50\torder 5", "7\t70\torder 7"};
  struct Mode {
    std::vector<std::string> flags;
    std::string header;
    std::multiset<std::string> rows;
  };
  std::multiset<std::string> marked;
  for (const std::string& row : live) marked.insert("\t" + row);
  std::multiset<std::string> withGhost = marked;
  withGhost.insert("ghost\t2\t20\torder 2");
  std::multiset<std::string> withCarved = withGhost;
  for (const char* row : {"carved\t4\t40\torder 4", "carved\t6\t60\torder 6", "carved\t8\t80\torder 8",
                          "carved\t91\t910\tnewer row"})
    withCarved.insert(row);
  const Mode modes[] = {
      {{}, "Id\tQty\tName", live},
      {{"--show-deleted"}, "deleted\tId\tQty\tName", withGhost},
      {{"--show-deleted", "--advanced-deleted"}, "deleted\tId\tQty\tName", withCarved},
  };
  for (const Mode& mode : modes) {
    std::vector<std::string> args = {"rows", path, "Orders"};
    args.insert(args.end(), mode.flags.begin(), mode.flags.end());
    auto result = test::RunCli(args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Lines(result.out).at(0), mode.header);
    EXPECT_EQ(Body(result.out), mode.rows) << result.out;
  }
}

TEST(DeletedRowsCli, CarvedCompressedRowsTakeTheirPagesAnchorAndDictionary) {
  using writer::CompressedRowBuilder;
  using writer::CompressedValue;
  using writer::StoredValue;
  auto column = [](int32_t id, const std::string& name, uint8_t type, int16_t length) {
    writer::ColumnBlueprint made;
    made.objectId = 510;
    made.columnId = id;
    made.name = name;
    made.systemTypeId = type;
    made.maxLength = length;
    return made;
  };
  auto text = [](const std::string& value) { return Bytes(value.begin(), value.end()); };
  writer::CompressedTableBlueprint table;
  table.table = {510, "Cities"};
  table.columns = {column(1, "Id", 56, 4), column(2, "Name", 167, 40)};
  writer::CompressedTableBlueprint::Page page;
  writer::CompressionInfoLayout info;
  info.anchorRecord = CompressedRowBuilder().Add(CompressedValue::Null()).Add(StoredValue(text("Port "))).Build();
  info.dictionary = {text("Lisbon")};
  page.info = info;
  auto row = [&](int64_t id, CompressedValue name) {
    return CompressedRowBuilder().Add(StoredValue(writer::CompressedInteger(id))).Add(std::move(name)).Build();
  };
  page.rows = {row(1, CompressedValue::Symbol(0)), row(2, StoredValue(writer::PrefixValue(5, text("Elizabeth")))),
               row(3, StoredValue(writer::PrefixValue(5, text("Louis")))), row(4, CompressedValue::Symbol(0))};
  page.deleted = {std::nullopt, DeleteStyle::SlotZeroed, std::nullopt, DeleteStyle::Compacted};
  table.pages = {page};
  writer::CatalogFileBuilder builder;
  writer::AddCompressedTable(builder, table);
  test::TempDir dir;
  const std::string path = dir.Write("cities.mdf", builder.Build());

  auto result = test::RunCli({"rows", path, "Cities", "--show-deleted", "--advanced-deleted"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Body(result.out), (std::multiset<std::string>{"\t1\tLisbon", "\t3\tPort Louis", "carved\t2\tPort Elizabeth",
                                                          "carved\t4\tLisbon"}))
      << result.out;
}

// The rows the creation script of a real file inserted and then deleted,
// still whole on their page.
TEST(DeletedRowsCli, RealFileShowsTheRowsItsScriptDeleted) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  const std::string path = test::CorpusDir() + "/706_ql_quancafe_a1b0210d.mdf";
  auto plain = test::RunCli({"rows", path, "TABLEF"});
  auto deleted = test::RunCli({"rows", path, "TABLEF", "--show-deleted", "--advanced-deleted"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
  std::multiset<std::string> live, carved;
  for (const std::string& line : Body(deleted.out)) {
    if (line.rfind("\t", 0) == 0) live.insert(line.substr(1));
    else carved.insert(line);
  }
  EXPECT_EQ(live, Body(plain.out));
  EXPECT_EQ(live.size(), 25u);
  for (const char* name : {"Bàn 22", "Bàn 23", "Bàn 24"}) {
    bool found = false;
    for (const std::string& line : carved)
      found = found || (line.rfind("carved\t", 0) == 0 && line.find(std::string(name) + "\tTRONG\t0") != std::string::npos);
    EXPECT_TRUE(found) << name << "\n" << deleted.out;
  }
  auto accounts = test::RunCli({"rows", path, "ACCOUNT", "--show-deleted", "--advanced-deleted"});
  ASSERT_EQ(accounts.exitCode, 0) << accounts.err;
  EXPECT_NE(accounts.out.find("Quản Lý 1"), std::string::npos) << accounts.out;
}

}  // namespace
}  // namespace brinehold
