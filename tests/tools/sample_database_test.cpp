// The embedded sample database, end to end: the file as written (boot page
// at page 9, name, collation), the whole scan, the object list with its type
// codes, every table read through its allocation maps, and the rows of the
// SharePoint tables compared with what the generator wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
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
#include "writer/sharepoint_sample.h"

namespace brinehold {
namespace {

using test::RunCli;
using Row = std::vector<std::string>;

constexpr const char* kSite = "7F3C2A10-5B6E-4D2A-9C11-0A1B2C3D4E5F";
constexpr const char* kRootWeb = "1B2C3D4E-0001-4A00-8000-00000000A001";
constexpr const char* kFinanceWeb = "1B2C3D4E-0002-4A00-8000-00000000A002";
constexpr const char* kHrWeb = "1B2C3D4E-0003-4A00-8000-00000000A003";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

Row Cells(const std::string& line) {
  Row cells;
  size_t start = 0;
  while (true) {
    size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return cells;
    start = tab + 1;
  }
}

std::string Hex(const std::string& text) {
  std::string out = "0x";
  char buffer[3];
  for (unsigned char c : text) {
    std::snprintf(buffer, sizeof buffer, "%02X", c);
    out += buffer;
  }
  return out;
}

class SampleDatabaseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<test::TempDir>();
    image_ = writer::BuildSharePointSample().Build();
    path_ = dir_->Write("sample.mdf", image_);
  }
  static void TearDownTestSuite() { dir_.reset(); }
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  // `brinehold rows` of `table`: the header, then one row of cells per line.
  static std::vector<Row> RowsOf(const std::string& table) {
    test::CliResult result = RunCli({"rows", path_, table});
    EXPECT_EQ(result.exitCode, 0) << table << ": " << result.err;
    std::vector<Row> rows;
    for (const std::string& line : Lines(result.out)) rows.push_back(Cells(line));
    return rows;
  }

  static std::unique_ptr<test::TempDir> dir_;
  static Bytes image_;
  static std::string path_;
};

std::unique_ptr<test::TempDir> SampleDatabaseTest::dir_;
Bytes SampleDatabaseTest::image_;
std::string SampleDatabaseTest::path_;

TEST_F(SampleDatabaseTest, BootPageNamesTheContentDatabaseAndItsCollation) {
  // Page 9 is the boot page (type 13) in the file itself.
  ASSERT_GT(image_.size(), 10u * 8192);
  EXPECT_EQ(image_[9 * 8192 + 1], 13);
  test::CliResult info = RunCli({"info", path_});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find("database_name\tWSS_Content_Sample\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("collation_id\t4104\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("collation_name\tLatin1_General_CI_AS_KS_WS\n"), std::string::npos) << info.out;
}

