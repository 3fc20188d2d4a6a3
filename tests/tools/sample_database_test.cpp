// The embedded sample database, end to end: the file as written (boot page
// at page 9, name, collation), the whole scan, the object list with its type
// codes, every table read through its allocation maps, and the rows of the
// SharePoint tables compared with what the generator wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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

using test::Lines;

using test::RunCli;
using Row = std::vector<std::string>;

constexpr const char* kSite = "7F3C2A10-5B6E-4D2A-9C11-0A1B2C3D4E5F";
constexpr const char* kRootWeb = "1B2C3D4E-0001-4A00-8000-00000000A001";
constexpr const char* kFinanceWeb = "1B2C3D4E-0002-4A00-8000-00000000A002";
constexpr const char* kHrWeb = "1B2C3D4E-0003-4A00-8000-00000000A003";


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
  const std::map<std::string, size_t> rowCounts = {{"Sites", 2},    {"AllWebs", 4},        {"AllLists", 6},
                                                   {"AllDocs", 28}, {"AllDocStreams", 21}, {"UserInfo", 3}};
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
    EXPECT_GE(pages, 1u) << table;
    // The rowset's row count is the number of rows written.
    EXPECT_EQ(catalog->tableSchema.currentRowset.rowCount, static_cast<int64_t>(count)) << table;
  }
}

TEST_F(SampleDatabaseTest, SitesAreTheRowsWritten) {
  const std::vector<Row> rows = RowsOf("AllWebs");
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (Row{"Id", "SiteId", "ParentWebId", "FullUrl", "Title", "TimeCreated", "WebTemplate",
                          "Language"}));
  EXPECT_EQ(rows[1], (Row{kRootWeb, kSite, "NULL", "", "Brinehold Sample Portal", "2019-03-14 09:30:00", "1",
                          "1033"}));
  EXPECT_EQ(rows[2], (Row{kFinanceWeb, kSite, kRootWeb, "finance", "Finance", "2019-03-15 09:30:00", "1", "1033"}));
  EXPECT_EQ(rows[3],
            (Row{kHrWeb, kSite, kRootWeb, "hr", "Human Resources", "2019-03-16 09:30:00", "1", "1033"}));
  // The root web of the second site collection.
  EXPECT_EQ(rows[4], (Row{"1B2C3D4E-0004-4A00-8000-00000000A004", "7F3C2A10-5B6E-4D2A-9C11-0A1B2C3D4E60", "NULL",
                          "sites/archive", "Archive", "2019-03-17 09:30:00", "1", "1033"}));
}

TEST_F(SampleDatabaseTest, ListsAreTheRowsWritten) {
  const std::vector<Row> rows = RowsOf("AllLists");
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0], (Row{"tp_WebId", "tp_ID", "tp_Title", "tp_RootFolder", "tp_BaseType", "tp_ServerTemplate",
                          "tp_Created", "tp_ItemCount", "tp_Description"}));
  EXPECT_EQ(rows[1], (Row{kRootWeb, "2A7B0C11-0001-4B00-9000-00000000B001", "Documents",
                          "3C4D5E6F-0001-4C00-A000-00000000C001", "1", "101", "2019-03-14 09:31:00", "6",
                          "NULL"}));
  EXPECT_EQ(rows[2], (Row{kRootWeb, "2A7B0C11-0002-4B00-9000-00000000B002", "Site Assets",
                          "3C4D5E6F-0006-4C00-A000-00000000C006", "1", "851", "2019-03-14 09:31:00", "1", "NULL"}));
  EXPECT_EQ(rows[3][2], "Budgets");
  EXPECT_EQ(rows[3][0], kFinanceWeb);
  EXPECT_EQ(rows[4][2], "Policies");
  EXPECT_EQ(rows[4][0], kHrWeb);
  // A second library of the same title in the same web.
  EXPECT_EQ(rows[5][2], "Budgets");
  EXPECT_EQ(rows[5][0], kFinanceWeb);
  EXPECT_NE(rows[5][1], rows[3][1]);
}

