// `brinehold page`: header fields and per-slot record parts of a page of a
// synthetic file, run as a separate program.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/file_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using test::Lines;

using test::RunCli;


std::string WriteSample(const test::TempDir& dir) {
  writer::DatabaseFileBuilder file(24);
  auto& page = file.Page(16, 1, 34);
  page.SetNext({1, 17});
  page.AddRecord(writer::RecordBuilder().SetFixed({1, 2, 3}).SetColumnCount(3).AddVariable({'a', 'b'}).AddVariable(
      Bytes(16, 0), true).Build());
  page.AddRecord(writer::RecordBuilder().SetType(6).SetFixed({4}).Build());
  page.AddRawSlot(0);
  page.PlaceBytes(4000, writer::RecordBuilder().SetType(6).SetFixed(Bytes(128, 1)).SetColumnCount(2).AddVariable({'z'}).Build());
  std::string path = dir.Path("page.mdf");
  EXPECT_TRUE(file.WriteTo(path));
  return path;
}

TEST(PageCommand, PrintsHeaderFieldsAndRecords) {
  test::TempDir dir;
  std::string path = WriteSample(dir);
  auto result = RunCli({"page", path, "1:16", "--records"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  auto lines = Lines(result.out);
  std::map<std::string, std::string> fields;
  size_t table = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("slot\t", 0) == 0) {
      table = i;
      break;
    }
    auto tab = lines[i].find('\t');
    if (tab != std::string::npos) fields[lines[i].substr(0, tab)] = lines[i].substr(tab + 1);
  }
  EXPECT_EQ(fields["page_type"], "1");
  EXPECT_EQ(fields["this_page"], "1:16");
  EXPECT_EQ(fields["next_page"], "1:17");
  EXPECT_EQ(fields["owner_object_id"], "34");
  EXPECT_EQ(fields["slot_count"], "3");
  EXPECT_EQ(fields["ghost_record_count"], "1");
  ASSERT_GT(table, 0u);
  ASSERT_EQ(lines.size(), table + 4);
  EXPECT_EQ(lines[table + 1], "0\t96\tprimary\t0x30\t3\t3\t2\t2,16c\t34\t-");
  EXPECT_EQ(lines[table + 2].rfind("1\t130\tghost data\t0x1c\t", 0), 0u);
  EXPECT_NE(lines[table + 2].find("invalid,hidden"), std::string::npos);
  EXPECT_EQ(lines[table + 3], "2\t0\t-\t-\t-\t-\t-\t-\t-\tempty");

  // With the deleted-row search the row in free space shows up as found.
  auto searched = RunCli({"page", path, "1:16", "--records", "--advanced-deleted"});
  ASSERT_EQ(searched.exitCode, 0) << searched.err;
  auto more = Lines(searched.out);
  ASSERT_EQ(more.size(), table + 5);
  EXPECT_EQ(more.back().rfind("3\t4000\tghost data\t0x3c\t", 0), 0u);
  EXPECT_NE(more.back().find("found"), std::string::npos);
}

TEST(PageCommand, BadArgumentsAndMissingPages) {
  test::TempDir dir;
  std::string path = WriteSample(dir);
  EXPECT_EQ(RunCli({"page", path}).exitCode, 2);
  EXPECT_EQ(RunCli({"page", path, "16"}).exitCode, 2);
  EXPECT_EQ(RunCli({"page", path, "1:x"}).exitCode, 2);
  EXPECT_EQ(RunCli({"page", path, "1:16", "--bogus"}).exitCode, 2);
  auto beyond = RunCli({"page", path, "1:24"});
  EXPECT_EQ(beyond.exitCode, 1);
  EXPECT_NE(beyond.err.find("not in the file"), std::string::npos);
  EXPECT_EQ(RunCli({"page", dir.Path("missing.mdf"), "1:1"}).exitCode, 1);
}

}  // namespace
}  // namespace brinehold
