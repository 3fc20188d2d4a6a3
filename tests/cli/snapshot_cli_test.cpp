// Snapshots end to end: `scan --save-snapshot`, then `scan`, `objects`,
// `rows` and `list` from the snapshot, on the sample database and on every
// corpus file; a data file that moved, changed size or is gone; snapshots
// that cannot be used; options that the snapshot brings.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "storage/snapshot_file.h"
#include "support/corpus.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "values/page_rows.h"
#include "values/row_decoding_context.h"
#include "values/table_page_source.h"
#include "writer/sharepoint_sample.h"

namespace brinehold {
namespace {

using test::CliResult;
using test::RunCli;
using test::TempDir;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path().string());
  return files;
}

struct Saved {
  std::string mdf;
  std::string snapshot;
};

Saved ScanAndSave(const TempDir& dir, const std::string& mdf) {
  Saved saved{mdf, dir.Path("inventory.MDBVTL")};
  CliResult scan = RunCli({"scan", mdf, "--save-snapshot", saved.snapshot, "--log-dir", dir.path()});
  EXPECT_EQ(scan.exitCode, 0) << scan.err;
  EXPECT_TRUE(Contains(scan.err, "Snapshot Saved successfully in path " + saved.snapshot)) << scan.err;
  return saved;
}

TEST(SnapshotCli, ScanFromTheSnapshotShowsWhatTheScanShowed) {
  TempDir dir;
  Saved saved = ScanAndSave(dir, dir.Write("sample.mdf", writer::BuildSharePointSample().Build()));
  const std::string logs = dir.MakeDir("logs");
  CliResult again = RunCli({"scan", "--snapshot", saved.snapshot, "--log-dir", logs});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(again.out.rfind("Browse File Path:\t" + saved.mdf + "\r\n", 0), 0u) << again.out;
  EXPECT_TRUE(Contains(again.err, kTextLoadingSnapshot));
  EXPECT_TRUE(Contains(again.err, "Load snapshot finished..processing tables ......................"));
  EXPECT_FALSE(Contains(again.err, "Mapping Database Objects"));
  // The log of a scan started from a snapshot has its own prefix.
  std::vector<std::string> logFiles = FilesIn(logs);
  ASSERT_EQ(logFiles.size(), 1u);
  EXPECT_TRUE(Contains(logFiles[0], "/VantrelSQLDatabaseRec_log_"));

  const std::vector<std::vector<std::string>> commands = {
      {"objects"}, {"rows", "AllDocs"}, {"rows", "AllDocStreams"}, {"list", "AllWebs"}, {"rows", "UserInfo"}};
  for (const std::vector<std::string>& command : commands) {
    SCOPED_TRACE(command.back());
    std::vector<std::string> direct = {command[0], saved.mdf}, fromSnapshot = {command[0], "--snapshot", saved.snapshot};
    direct.insert(direct.end(), command.begin() + 1, command.end());
    fromSnapshot.insert(fromSnapshot.end(), command.begin() + 1, command.end());
    CliResult expected = RunCli(direct), actual = RunCli(fromSnapshot);
    EXPECT_EQ(expected.exitCode, 0) << expected.err;
    EXPECT_EQ(actual.exitCode, 0) << actual.err;
    EXPECT_GT(expected.out.size(), 40u);
    EXPECT_EQ(actual.out, expected.out);
  }
}

TEST(SnapshotCli, ADataFileThatMovedChangedOrVanishedIsNamed) {
  TempDir dir;
  Saved saved = ScanAndSave(dir, dir.Write("sample.mdf", writer::BuildSharePointSample().Build()));
  const std::string moved = dir.Path("moved.mdf");
  std::filesystem::rename(saved.mdf, moved);

  CliResult missing = RunCli({"scan", "--snapshot", saved.snapshot, "--log-dir", dir.path()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(Contains(missing.err, kTextSnapshotDataFileMissing + saved.mdf)) << missing.err;
  EXPECT_TRUE(Contains(missing.out, "Scanning process aborted."));

  CliResult found = RunCli({"objects", "--snapshot", saved.snapshot, "--mdf", moved});
  EXPECT_EQ(found.exitCode, 0) << found.err;
  EXPECT_EQ(found.out, RunCli({"objects", moved}).out);

  // A page more at the end: the pages may no longer be where they were.
  std::filesystem::resize_file(moved, std::filesystem::file_size(moved) + kPageSize);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"scan", "--snapshot", saved.snapshot, "--mdf", moved, "--log-dir", dir.path()},
        std::vector<std::string>{"rows", "--snapshot", saved.snapshot, "--mdf", moved, "AllDocs"}}) {
    CliResult changed = RunCli(args);
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_TRUE(Contains(changed.err, kTextSnapshotDataFileChanged + moved)) << changed.err;
  }
}