// The value of column `name` in `row` under `header`.
std::string ValueOf(const Row& header, const Row& row, const std::string& name) {
  for (size_t i = 0; i < header.size() && i < row.size(); ++i)
    if (header[i] == name) return row[i];
  return "<no column " + name + ">";
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST_F(SampleDatabaseTest, DocumentsAndFoldersAreTheRowsWritten) {
  const std::vector<Row> rows = RowsOf("AllDocs");
  const writer::ContentModel model = writer::SampleContent();
  ASSERT_EQ(rows.size(), model.docs.size() + 1);
  const Row& header = rows[0];
  for (const char* column : {"Id", "SiteId", "DirName", "LeafName", "WebId", "ListId", "DoclibRowId", "Type", "Size",
                             "TimeCreated", "TimeLastModified", "Level", "IsCurrentVersion", "ParentId"})
    EXPECT_NE(std::find(header.begin(), header.end(), column), header.end()) << column;
  for (size_t i = 0; i < model.docs.size(); ++i) {
    const writer::ContentDoc& doc = model.docs[i];
    const Row& row = rows[i + 1];
    ASSERT_EQ(row.size(), header.size()) << i;
    EXPECT_EQ(ValueOf(header, row, "Id"), Upper(doc.id));
    EXPECT_EQ(ValueOf(header, row, "DirName"), doc.dirName) << doc.leafName;
    EXPECT_EQ(ValueOf(header, row, "LeafName"), doc.leafName);
    EXPECT_EQ(ValueOf(header, row, "ListId"), doc.listId.empty() ? "NULL" : Upper(doc.listId)) << doc.leafName;
    EXPECT_EQ(ValueOf(header, row, "Type"), doc.IsFile() ? "0" : "1") << doc.leafName;
    // Folders have no size; a file's size is its content's length.
    EXPECT_EQ(ValueOf(header, row, "Size"), doc.IsFile() ? std::to_string(doc.content.size()) : "NULL");
    EXPECT_EQ(ValueOf(header, row, "IsCurrentVersion"), "True");
  }
}

TEST_F(SampleDatabaseTest, DocumentContentMatchesWhatWasWrittenOnTextPages) {
  const std::vector<Row> streams = RowsOf("AllDocStreams");
  ASSERT_FALSE(streams.empty());
  EXPECT_EQ(streams[0], (Row{"Id", "SiteId", "InternalVersion", "Size", "Content", "RbsId"}));
  // One stream per version of each file, in the order of AllDocs, holding
  // that version's bytes.
  struct Stream {
    const writer::ContentDoc* doc;
    int32_t version;
  };
  std::vector<Stream> expected;
  const writer::ContentModel model = writer::SampleContent();
  for (const writer::ContentDoc& doc : model.docs)
    for (int32_t v = 1; doc.IsFile() && v <= doc.versions; ++v) expected.push_back({&doc, v});
  ASSERT_EQ(streams.size(), expected.size() + 1);
  for (size_t i = 0; i < expected.size(); ++i) {
    const Row& row = streams[i + 1];
    const Bytes content = writer::EarlierVersionContent(*expected[i].doc, expected[i].version);
    ASSERT_EQ(row.size(), 6u);
    EXPECT_EQ(row[0], Upper(expected[i].doc->id));
    EXPECT_EQ(row[2], std::to_string(256 * expected[i].version));
    EXPECT_EQ(row[3], std::to_string(content.size()));
    if (content.empty()) continue;
    EXPECT_EQ(row[4], Hex(std::string(content.begin(), content.end()))) << expected[i].doc->leafName;
  }
  // The largest document (its second version) lies on several text pages.
  const Bytes large = writer::SampleLargeDocumentContent();
  EXPECT_EQ(streams[4][0], "3C4D5E6F-0005-4C00-A000-00000000C005");
  EXPECT_EQ(streams[4][4], Hex(std::string(large.begin(), large.end())));
}

TEST_F(SampleDatabaseTest, OrdinaryTablesAreTheRowsWritten) {
  const std::vector<Row> users = RowsOf("UserInfo");
  ASSERT_EQ(users.size(), 4u);
  // Backslashes in values come out escaped.
  EXPECT_EQ(users[1], (Row{kSite, "1", "System Account", "SHAREPOINT\\\\system", "NULL"}));
  EXPECT_EQ(users[3], (Row{kSite, "9", "Tomás Ruiz", "CONTOSO\\\\truiz", "tomas@contoso.example"}));
  const std::vector<Row> sites = RowsOf("Sites");
  ASSERT_EQ(sites.size(), 3u);
  EXPECT_EQ(sites[1], (Row{kSite, "/", kRootWeb, "2019-03-14 09:30:00"}));
  // The second site collection, under a managed path.
  EXPECT_EQ(sites[2][1], "sites/archive");
}

}  // namespace
}  // namespace brinehold
