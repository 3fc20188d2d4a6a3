// The scan driver on synthetic database files: the exact order of log
// lines, the three failures, stop requests during the open and during the
// catalog build, refusal while a scan runs, and waiting for a stopped worker.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <mutex>

#include "scan/scan_driver.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "support/temp_dir.h"
#include "writer/catalog_builder.h"
#include "writer/page_builder.h"

namespace brinehold {
namespace {

using writer::CatalogFileBuilder;

CatalogFileBuilder SmallDatabase(uint16_t version = 655) {
  CatalogFileBuilder b(version);
  b.AddTable({100, "Customers"}, {{100, 1, "Id"}, {100, 2, "Name", 231, 100}});
  b.Add(7, writer::SysallocunitsRow(1, 1, 2, {1, 40}, {1, 40}, {1, 41}));
  b.Add(8, writer::SysfilesRow(2, 1, "Small", "C:\\data\\Small.mdf"));
  return b;
}

class ScanDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    log_.localTime = [](std::tm& t) {
      t = std::tm{};
      t.tm_mday = 1;
      t.tm_mon = 0;
      t.tm_year = 125;
      return true;
    };
    window_.logSink = [this](const std::string& text) { log_.AppendLogLine(text); };
    window_.onScanFailed = [this](const std::string&) { driver_.OnScanFailed(); };
    driver_.hooks.messageBox = [this](const std::string& text) { Event("box:" + text); };
    driver_.hooks.askYesNo = [](const std::string&) { return true; };
    driver_.hooks.emptyObjectTree = [this]() { Event("emptyTree"); };
    driver_.hooks.setCaption = [this](const std::string& text) { Event("caption:" + text); };
    driver_.obtainSettings = [this](ScanSettings& settings) {
      settings.mdfPath = mdfPath_;
      settings.logFolder = dir_.path();
      settings.recoveryMode = advanced_ ? 2 : 1;
      return true;
    };
  }
  void TearDown() override {
    driver_.WaitForWorker();
    TheApp().ResetForTests();
  }

  void Event(const std::string& text) {
    std::lock_guard<std::mutex> lock(eventsMutex_);
    events_.push_back(text);
  }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> lock(eventsMutex_);
    return events_;
  }
  bool HasEvent(const std::string& text) {
    for (const std::string& e : Events())
      if (e == text) return true;
    return false;
  }

  std::string Write(const CatalogFileBuilder& builder, const std::string& name = "db.mdf") {
    return dir_.Write(name, builder.Build());
  }

  // Runs one scan to its end and returns the log rows it added.
  std::vector<std::string> Scan(const std::string& path) {
    size_t before = log_.ListRows().size();
    mdfPath_ = path;
    EXPECT_TRUE(driver_.StartScan());
    driver_.WaitForWorker();
    std::vector<std::string> rows = log_.ListRows();
    return std::vector<std::string>(rows.begin() + static_cast<std::ptrdiff_t>(before), rows.end());
  }

  test::TempDir dir_;
  HeadlessWindow window_;
  CRecoveryLog log_;
  CScanDriver driver_{window_, log_};
  std::string mdfPath_;
  bool advanced_ = false;
  std::mutex eventsMutex_;
  std::vector<std::string> events_;
};

TEST_F(ScanDriverTest, CompletedScanWritesEveryLineInOrder) {
  std::string path = Write(SmallDatabase());
  std::vector<std::string> rows = Scan(path);
  std::vector<std::string> expected = {
      path + " File is selected for recovery....",
      "Browse File Path:\t" + path + "\r\n",
      "Standard mode is selected for file recovery.",
      "Scanning of file starts...",
      rows.size() > 4 ? rows[4] : std::string("?"),
      "Database version:  SQL Server 2008",
      "Collation Type: Unknown Collation",
      "Creating Tree.........",
      "Process done.........",
      "Retrieving Objects of Sysobjvalues System Tables...........",
      "Retrieving  Objects of Sysobjvalues System Tables has been done...........",
      "Scanning completed for selected mdf file.",
  };
  EXPECT_EQ(rows, expected);
  // The writer's pages carry checksums, and every one verifies.
  EXPECT_EQ(rows.at(4).rfind("Page verification: 0 of ", 0), 0u) << rows.at(4);
  // The object tree is filled: its root is the path as chosen.
  EXPECT_EQ(window_.TreeItemText(TreeId::Object, window_.TreeFirstChild(TreeId::Object, kNoTreeItem)), path);
  EXPECT_EQ(driver_.LastOutcome(), ScanOutcome::Completed);
  EXPECT_EQ(TheApp().isRunning, 0);
  EXPECT_EQ(TheApp().collationName, "Unknown Collation");
  EXPECT_TRUE(HasEvent("box:Scanning process completed."));
  EXPECT_EQ(Events().back(), "box:Scanning process completed.");
  EXPECT_TRUE(HasEvent("caption:Scanning completed for selected mdf file"));
  // The session stays open for browsing.
  ASSERT_TRUE(driver_.Session().dataFile);
  ASSERT_TRUE(driver_.Session().catalog);
  EXPECT_EQ(driver_.Session().catalog->objects.size(), 1u);
  EXPECT_EQ(driver_.Session().mainWindow, &window_);
  // Every line is in the file as well.
  Bytes file = test::ReadWholeFile(TheApp().settings.logFilePath);
  EXPECT_EQ(file.size() % 2, 0u);
  EXPECT_GT(file.size(), 2u * (expected[0].size() + expected.back().size()));
}