TEST_F(SampleDatabaseTest, ScanCompletes) {
  test::TempDir logs;
  test::CliResult scan = RunCli({"scan", path_, "--log-dir", logs.path()});
  ASSERT_EQ(scan.exitCode, 0) << scan.err;
  const std::vector<std::string> lines = Lines(scan.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Scanning completed for selected mdf file.");
  EXPECT_NE(scan.out.find("Collation Type: Latin1_General_CI_AS_KS_WS\n"), std::string::npos) << scan.out;
  EXPECT_EQ(scan.out.find("Unknown SQL Version"), std::string::npos) << scan.out;
  // Document recovery reads the same tables.
  test::CliResult documents = RunCli({"scan", path_, "--document-recovery", "--log-dir", logs.path()});
  ASSERT_EQ(documents.exitCode, 0) << documents.err;
  EXPECT_EQ(Lines(documents.out).back(), "Scanning completed for selected mdf file.");
}

TEST_F(SampleDatabaseTest, ObjectsListTablesViewAndProcedureWithTheirTypeCodes) {
  test::CliResult objects = RunCli({"objects", path_});
  ASSERT_EQ(objects.exitCode, 0) << objects.err;
  const std::vector<std::string> lines = Lines(objects.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "id\ttype\tparent\tname");
  std::map<std::string, Row> byName;
  for (size_t i = 1; i < lines.size(); ++i) {
    Row cells = Cells(lines[i]);
    ASSERT_EQ(cells.size(), 4u) << lines[i];
    EXPECT_TRUE(byName.emplace(cells[3], cells).second) << "listed twice: " << cells[3];
  }
  auto typeOf = [&](const std::string& name) { return byName.count(name) ? byName[name][1] : "missing"; };
  for (const char* table : {"AllWebs", "AllLists", "AllDocs", "AllDocStreams", "Sites", "UserInfo"})
    EXPECT_EQ(typeOf(table), "U ") << table;
  EXPECT_EQ(typeOf("Docs"), "V ");
  EXPECT_EQ(typeOf("proc_GetDocsInFolder"), "P ");
  for (const char* table : {"sysschobjs", "syscolpars", "sysrowsets", "sysallocunits", "sysrscols", "sysobjvalues"})
    EXPECT_EQ(typeOf(table), "S ") << table;
  // Each primary key belongs to its table.
  EXPECT_EQ(typeOf("AllDocs_PK"), "PK");
  ASSERT_TRUE(byName.count("AllDocs_PK") && byName.count("AllDocs"));
  EXPECT_EQ(byName["AllDocs_PK"][2], byName["AllDocs"][0]);
  // No table or view is named "Webs": the site table is "AllWebs".
  EXPECT_EQ(typeOf("Webs"), "missing");
}

TEST_F(SampleDatabaseTest, EveryTableIsReadThroughItsAllocationMaps) {
  HeadlessWindow window;
  auto file = OpenDataFile(path_, false, &window);
  ASSERT_TRUE(file->IsValid());
  auto catalog = BuildCatalog(*file);
  const std::map<std::string, size_t> rowCounts = {{"Sites", 1},    {"AllWebs", 3},       {"AllLists", 4},
                                                   {"AllDocs", 14}, {"AllDocStreams", 9}, {"UserInfo", 3}};
  for (const auto& [table, count] : rowCounts) {
    LoadTableSchema(*catalog, table, "U ", {});
    ASSERT_TRUE(catalog->tableSchema.found) << table;
    EXPECT_NE(catalog->tableSchema.currentAllocationUnit.firstIamPage.pageNumber, 0) << table;
    std::vector<PageSource> sources;
    size_t pages = 0;
    ListTablePages(*catalog, [&](PageSource source, const std::vector<PageAddress>& list) {
      sources.push_back(source);
      pages += list.size();
      return !list.empty();
    });
    EXPECT_EQ(sources, std::vector<PageSource>{PageSource::AllocationMaps}) << table;
    EXPECT_EQ(pages, 1u) << table;
    // The rowset's row count is the number of rows written.
    EXPECT_EQ(catalog->tableSchema.currentRowset.rowCount, static_cast<int64_t>(count)) << table;
  }
}

TEST_F(SampleDatabaseTest, SitesAreTheRowsWritten) {
  const std::vector<Row> rows = RowsOf("AllWebs");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (Row{"Id", "SiteId", "ParentWebId", "FullUrl", "Title", "TimeCreated", "WebTemplate",
                          "Language"}));
  EXPECT_EQ(rows[1], (Row{kRootWeb, kSite, "NULL", "", "Brinehold Sample Portal", "2019-03-14 09:30:00", "1",
                          "1033"}));
  EXPECT_EQ(rows[2], (Row{kFinanceWeb, kSite, kRootWeb, "finance", "Finance", "2019-04-02 14:05:00", "1", "1033"}));
  EXPECT_EQ(rows[3],
            (Row{kHrWeb, kSite, kRootWeb, "hr", "Human Resources", "2019-05-20 08:00:00", "1", "1033"}));
}

TEST_F(SampleDatabaseTest, ListsAreTheRowsWritten) {
  const std::vector<Row> rows = RowsOf("AllLists");
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (Row{"tp_WebId", "tp_ID", "tp_Title", "tp_RootFolder", "tp_BaseType", "tp_ServerTemplate",
                          "tp_Created", "tp_ItemCount", "tp_Description"}));
  EXPECT_EQ(rows[1], (Row{kRootWeb, "2A7B0C11-0001-4B00-9000-00000000B001", "Documents",
                          "3C4D5E6F-0001-4C00-A000-00000000C001", "1", "101", "2019-03-14 09:31:00", "4",
                          "Shared documents of the portal"}));
  EXPECT_EQ(rows[2], (Row{kRootWeb, "2A7B0C11-0002-4B00-9000-00000000B002", "Site Assets",
                          "3C4D5E6F-0006-4C00-A000-00000000C006", "1", "851", "2019-03-14 09:31:05", "1", "NULL"}));
  EXPECT_EQ(rows[3][2], "Budgets");
  EXPECT_EQ(rows[3][0], kFinanceWeb);
  EXPECT_EQ(rows[4][2], "Policies");
  EXPECT_EQ(rows[4][0], kHrWeb);
}

