// Document recovery end to end: content databases written by the writer (the
// sample, and thousands of documents in both layouts) scanned as the desktop
// application scans them, the two document trees and the document view
// compared with what was written; the loaders' rules on hand-made rows; the
// browse refusals; the real corpus (no content database) and the command
// line.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scan/completion_stages.h"
#include "scan/folder_browse_command.h"
#include "scan/table_browse_commands.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "sharepoint/document_view.h"
#include "sharepoint/sharepoint_hierarchy.h"
#include "support/corpus.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/content_database.h"

namespace brinehold {
namespace {

using writer::ContentDoc;
using writer::ContentLayout;
using writer::ContentModel;

// What the main window holds for document recovery.
struct Recovery {
  HeadlessWindow window;
  CRecoveryLog log;
  CScanDriver driver{window, log};
  RecordListing listing{window};
  SharePointHierarchy hierarchy{window};
  CompletionStages stages{driver, window, listing, hierarchy};
  FolderBrowseCommand folders{driver, window, log, hierarchy};
  std::vector<std::string> boxes;
  test::TempDir logs;

  // A document-recovery scan of `path`; true when it completed.
  bool Scan(const std::string& path, bool advanced = false) {
    TheApp().ResetForTests();
    stages.Install();
    driver.hooks.messageBox = [this](const std::string& text) { boxes.push_back(text); };
    folders.messageBox = driver.hooks.messageBox;
    window.logSink = [this](const std::string& text) { log.AppendLogLine(text); };
    driver.obtainSettings = [&](ScanSettings& settings) {
      settings.mdfPath = path;
      settings.scanType = ScanType::DocumentRecovery;
      settings.recoveryMode = static_cast<int32_t>(advanced ? RecoveryMode::Advanced : RecoveryMode::Standard);
      settings.logFolder = logs.path();
      return true;
    };
    if (!driver.StartScan()) return false;
    driver.WaitForWorker();
    return driver.LastOutcome() == ScanOutcome::Completed;
  }

  std::string Text(TreeItem item) { return window.TreeItemText(TreeId::Document, item); }
  std::vector<TreeItem> Children(TreeItem item) {
    std::vector<TreeItem> out;
    for (TreeItem c = window.TreeFirstChild(TreeId::Document, item); c; c = window.TreeNextSibling(TreeId::Document, c))
      out.push_back(c);
    return out;
  }
  TreeItem Child(TreeItem parent, const std::string& text) {
    for (TreeItem c : Children(parent))
      if (Text(c) == text) return c;
    return 0;
  }
  // The document view of `item` as a click shows it: the rows' names.
  std::vector<std::string> Listed(TreeItem item) {
    window.SelectTreeItem(TreeId::Document, item);
    EXPECT_TRUE(folders.OnFolderSelected(Text(item), item));
    driver.WaitForWorker();
    std::vector<std::string> names;
    for (const auto& row : window.Snapshot().listItems) names.push_back(row.texts.at(0));
    return names;
  }
};

std::string Trim(const std::string& text) { return TrimBlanks(text); }

// The folder of a directory name: its non-empty parts, trimmed.
std::vector<std::string> FolderOf(const std::string& dirName) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= dirName.size()) {
    size_t slash = std::min(dirName.find('/', start), dirName.size());
    if (slash > start) parts.push_back(Trim(dirName.substr(start, slash - start)));
    start = slash + 1;
  }
  return parts;
}

// Every file of a size above 0 is under its folder in "SharePointData",
// every folder node lists exactly the files of that folder, and every list
// is under its site in "SharePointACTUAL".
void ExpectHierarchyOf(Recovery& r, const ContentModel& model) {
  std::map<std::vector<std::string>, std::vector<std::string>> filesByFolder;
  for (const ContentDoc& doc : model.docs)
    if (doc.IsFile() && !doc.content.empty() && !FolderOf(doc.dirName).empty())
      filesByFolder[FolderOf(doc.dirName)].push_back(doc.leafName);
  // A file at the root of the web application has no folder node.
  const TreeItem data = r.hierarchy.FoldersRoot();
  ASSERT_NE(data, 0u);
  for (auto& [folder, files] : filesByFolder) {
    TreeItem node = data;
    for (const std::string& part : folder) node = node ? r.Child(node, part) : 0;
    ASSERT_NE(node, 0u) << folder.back();
    std::vector<std::string> listed = r.Listed(node);
    std::sort(listed.begin(), listed.end());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(listed, files) << folder.back();
  }
  const TreeItem sites = r.hierarchy.SitesRoot();
  ASSERT_NE(sites, 0u);
  for (const writer::ContentWeb& web : model.webs) {
    const TreeItem site = r.Child(sites, web.title);
    ASSERT_NE(site, 0u) << web.title;
    std::map<std::string, int> expected, found;
    for (const writer::ContentList& list : model.lists)
      if (list.webId == web.id) ++expected[list.title];
    for (TreeItem list : r.Children(site)) ++found[r.Text(list)];
    EXPECT_EQ(found, expected) << web.title;
  }
}