TEST_F(ScanDriverTest, StagesRunAtTheirPointsAndBackslashesAreDoubledInTheLog) {
  std::string path = Write(SmallDatabase(), "my\\db.mdf");
  advanced_ = true;
  driver_.stages.prepareLayout = [this]() { Event("prepareLayout"); };
  driver_.stages.buildTreeAndSites = [this](const std::string& root) { Event("tree:" + root); };
  driver_.stages.finishTree = [this]() {
    Event("finishTree");
    return true;
  };
  std::vector<std::string> rows = Scan(path);
  std::string doubled = path.substr(0, path.size() - 9) + "my\\\\db.mdf";
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[1], "Browse File Path:\t" + doubled + "\r\n");
  EXPECT_EQ(rows[2], "Advanced mode is selected for file recovery.");
  EXPECT_TRUE(driver_.AdvancedMode());
  EXPECT_TRUE(driver_.Session().advanced);
  EXPECT_EQ(driver_.LastOutcome(), ScanOutcome::Completed) << "the file is opened under its real name";
  std::vector<std::string> stages;
  for (const std::string& e : Events())
    if (e == "prepareLayout" || e.rfind("tree:", 0) == 0 || e == "finishTree") stages.push_back(e);
  EXPECT_EQ(stages, (std::vector<std::string>{"prepareLayout", "tree:" + path, "finishTree"}));
}

TEST_F(ScanDriverTest, UnwritableLogFolderDoesNotFailTheScan) {
  std::string path = Write(SmallDatabase());
  int told = 0;
  log_.onWriteFailure = [&told](const std::string&) { ++told; };
  driver_.obtainSettings = [&](ScanSettings& settings) {
    settings.mdfPath = path;
    settings.logFolder = dir_.Path("no/such/folder");
    return true;
  };
  std::vector<std::string> rows = Scan(path);
  EXPECT_EQ(rows.size(), 12u);  // with the page verification line
  EXPECT_EQ(rows.back(), "Scanning completed for selected mdf file.");
  EXPECT_EQ(driver_.LastOutcome(), ScanOutcome::Completed);
  EXPECT_EQ(told, 1);
}

TEST_F(ScanDriverTest, FileThatDoesNotOpenEndsInF1) {
  std::vector<std::string> rows = Scan(dir_.Path("absent.mdf"));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[3], "Scanning of file starts...");
  EXPECT_EQ(rows[4], "Scanning process aborted.");
  EXPECT_EQ(driver_.LastOutcome(), ScanOutcome::OpenFailed);
  EXPECT_EQ(TheApp().isRunning, 0);
  EXPECT_TRUE(HasEvent("emptyTree"));
  EXPECT_EQ(Events().back(), "box:Scanning process aborted.");
  EXPECT_EQ(window_.Snapshot().errorBoxes.size(), 1u);
}

TEST_F(ScanDriverTest, EmptyPathSkipsTheBrowseLine) {
  std::vector<std::string> rows = Scan("");
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0], " File is selected for recovery....");
  EXPECT_EQ(rows[1], "Standard mode is selected for file recovery.");
  EXPECT_EQ(rows.back(), "Scanning process aborted.");
}

TEST_F(ScanDriverTest, CatalogWithoutObjectsEndsInF2WithoutABox) {
  CatalogFileBuilder b;
  b.Add(41, writer::SyscolparsRow({100, 1, "orphan"}));
  std::vector<std::string> rows = Scan(Write(b));
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[5], "Either it is not valid mdf file or highly corrupted, select another file to recover.");
  EXPECT_EQ(driver_.LastOutcome(), ScanOutcome::NoObjects);
  EXPECT_EQ(TheApp().isRunning, 0);
  EXPECT_TRUE(HasEvent("emptyTree"));
  for (const std::string& e : Events()) EXPECT_NE(e.rfind("box:", 0), 0u) << e;
}

TEST_F(ScanDriverTest, TreeFailureEndsInF3AfterTheCollationLine) {
  driver_.stages.finishTree = []() { return false; };
  std::vector<std::string> rows = Scan(Write(SmallDatabase()));
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[rows.size() - 2], "Collation Type: Unknown Collation");
  EXPECT_EQ(rows.back(), "Whether it is not valid mdf file or highly corrupted, select another file to recover.");
  EXPECT_EQ(driver_.LastOutcome(), ScanOutcome::TreeFailed);
  EXPECT_EQ(Events().back(),
            "box:Whether it is not valid mdf file or highly corrupted, select another file to recover.");
}