TEST_F(SampleDatabaseTest, DocumentsAndFoldersAreTheRowsWritten) {
  const std::vector<Row> rows = RowsOf("AllDocs");
  ASSERT_EQ(rows.size(), 15u);
  const Row header = {"Id",   "SiteId", "DirName",     "LeafName",         "WebId", "ListId",
                      "Type", "Size",   "TimeCreated", "TimeLastModified", "Level", "ParentId"};
  ASSERT_EQ(rows[0], header);
  // A list's root folder: no size, no parent.
  EXPECT_EQ(rows[1], (Row{"3C4D5E6F-0001-4C00-A000-00000000C001", kSite, "", "Shared Documents", kRootWeb,
                          "2A7B0C11-0001-4B00-9000-00000000B001", "1", "NULL", "2020-01-06 10:01:00",
                          "2020-02-03 16:01:30", "1", "00000000-0000-0000-0000-000000000000"}));
  // A document in a subfolder, kept off-row in the stream table.
  EXPECT_EQ(rows[5], (Row{"3C4D5E6F-0005-4C00-A000-00000000C005", kSite, "Shared Documents/Reports",
                          "Annual Report.pdf", kRootWeb, "2A7B0C11-0001-4B00-9000-00000000B001", "0", "20000",
                          "2020-01-06 10:05:00", "2020-02-03 16:05:30", "1", "3C4D5E6F-0002-4C00-A000-00000000C002"}));
  // A page outside any list.
  EXPECT_EQ(rows[8][3], "default.aspx");
  EXPECT_EQ(rows[8][5], "NULL");
  // Names, folder paths and types in the order written.
  const std::vector<std::vector<std::string>> expected = {
      {"", "Shared Documents", "1"},
      {"Shared Documents", "Reports", "1"},
      {"Shared Documents", "Welcome.txt", "0"},
      {"Shared Documents/Reports", "Q1 Report.txt", "0"},
      {"Shared Documents/Reports", "Annual Report.pdf", "0"},
      {"", "SiteAssets", "1"},
      {"SiteAssets", "logo.png", "0"},
      {"", "default.aspx", "0"},
      {"finance", "Budgets", "1"},
      {"finance/Budgets", "Budget 2020.csv", "0"},
      {"finance/Budgets", "Budget 2021.csv", "0"},
      {"hr", "Policies", "1"},
      {"hr/Policies", "Leave Policy.txt", "0"},
      {"hr/Policies", "Travel Policy.txt", "0"}};
  for (size_t i = 0; i < expected.size(); ++i) {
    const Row& row = rows[i + 1];
    ASSERT_EQ(row.size(), header.size()) << i;
    EXPECT_EQ((std::vector<std::string>{row[2], row[3], row[6]}), expected[i]) << i;
    // Folders have no size; files have one.
    EXPECT_EQ(row[7] == "NULL", row[6] == "1") << row[3];
  }
}

TEST_F(SampleDatabaseTest, DocumentContentMatchesWhatWasWrittenInRowAndOffRow) {
  const std::vector<Row> docs = RowsOf("AllDocs");
  const std::vector<Row> streams = RowsOf("AllDocStreams");
  ASSERT_EQ(streams.size(), 10u);
  EXPECT_EQ(streams[0], (Row{"Id", "SiteId", "InternalVersion", "Size", "Content"}));
  // One stream per file of AllDocs, same id and size; the size is the
  // content's length.
  std::map<std::string, std::string> fileSizes;
  for (size_t i = 1; i < docs.size(); ++i)
    if (docs[i][6] == "0") fileSizes[docs[i][0]] = docs[i][7];
  ASSERT_EQ(fileSizes.size(), 9u);
  for (size_t i = 1; i < streams.size(); ++i) {
    const Row& row = streams[i];
    ASSERT_EQ(row.size(), 5u);
    ASSERT_TRUE(fileSizes.count(row[0])) << row[0];
    EXPECT_EQ(row[3], fileSizes[row[0]]) << row[0];
    EXPECT_EQ(row[4].size(), 2 + 2 * std::stoul(row[3])) << row[0];
  }
  EXPECT_EQ(streams[1][4], Hex("Welcome to the Brinehold sample portal.\r\n"));
  EXPECT_EQ(streams[4][4], "0x89504E470D0A1A0A0000000D49484452");  // logo.png
  const Bytes large = writer::SampleLargeDocumentContent();
  EXPECT_EQ(streams[3][0], "3C4D5E6F-0005-4C00-A000-00000000C005");
  EXPECT_EQ(streams[3][4], Hex(std::string(large.begin(), large.end())));
}

TEST_F(SampleDatabaseTest, OrdinaryTablesAreTheRowsWritten) {
  const std::vector<Row> users = RowsOf("UserInfo");
  ASSERT_EQ(users.size(), 4u);
  // Backslashes in values come out escaped.
  EXPECT_EQ(users[1], (Row{kSite, "1", "System Account", "SHAREPOINT\\\\system", "NULL"}));
  EXPECT_EQ(users[3], (Row{kSite, "9", "Tomás Ruiz", "CONTOSO\\\\truiz", "tomas@contoso.example"}));
  const std::vector<Row> sites = RowsOf("Sites");
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[1], (Row{kSite, "/", kRootWeb, "2019-03-14 09:30:00"}));
}

}  // namespace
}  // namespace brinehold