TEST(SnapshotCli, UnusableSnapshotsAndOptionsAreRefused) {
  TempDir dir;
  Saved saved = ScanAndSave(dir, dir.Write("sample.mdf", writer::BuildSharePointSample().Build()));
  Bytes bytes = test::ReadWholeFile(saved.snapshot);
  const std::string cut = dir.Write("cut.MDBVTL", Bytes(bytes.begin(), bytes.end() - 30));
  const std::string header = dir.Write("header.MDBVTL", Bytes(bytes.begin(), bytes.begin() + 6));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  };
  const std::string logs = dir.MakeDir("logs"), noLogs = dir.MakeDir("none");
  const Case cases[] = {
      {{"scan", "--snapshot", cut, "--log-dir", logs}, 1, kTextSnapshotDamaged},
      {{"objects", "--snapshot", cut}, 1, kTextSnapshotDamaged},
      {{"scan", "--snapshot", header, "--log-dir", noLogs}, 1, "(the path is longer than the file): " + header},
      {{"list", "--snapshot", dir.Path("none.MDBVTL"), "AllDocs"}, 1, kTextSnapshotCannotOpen},
      {{"scan", saved.mdf, "--snapshot", saved.snapshot}, 2, "give either FILE or --snapshot SNAP"},
      {{"rows", "--snapshot", saved.snapshot, "AllDocs", "--show-deleted"}, 2, "--show-deleted comes from the snapshot"},
      {{"scan", "--snapshot", saved.snapshot, "--collation", "53256"}, 2, "--collation comes from the snapshot"},
      {{"objects", saved.mdf, "--mdf", saved.mdf}, 2, "--mdf goes with --snapshot"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    CliResult result = RunCli(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_TRUE(Contains(result.err, c.message)) << result.err;
  }
  // A snapshot that cannot be read starts no scan, so no log is written.
  EXPECT_TRUE(FilesIn(noLogs).empty());

  // A scan that failed leaves nothing to save.
  const std::string snapshot = dir.Path("junk.MDBVTL");
  CliResult junk = RunCli({"scan", dir.Write("junk.mdf", Bytes(kPageSize * 3, 0x41)), "--save-snapshot", snapshot,
                           "--log-dir", logs});
  EXPECT_EQ(junk.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(snapshot));
}

TEST(SnapshotCli, TheSnapshotBringsTheCollationAndDeletedRecordChoices) {
  TempDir dir;
  const std::string mdf = dir.Write("sample.mdf", writer::BuildSharePointSample().Build());
  const std::string snapshot = dir.Path("s.MDBVTL");
  CliResult scan = RunCli({"scan", mdf, "--show-deleted", "--advanced-deleted", "--collation", "53256",
                           "--save-snapshot", snapshot, "--log-dir", dir.path()});
  ASSERT_EQ(scan.exitCode, 0) << scan.err;
  std::string failure;
  auto header = ReadSnapshotHeader(snapshot, failure);
  ASSERT_TRUE(header) << failure;
  EXPECT_EQ(header->mdfPath, mdf);
  EXPECT_FALSE(header->collationAuto);
  EXPECT_EQ(header->manualCollation, 53256);
  EXPECT_TRUE(header->showDeleted && header->showAdvancedDeleted);
  CliResult again = RunCli({"scan", "--snapshot", snapshot, "--log-dir", dir.path()});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  // Less the Open's first line, and the page verification line: a snapshot
  // brings the inventory, so no page is read to build it.
  std::string expected = scan.out.substr(scan.out.find('\n') + 1);
  if (size_t at = expected.find("Page verification: "); at != std::string::npos)
    expected.erase(at, expected.find('\n', at) + 1 - at);
  EXPECT_EQ(again.out, expected);
  EXPECT_EQ(RunCli({"rows", "--snapshot", snapshot, "AllDocs"}).out,
            RunCli({"rows", mdf, "AllDocs", "--show-deleted", "--advanced-deleted", "--collation", "53256"}).out);
}

// Every row of every user table, as text.
std::map<std::string, std::vector<std::string>> UserTableRows(CDataFile& file, CDatabaseCatalog& catalog) {
  std::map<std::string, std::vector<std::string>> tables;
  const std::vector<ObjectRow> objects = catalog.objects;
  for (const ObjectRow& object : objects) {
    if (object.type != "U ") continue;
    LoadTableSchema(catalog, object.name, "U ", {});
    std::vector<std::string>& rows = tables[object.name];
    if (!catalog.tableSchema.found) continue;
    const TableSchema& schema = catalog.tableSchema;
    RowDecodingContext context = BuildRowDecodingContext(schema.columns);
    ListTablePages(catalog, [&](PageSource, const std::vector<PageAddress>& pages) {
      size_t before = rows.size();
      for (const PageAddress& address : pages)
        for (const RenderedRow& row : GetPageRows(file, address, schema, context)) {
          std::string line;
          for (const ColumnInfo& value : row) line += value.valueText + '\t';
          rows.push_back(std::move(line));
        }
      return rows.size() > before;
    });
  }
  return tables;
}

TEST(SnapshotCli, EveryCorpusFileReadsTheSameFromItsSnapshot) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    TempDir dir;
    Saved saved = ScanAndSave(dir, path);
    CliResult objects = RunCli({"objects", path}), fromSnapshot = RunCli({"objects", "--snapshot", saved.snapshot});
    EXPECT_EQ(fromSnapshot.exitCode, 0) << fromSnapshot.err;
    EXPECT_EQ(fromSnapshot.out, objects.out);

    TheApp().ResetForTests();
    auto scanned = OpenDataFile(path, false, nullptr);
    ASSERT_TRUE(scanned->IsValid());
    auto scannedCatalog = BuildCatalog(*scanned);
    auto expected = UserTableRows(*scanned, *scannedCatalog);

    TheApp().ResetForTests();
    TheApp().snapshotLoaded = true;
    TheApp().settings.snapshotPath = saved.snapshot;
    auto loaded = OpenDataFile(path, false, nullptr);
    ASSERT_TRUE(loaded->IsValid()) << loaded->openFailure;
    auto loadedCatalog = BuildCatalog(*loaded);
    EXPECT_EQ(loaded->systemPages, scanned->systemPages);
    EXPECT_EQ(loaded->dataPages, scanned->dataPages);
    EXPECT_EQ(loaded->iamPages, scanned->iamPages);
    EXPECT_EQ(UserTableRows(*loaded, *loadedCatalog), expected);
    TheApp().ResetForTests();
  }
}

}  // namespace
}  // namespace brinehold