TEST_F(ScanDriverTest, MissingVersionLeavesThePlaceholderLineInTheVersionText) {
  // The first page of object 7 claims to be far away: the boot page
  // position falls outside the file and nothing is read from it.
  CatalogFileBuilder shifted;
  shifted.AddRawPage(7, writer::PageBuilder({1, 5000}, 1, 7).Build());
  shifted.AddTable({100, "T"}, {{100, 1, "a"}});
  std::vector<std::string> rows = Scan(Write(shifted));
  // The displaced page gets a line of its own before it.
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Database version: Unknown SQL Version"), rows.end());
  EXPECT_EQ(TheApp().sqlVersionText, "Database version: Unknown SQL Version");
}

TEST_F(ScanDriverTest, StopDuringTheInventoryLetsTheScanRunToItsEnd) {
  std::string path = Write(SmallDatabase());
  // Stop once the mapping pass is past the object and column pages (16, 17)
  // but before the file list (19).
  bool mapping = false;
  bool stopped = false;
  window_.observer = [&](const WindowMessage& message) {
    if (message.id == UM_STATUS_TEXT && message.text == kTextMapping) mapping = true;
    if (mapping && !stopped && message.id == UM_PROGRESS_POS && message.wParam >= 18) {
      stopped = true;
      driver_.RequestStop();
    }
  };
  std::vector<std::string> rows = Scan(path);
  ASSERT_TRUE(stopped);
  EXPECT_EQ(rows.back(), "Scanning completed for selected mdf file.");
  EXPECT_TRUE(HasEvent("box:Scanning process completed."));
  EXPECT_FALSE(TheApp().stopRequested) << "the open clears the stop request";
  EXPECT_EQ(TheApp().isRunning, 0);
  ASSERT_TRUE(driver_.Session().catalog);
  EXPECT_TRUE(driver_.Session().catalog->databaseFiles.empty()) << "the inventory ended before sysfiles1";

  // The next scan is not affected.
  window_.observer = nullptr;
  rows = Scan(path);
  EXPECT_EQ(rows.back(), "Scanning completed for selected mdf file.");
  EXPECT_EQ(driver_.Session().catalog->databaseFiles.size(), 1u);
}

TEST_F(ScanDriverTest, StopDuringTheCatalogBuildKeepsWhatWasReadAndFinishes) {
  CatalogFileBuilder b = SmallDatabase();
  b.Add(2187, writer::SyscolparsRow({100, 3, "Extra"}));
  std::string path = Write(b);
  driver_.onCatalogTable = [this](int32_t objectId) {
    if (objectId == 2187) driver_.RequestStop();
  };
  std::vector<std::string> rows = Scan(path);
  EXPECT_EQ(rows.back(), "Scanning completed for selected mdf file.");
  ASSERT_TRUE(driver_.Session().catalog);
  EXPECT_EQ(driver_.Session().catalog->columns.size(), 2u);
  EXPECT_TRUE(TheApp().stopRequested) << "only a table load clears it";

  // A new scan does not inherit the old stop request.
  driver_.onCatalogTable = nullptr;
  rows = Scan(path);
  EXPECT_EQ(rows.back(), "Scanning completed for selected mdf file.");
  EXPECT_EQ(driver_.Session().catalog->columns.size(), 3u);
  EXPECT_FALSE(TheApp().stopRequested);
}

TEST_F(ScanDriverTest, OpenIsRefusedWhileAScanRuns) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> entered;
  driver_.stages.buildTreeAndSites = [&](const std::string&) {
    entered.set_value();
    released.wait();
  };
  mdfPath_ = Write(SmallDatabase());
  ASSERT_TRUE(driver_.StartScan());
  entered.get_future().wait();
  EXPECT_EQ(TheApp().isRunning, 1);
  EXPECT_FALSE(driver_.StartScan());
  EXPECT_TRUE(HasEvent("box:Please wait for the running process."));
  release.set_value();
  driver_.WaitForWorker();
  EXPECT_EQ(driver_.LastOutcome(), ScanOutcome::Completed);
}

TEST_F(ScanDriverTest, NewScanWaitsForAStoppedWorker) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> entered;
  int scans = 0;
  driver_.stages.prepareLayout = [&]() { Event("prepare" + std::to_string(++scans)); };
  driver_.stages.buildTreeAndSites = [&](const std::string&) {
    if (scans == 1) {
      entered.set_value();
      released.wait();
    }
  };
  driver_.stages.finishTree = [&]() {
    Event("finish" + std::to_string(scans));
    return true;
  };
  mdfPath_ = Write(SmallDatabase());
  ASSERT_TRUE(driver_.StartScan());
  entered.get_future().wait();
  driver_.RequestStop();
  EXPECT_EQ(TheApp().isRunning, 0) << "Stop clears the flag at once";
  std::thread second([&]() { EXPECT_TRUE(driver_.StartScan()); });
  release.set_value();
  second.join();
  driver_.WaitForWorker();
  EXPECT_EQ(Events().size() >= 4, true);
  std::vector<std::string> order;
  for (const std::string& e : Events())
    if (e.rfind("prepare", 0) == 0 || e.rfind("finish", 0) == 0) order.push_back(e);
  EXPECT_EQ(order, (std::vector<std::string>{"prepare1", "finish1", "prepare2", "finish2"}));
}

}  // namespace
}  // namespace brinehold
