// The Save and Load commands: refusals (a worker runs, nothing scanned, an
// unreadable snapshot), the log list lines, and a save after a scan that a
// Load started naming the file that scan read, and a Load whose data file
// has moved or changed.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

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

// A data file that is missing or has changed size since the save is asked
// for: the answer is scanned in its place, an empty answer loads nothing.
TEST_F(SnapshotCommandsTest, LoadAsksForADataFileThatMovedOrChanged) {
  ASSERT_TRUE(driver_.StartScan());
  driver_.WaitForWorker();
  const std::string snapshot = dir_.Path("s.MDBVTL");
  ASSERT_TRUE(commands_.Save(snapshot));
  const Bytes original = test::ReadWholeFile(mdf_);
  const std::string copy = dir_.Write("copy.mdf", original);
  Bytes grown = original;
  grown.resize(original.size() + kPageSize, 0);
  struct Case {
    std::function<void()> change;
    std::string answer;
    std::string reason;  // empty: not asked
    std::string scanned;  // empty: nothing loaded
  };
  const Case cases[] = {
      {[] {}, "", "", mdf_},
      {[&] { dir_.Write("sample.mdf", grown); }, copy, kTextSnapshotDataFileChanged + mdf_, copy},
      {[&] { std::remove(mdf_.c_str()); }, "", kTextSnapshotDataFileMissing + mdf_, ""},
  };
  for (const Case& c : cases) {
    c.change();
    std::string asked;
    const bool loaded = commands_.LoadLocatingDataFile(snapshot, [&](const std::string& reason) {
      asked = reason;
      return c.answer;
    });
    driver_.WaitForWorker();
    EXPECT_EQ(asked, c.reason);
    EXPECT_EQ(loaded, !c.scanned.empty());
    if (loaded) {
      EXPECT_EQ(driver_.LastOutcome(), ScanOutcome::Completed);
      EXPECT_EQ(TheApp().settings.snapshotMdfPath, c.scanned);
    } else {
      EXPECT_EQ(boxes_.back(), kTextSnapshotNotLoaded);
    }
  }
}

}  // namespace
}  // namespace brinehold