struct LayoutCase {
  const char* name;
  ContentLayout layout;
  int32_t documents;  // 0: the sample
};

class ContentDatabaseTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ContentDatabaseTest, TreesAndDocumentViewShowWhatWasWritten) {
  const LayoutCase& c = GetParam();
  const ContentModel model = c.documents ? writer::GeneratedContent(c.documents) : writer::SampleContent();
  test::TempDir dir;
  const std::string path = dir.Write("content.mdf", writer::BuildContentDatabase(model, c.layout).Build());
  Recovery r;
  ASSERT_TRUE(r.Scan(path));
  EXPECT_EQ(r.hierarchy.documents.size(), model.docs.size());
  EXPECT_EQ(r.hierarchy.webs.size(), model.webs.size());
  EXPECT_EQ(r.hierarchy.lists.size(), model.lists.size());
  ExpectHierarchyOf(r, model);
  TheApp().ResetForTests();
}

INSTANTIATE_TEST_SUITE_P(Layouts, ContentDatabaseTest,
                         ::testing::Values(LayoutCase{"Sample2010", ContentLayout::SharePoint2010, 0},
                                           LayoutCase{"Sample2013", ContentLayout::SharePoint2013, 0},
                                           LayoutCase{"Documents2010", ContentLayout::SharePoint2010, 3000},
                                           LayoutCase{"Documents2013", ContentLayout::SharePoint2013, 3000}),
                         [](const auto& info) { return std::string(info.param.name); });

// Advanced mode reads the page inventory, and every document reaches the
// tree there too, not only one listing page of them.
TEST(DocumentRecoveryTest, AdvancedModeKeepsEveryDocument) {
  const ContentModel model = writer::GeneratedContent(1500);
  ASSERT_GT(model.docs.size(), 1000u);
  test::TempDir dir;
  const std::string path =
      dir.Write("content.mdf", writer::BuildContentDatabase(model, ContentLayout::SharePoint2010).Build());
  Recovery r;
  ASSERT_TRUE(r.Scan(path, true));
  EXPECT_EQ(r.hierarchy.documents.size(), model.docs.size());
  EXPECT_EQ(r.hierarchy.webs.size(), model.webs.size());
  ASSERT_TRUE(r.Scan(path, false));
  EXPECT_EQ(r.hierarchy.documents.size(), model.docs.size());
  TheApp().ResetForTests();
}

