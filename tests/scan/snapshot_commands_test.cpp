// The Save and Load commands: refusals (a worker runs, nothing scanned, an
// unreadable snapshot), the log list lines, and a save after a scan that a
// Load started naming the file that scan read.
#include <gtest/gtest.h>

#include "scan/snapshot_commands.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "support/temp_dir.h"
#include "writer/sharepoint_sample.h"

namespace brinehold {
namespace {

class SnapshotCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    log_.programDirectory = dir_.path();
    window_.logSink = [this](const std::string& text) { log_.AppendLogLine(text); };
    window_.onScanFailed = [this](const std::string&) { driver_.OnScanFailed(); };
    driver_.hooks.messageBox = [this](const std::string& text) { boxes_.push_back(text); };
    driver_.obtainSettings = [this](ScanSettings& settings) {
      settings.mdfPath = mdf_;
      settings.logFolder = dir_.path();
      return true;
    };
  }
  void TearDown() override {
    driver_.WaitForWorker();
    TheApp().ResetForTests();
  }

  test::TempDir dir_;
  std::string mdf_ = dir_.Write("sample.mdf", writer::BuildSharePointSample().Build());
  HeadlessWindow window_;
  CRecoveryLog log_;
  CScanDriver driver_{window_, log_};
  CSnapshotCommands commands_{driver_, log_};
  std::vector<std::string> boxes_;
};

TEST_F(SnapshotCommandsTest, RefusesWhatCannotBeDone) {
  const std::string snapshot = dir_.Path("s.MDBVTL");
  EXPECT_FALSE(commands_.Save(snapshot));
  EXPECT_EQ(boxes_, std::vector<std::string>{kTextNothingToSave});
  EXPECT_FALSE(test::ReadWholeFile(snapshot).size());

  TheApp().isRunning = 1;
  EXPECT_FALSE(commands_.Save(snapshot));
  EXPECT_FALSE(commands_.Load(snapshot));
  EXPECT_EQ(boxes_.back(), kTextWaitForRunning);
  TheApp().isRunning = 0;

  EXPECT_FALSE(commands_.Load(snapshot));
  EXPECT_EQ(boxes_.back(), kTextSnapshotCannotOpen + snapshot);
  EXPECT_FALSE(TheApp().snapshotLoaded);
  EXPECT_EQ(TheApp().isRunning, 0);
}

TEST_F(SnapshotCommandsTest, SavesLoadsAndSavesAgainTheFileThatWasRead) {
  ASSERT_TRUE(driver_.StartScan());
  driver_.WaitForWorker();
  ASSERT_EQ(driver_.LastOutcome(), ScanOutcome::Completed);
  const std::string first = dir_.Path("first.MDBVTL"), second = dir_.Path("second.MDBVTL");
  ASSERT_TRUE(commands_.Save(first));
  std::vector<std::string> rows = log_.ListRows();
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[rows.size() - 2], kTextSavingSnapshot);
  EXPECT_EQ(rows.back(), kTextSnapshotSaved + first);
  EXPECT_EQ(boxes_.back(), kTextSnapshotSaved + first);

  // The last Open named another file; the scan that the Load started read
  // the one in the snapshot, and that is the one a new save names.
  TheApp().settings.mdfPath = dir_.Path("elsewhere.mdf");
  TheApp().settings.showDeleted = true;
  ASSERT_TRUE(commands_.Load(first));
  driver_.WaitForWorker();
  EXPECT_EQ(driver_.LastOutcome(), ScanOutcome::Completed);
  EXPECT_TRUE(TheApp().snapshotLoaded);
  EXPECT_FALSE(TheApp().settings.showDeleted);  // the snapshot's choice
  EXPECT_EQ(TheApp().settings.snapshotMdfPath, mdf_);
  EXPECT_NE(log_.CurrentFilePath().find(kLogPrefixLoad), std::string::npos);
  ASSERT_TRUE(commands_.Save(second));
  EXPECT_EQ(test::ReadWholeFile(second), test::ReadWholeFile(first));
}

}  // namespace
}  // namespace brinehold
