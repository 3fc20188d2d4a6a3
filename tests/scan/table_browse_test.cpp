// The browse handlers of the table listing: refusal while an operation
// runs, and on a real file a table click, Next and Previous run their
// workers over the scan session.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/recovery_log.h"
#include "scan/scan_driver.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "scan/table_browse_commands.h"
#include "support/corpus.h"
#include "values/record_listing.h"

namespace brinehold {
namespace {

class TableBrowseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    commands_.messageBox = [this](const std::string& text) { boxes_.push_back(text); };
    commands_.reselectPreviousItem = [this] { ++reselected_; };
    window_.logSink = [this](const std::string& line) { log_.AppendLogLine(line); };
  }
  void TearDown() override {
    driver_.WaitForWorker();
    TheApp().ResetForTests();
  }

  HeadlessWindow window_;
  CRecoveryLog log_;
  CScanDriver driver_{window_, log_};
  RecordListing listing_{window_};
  TableBrowseCommands commands_{driver_, window_, log_, listing_};
  std::vector<std::string> boxes_;
  int reselected_ = 0;
};

TEST_F(TableBrowseTest, EveryCommandIsRefusedWhileAnOperationRuns) {
  TheApp().isRunning = 1;
  EXPECT_FALSE(commands_.OnTableSelected("Orders", "U "));
  EXPECT_FALSE(commands_.OnNextPage());
  EXPECT_FALSE(commands_.OnPreviousPage());
  EXPECT_EQ(boxes_, (std::vector<std::string>(3, "Please wait for the running process.")));
  EXPECT_EQ(reselected_, 1);
  // Without a scan there is nothing to list.
  TheApp().isRunning = 0;
  EXPECT_FALSE(commands_.OnTableSelected("Orders", "U "));
  EXPECT_EQ(TheApp().isRunning, 0);
}

TEST_F(TableBrowseTest, TableClickNextAndPreviousListThroughTheSession) {
  std::string path;
  for (const std::string& file : test::CorpusDataFiles())
    if (file.find("northwind") != std::string::npos) path = file;
  if (path.empty()) GTEST_SKIP() << "no northwind file in the corpus at " << test::CorpusDir();
  driver_.Session().dataFile = OpenDataFile(path, false, &window_);
  ASSERT_TRUE(driver_.Session().dataFile->IsValid());
  driver_.Session().catalog = BuildCatalog(*driver_.Session().dataFile);

  ASSERT_TRUE(commands_.OnTableSelected("Order Details", "U "));
  driver_.WaitForWorker();
  EXPECT_EQ(window_.Snapshot().pageCaption, "Page1 - [1000](1-1000) Records");
  EXPECT_EQ(window_.Snapshot().captionBar, "Order Details[1000]");
  EXPECT_EQ(TheApp().isRunning, 0);
  std::vector<std::string> rows = log_.ListRows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front(), "Please wait while Order Details folder is scanning.");
  EXPECT_EQ(rows.back(), "Scanning process completed.");

  ASSERT_TRUE(commands_.OnNextPage());
  driver_.WaitForWorker();
  EXPECT_EQ(window_.Snapshot().pageCaption, "Page2 - [1000](1001-2000) Records");
  ASSERT_TRUE(commands_.OnPreviousPage());
  driver_.WaitForWorker();
  EXPECT_EQ(window_.Snapshot().pageCaption, "Page1 - [1000](1-1000) Records");
  EXPECT_FALSE(window_.Snapshot().previousButton.enabled);
  EXPECT_TRUE(window_.Snapshot().nextButton.enabled);
  EXPECT_EQ(TheApp().isRunning, 0);
}

// Clicks on the object tree: a table opens in the tree and is listed; a
// view shows its definition in the status line instead of the list.
TEST_F(TableBrowseTest, ObjectTreeClicksListTablesAndShowDefinitions) {
  std::string path;
  for (const std::string& file : test::CorpusDataFiles())
    if (file.find("northwind") != std::string::npos) path = file;
  if (path.empty()) GTEST_SKIP() << "no northwind file in the corpus at " << test::CorpusDir();
  driver_.Session().dataFile = OpenDataFile(path, false, &window_);
  ASSERT_TRUE(driver_.Session().dataFile->IsValid());
  driver_.Session().catalog = BuildCatalog(*driver_.Session().dataFile);
  ObjectTreeStage& stage = driver_.objectTree;
  stage.BuildSkeleton(path);
  ASSERT_TRUE(stage.Finish(*driver_.Session().catalog));

  const TreeItem orders = stage.tree.FindChild(stage.tree.nodes().userTables, "Orders");
  ASSERT_TRUE(commands_.OnObjectItemSelected(orders));
  driver_.WaitForWorker();
  EXPECT_EQ(window_.Snapshot().captionBar, "Orders[830]");
  EXPECT_NE(stage.tree.FindChild(orders, "PrimaryKey"), kNoTreeItem);

  const TreeItem view = stage.tree.FindChild(stage.tree.nodes().views, "Invoices");
  ASSERT_TRUE(commands_.OnObjectItemSelected(view));
  driver_.WaitForWorker();
  const auto state = window_.Snapshot();
  EXPECT_NE(state.statusLine.find("create view Invoices AS\r\nSELECT"), std::string::npos) << state.statusLine;
  EXPECT_TRUE(state.statusLineVisible);
  EXPECT_FALSE(state.listVisible);
  EXPECT_EQ(TheApp().isRunning, 0);
}

}  // namespace
}  // namespace brinehold