// The document view by the kind of node clicked, with the headers and
// widths of its three columns.
TEST(DocumentRecoveryTest, DocumentViewColumnsByNodeKind) {
  test::TempDir dir;
  const std::string path = dir.Write(
      "sample.mdf", writer::BuildContentDatabase(writer::SampleContent(), ContentLayout::SharePoint2010).Build());
  Recovery r;
  ASSERT_TRUE(r.Scan(path));
  const TreeItem sites = r.hierarchy.SitesRoot();
  const TreeItem portal = r.Child(sites, "Brinehold Sample Portal");
  const TreeItem library = r.Child(portal, "Documents");
  const TreeItem assets = r.Child(portal, "Site Assets");
  const TreeItem reports = r.Child(r.Child(r.hierarchy.FoldersRoot(), "Shared Documents"), "Reports");
  struct Case {
    const char* what;
    TreeItem node;
    bool columns;
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {"root", sites, false, {}},
      {"site", portal, false, {}},
      // The library's node holds its folders' names flat, a name once.
      {"library", library, true, {"Welcome.txt", "Q1 Report.txt", "Annual Report.pdf"}},
      {"folder", reports, true, {"Q1 Report.txt", "Annual Report.pdf", "Welcome.txt"}},
      {"document", r.Child(reports, "Q1 Report.txt"), true, {}},
      {"folder without documents", r.Child(assets, "SiteAssets"), true, {}},
  };
  ASSERT_NE(assets, 0u);
  for (const Case& c : cases) {
    ASSERT_NE(c.node, 0u) << c.what;
    EXPECT_EQ(r.Listed(c.node), c.rows) << c.what;
    const HeadlessWindow::State state = r.window.Snapshot();
    if (!c.columns) {
      EXPECT_TRUE(state.listColumns.empty()) << c.what;
      continue;
    }
    ASSERT_EQ(state.listColumns.size(), 3u) << c.what;
    EXPECT_EQ(state.listColumns[0].heading, "File Name ");
    EXPECT_EQ(state.listColumns[1].heading, "Date Created ");
    EXPECT_EQ(state.listColumns[2].heading, "Date Modified ");
    EXPECT_EQ(state.listColumns[0].width, 200);
    EXPECT_EQ(state.listColumns[2].width, 150);
    for (const auto& row : state.listItems) {
      ASSERT_GE(row.data, 0);
      EXPECT_EQ(r.hierarchy.documents.at(static_cast<size_t>(row.data)).leafName, row.texts.at(0));
      EXPECT_EQ(row.texts.at(1), r.hierarchy.documents[static_cast<size_t>(row.data)].timeCreated);
    }
  }
  EXPECT_EQ(r.log.ListRows().back(), "Scanning process completed.");
  TheApp().ResetForTests();
}

// ---- The loaders' rules on hand-made rows ----

ColumnInfo Cell(const std::string& name, const std::string& text) {
  ColumnInfo cell;
  cell.name = name;
  cell.valueText = text;
  return cell;
}

const std::vector<std::string> kDocColumns = {"Id",      "SiteId",   "DirName", "LeafName",    "WebId",
                                              "ListId",  "Type",     "Size",    "TimeCreated", "TimeLastModified"};

RenderedRow DocRow(const std::string& dir, const std::string& leaf, const std::string& list, const char* type,
                   const char* size, const std::string& id = "D1") {
  const std::vector<std::string> values = {id, "S", dir, leaf, "WEB-1", list, type, size, "created", "modified"};
  RenderedRow row;
  for (size_t i = 0; i < kDocColumns.size(); ++i) row.push_back(Cell(kDocColumns[i], values[i]));
  return row;
}

TableSchema SchemaOf(const RenderedRow& row) {
  TableSchema schema;
  schema.columns = row;
  return schema;
}

struct Loaded {
  HeadlessWindow window;
  SharePointHierarchy h{window};

  void Webs(const std::vector<RenderedRow>& rows) { Load(h.loadingWebs, rows); }
  void Lists(const std::vector<RenderedRow>& rows) { Load(h.loadingLists, rows); }
  void Docs(const std::vector<RenderedRow>& rows) { Load(h.loadingDocs, rows); }
  void Load(bool& flag, const std::vector<RenderedRow>& rows) {
    flag = true;
    if (!rows.empty()) h.BeginTable(SchemaOf(rows.front()));
    for (const RenderedRow& row : rows) h.ConsumeRow(row, SchemaOf(row));
    flag = false;
  }
  std::string Print() { return window.PrintTree(TreeId::Document); }
};

// One site with two libraries of the same title (lists as 2013 keeps them:
// the site id first), and one list whose site is missing.
void LoadSitesAndLists(Loaded& l) {
  l.Webs({{Cell("Id", " WEB-1 "), Cell("SiteId", "S"), Cell("Title", "Portal")}});
  l.h.BuildSiteTree();
  auto list = [](const char* web, const char* id, const char* title) {
    return RenderedRow{Cell("tp_SiteId", "S"), Cell("tp_WebId", web), Cell("tp_ID", id), Cell("tp_Title", title)};
  };
  l.Lists({list("WEB-1", "LIST-000001", "Documents"), list("WEB-1", "LIST-000002", "Documents"),
           list("WEB-9", "LIST-000003", "Orphan")});
  l.h.AttachListsToSites();
}

TEST(SharePointLoaderTest, DocumentRulesInBothTrees) {
  struct Case {
    const char* what;
    std::vector<RenderedRow> rows;
    const char* tree;  // the document tree as printed
  };
  const std::vector<Case> cases = {
      {"doubled, trailing and blank-surrounded separators make one folder chain",
       {DocRow("a//b", "one.txt", "LIST-000001", "0", "5"), DocRow("a/b/", "two.txt", "LIST-000001", "0", "5"),
        DocRow(" a / b ", "three.txt", "LIST-000001", "0", "5")},
       // The list's node takes the parts as they are written.
       "SharePointACTUAL\n  Portal\n    Documents\n      a\n      b\n      one.txt\n      two.txt\n       a \n"
       "       b \n      three.txt\n    Documents\nSharePointData\n  a\n    b\n      one.txt\n      two.txt\n"
       "      three.txt\n"},
      {"short list id: only in the folder tree",
       {DocRow("a", "one.txt", "12345", "0", "5")},
       "SharePointACTUAL\n  Portal\n    Documents\n    Documents\nSharePointData\n  a\n    one.txt\n"},
      {"size 0 file and folder: only the folder gets a node, in the list",
       {DocRow("a", "empty.txt", "LIST-000001", "0", "0"), DocRow("a", "sub", "LIST-000001", "1", "NULL")},
       "SharePointACTUAL\n  Portal\n    Documents\n      a\n      sub\n    Documents\nSharePointData\n  a\n"},
      {"a leaf name twice in one list: one node in the list, both in the folder tree",
       {DocRow("a", "same.txt", "LIST-000001", "0", "5"), DocRow("a/b", "same.txt", "LIST-000001", "0", "5")},
       "SharePointACTUAL\n  Portal\n    Documents\n      a\n      same.txt\n      b\n    Documents\n"
       "SharePointData\n  a\n    same.txt\n    b\n      same.txt\n"},
      {"the second library of the same title and the list without site",
       {DocRow("x", "second.txt", "LIST-000002", "0", "5"), DocRow("y", "orphan.txt", "LIST-000003", "0", "5")},
       "SharePointACTUAL\n  Portal\n    Documents\n    Documents\n      x\n      second.txt\nSharePointData\n"
       "  x\n    second.txt\n  y\n    orphan.txt\n"},
      {"rows without an id are skipped",
       {DocRow("a", "none.txt", "LIST-000001", "0", "5", ""), DocRow("a", "null.txt", "LIST-000001", "0", "5", "NULL")},
       "SharePointACTUAL\n  Portal\n    Documents\n    Documents\nSharePointData\n"},
  };
  for (const Case& c : cases) {
    Loaded l;
    LoadSitesAndLists(l);
    l.Docs(c.rows);
    l.h.BuildFolderTree();
    EXPECT_EQ(l.Print(), c.tree) << c.what;
  }
}

TEST(SharePointLoaderTest, RecordsKeepTheirFieldsAndATableWithoutAColumnGivesNoDocuments) {
  Loaded l;
  LoadSitesAndLists(l);
  ASSERT_EQ(l.h.webs.size(), 1u);
  EXPECT_EQ(l.h.webs[0].id, "WEB-1");  // trimmed
  ASSERT_EQ(l.h.lists.size(), 3u);
  EXPECT_EQ(l.h.lists[1].webId, "WEB-1");  // the key found after the first cell
  EXPECT_EQ(l.h.lists[1].listId, "LIST-000002");
  EXPECT_EQ(l.h.lists[2].treeItem, 0u);
  l.Docs({DocRow("a", "big.bin", "LIST-000001", " 1 ", "5000000000")});
  ASSERT_EQ(l.h.documents.size(), 1u);
  EXPECT_EQ(l.h.documents[0].type, 1);
  EXPECT_EQ(l.h.documents[0].size, 5000000000);
  EXPECT_EQ(l.h.documents[0].timeLastModified, "modified");

  RenderedRow withoutSize = DocRow("a", "c.txt", "LIST-000001", "0", "5");
  withoutSize.erase(withoutSize.begin() + 7);
  Loaded m;
  m.Docs({withoutSize});
  EXPECT_TRUE(m.h.documents.empty());
}

// ---- Browse commands while an operation runs ----

TEST(DocumentRecoveryTest, EveryBrowseCommandIsRefusedWhileAnOperationRuns) {
  test::TempDir dir;
  const std::string path = dir.Write(
      "sample.mdf", writer::BuildContentDatabase(writer::SampleContent(), ContentLayout::SharePoint2010).Build());
  Recovery r;
  ASSERT_TRUE(r.Scan(path));
  TableBrowseCommands tables(r.driver, r.window, r.log, r.listing);
  tables.messageBox = r.driver.hooks.messageBox;
  const TreeItem first = r.Children(r.hierarchy.FoldersRoot()).at(0);
  const TreeItem second = r.Children(r.hierarchy.FoldersRoot()).at(1);
  r.Listed(first);
  r.listing.pageNumber = 7;  // a folder click leaves the paging counters alone
  r.Listed(first);
  EXPECT_EQ(r.listing.pageNumber, 7);

  TheApp().isRunning = 1;
  r.boxes.clear();
  const std::vector<std::pair<const char*, std::function<bool()>>> commands = {
      {"folder", [&] { r.window.SelectTreeItem(TreeId::Document, second);
                       return r.folders.OnFolderSelected(r.Text(second), second); }},
      {"table", [&] { return tables.OnTableSelected("AllDocs", "U "); }},
      {"next page", [&] { return tables.OnNextPage(); }},
      {"previous page", [&] { return tables.OnPreviousPage(); }},
      {"open", [&] { return r.driver.StartScan(); }},
  };
  for (const auto& [what, command] : commands) {
    EXPECT_FALSE(command()) << what;
    ASSERT_FALSE(r.boxes.empty()) << what;
    EXPECT_EQ(r.boxes.back(), "Please wait for the running process.") << what;
  }
  EXPECT_EQ(r.boxes.size(), commands.size());
  // The refused click does not stay selected.
  EXPECT_EQ(r.window.SelectedTreeItem(TreeId::Document), first);
  TheApp().ResetForTests();
}

// ---- Files that are no content database ----

TEST(DocumentRecoveryTest, RealFilesGiveEmptyDocumentTrees) {
  const std::vector<std::string> files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& file : files) {
    if (file.size() < 4 || file.substr(file.size() - 4) != ".mdf") continue;
    Recovery r;
    ASSERT_TRUE(r.Scan(file)) << file;
    // Both roots, nothing under them; the SQL Server 2000 files included.
    EXPECT_EQ(r.window.PrintTree(TreeId::Document), "SharePointACTUAL\nSharePointData\n") << file;
    EXPECT_TRUE(r.hierarchy.documents.empty()) << file;
  }
  TheApp().ResetForTests();
}

// ---- The command line ----

TEST(DocumentRecoveryTest, CommandLinePrintsTreesAndTheDocumentsOfAFolder) {
  test::TempDir dir;
  const std::string path = dir.Write(
      "sample.mdf", writer::BuildContentDatabase(writer::SampleContent(), ContentLayout::SharePoint2013).Build());
  test::CliResult folders = test::RunCli({"folders", path});
  ASSERT_EQ(folders.exitCode, 0) << folders.err;
  EXPECT_EQ(folders.out.rfind("SharePointData\n  Shared Documents\n    Welcome.txt\n    Reports\n", 0), 0u)
      << folders.out;
  EXPECT_NE(folders.out.find("\n        Projekte 2019\n          Отчёты\n            Сводка за год.txt\n"),
            std::string::npos) << folders.out;
  test::CliResult sites = test::RunCli({"sites", path});
  ASSERT_EQ(sites.exitCode, 0) << sites.err;
  EXPECT_NE(sites.out.find("\n  Finance\n    Budgets\n"), std::string::npos) << sites.out;
  test::CliResult docs = test::RunCli({"docs", path, "SharePointData/sites/archive/Documents/Projekte 2019"});
  ASSERT_EQ(docs.exitCode, 0) << docs.err;
  EXPECT_EQ(docs.out,
            "File Name \tDate Created \tDate Modified \n"
            "Doubled separator.txt\t2020-01-06 10:25:00\t2020-01-16 10:26:00\n"
            "Trailing separator.txt\t2020-01-06 10:26:00\t2020-01-16 10:27:00\n"
            "Blank-surrounded part.txt\t2020-01-06 10:27:00\t2020-01-16 10:28:00\n");
  test::CliResult missing = test::RunCli({"docs", path, "SharePointData/nowhere"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("no node SharePointData/nowhere"), std::string::npos);
  EXPECT_EQ(test::RunCli({"sites", dir.Path("absent.mdf")}).exitCode, 1);
}

}  // namespace
}  // namespace brinehold
