// The recovery log file's bytes (byte-order mark, banner, CR LF, appending),
// its name, list-only rows and a folder that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/byte_reader.h"
#include "scan/recovery_log.h"
#include "session/app_state.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

Bytes Utf16Le(const std::u16string& text) {
  Bytes out;
  for (char16_t unit : text) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return out;
}

std::u16string Banner() { return u"\r\n" + std::u16string(80, u'*') + u"\r\n"; }

class RecoveryLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    TheApp().settings.logFolder = dir_.path() + "/";
    log_.localTime = [](std::tm& t) {
      t = std::tm{};
      t.tm_mday = 8;
      t.tm_mon = 2;
      t.tm_year = 124;
      t.tm_hour = 14;
      t.tm_min = 5;
      t.tm_sec = 9;
      return true;
    };
    log_.onWriteFailure = [this](const std::string& text) { failures_.push_back(text); };
  }
  void TearDown() override { TheApp().ResetForTests(); }

  Bytes FileBytes() {
    log_.Close();
    return test::ReadWholeFile(log_.CurrentFilePath());
  }

  test::TempDir dir_;
  CRecoveryLog log_;
  std::vector<std::string> failures_;
};

TEST(LogTimeStamp, NoLeadingZerosAndFallbackFields) {
  std::tm t{};
  t.tm_mday = 8;
  t.tm_mon = 2;
  t.tm_year = 124;
  t.tm_hour = 14;
  t.tm_min = 5;
  t.tm_sec = 9;
  EXPECT_EQ(LogTimeStamp(&t), "8-3-2024-14-5-9");
  EXPECT_EQ(LogTimeStamp(nullptr), "0-0-0--1--1--1");
}

TEST_F(RecoveryLogTest, NewFileStartsWithMarkBannerAndSelectedLine) {
  ASSERT_TRUE(log_.StartLogFile(LogVariant::Open, "C:\\db\\x.mdf"));
  EXPECT_EQ(TheApp().settings.logFilePath,
            dir_.path() + "/VantrelSharepointDatabaseRec_log_8-3-2024-14-5-9.txt");
  Bytes expected = {0xFF, 0xFE};
  Bytes body = Utf16Le(Banner() + u"C:\\db\\x.mdf File is selected for recovery....\r\n");
  expected.insert(expected.end(), body.begin(), body.end());
  EXPECT_EQ(FileBytes(), expected);
}

TEST_F(RecoveryLogTest, LinesAreUtf16WithCrLfAndBrowseLineLeavesAnEmptyLine) {
  ASSERT_TRUE(log_.StartLogFile(LogVariant::Open, "a.mdf"));
  log_.AppendLogLine("Browse File Path:\tC:\\\\db\\\\x.mdf\r\n");
  log_.AppendLogLine("Stra\xC3\x9F" "e \xE2\x82\xAC");  // non-ASCII text
  Bytes bytes = FileBytes();
  Bytes tail = Utf16Le(u"Browse File Path:\tC:\\\\db\\\\x.mdf\r\n\r\nStra\u00DFe \u20AC\r\n");
  ASSERT_GE(bytes.size(), tail.size());
  EXPECT_EQ(Bytes(bytes.end() - static_cast<std::ptrdiff_t>(tail.size()), bytes.end()), tail);
}

TEST_F(RecoveryLogTest, SameSecondAppendsWithoutSecondMark) {
  ASSERT_TRUE(log_.StartLogFile(LogVariant::Open, "a.mdf"));
  ASSERT_TRUE(log_.StartLogFile(LogVariant::Open, "b.mdf"));
  Bytes expected = {0xFF, 0xFE};
  Bytes body = Utf16Le(Banner() + u"a.mdf File is selected for recovery....\r\n" + Banner() +
                       u"b.mdf File is selected for recovery....\r\n");
  expected.insert(expected.end(), body.begin(), body.end());
  EXPECT_EQ(FileBytes(), expected);
}

TEST_F(RecoveryLogTest, ListOnlyRowsAndRowsBeforeAnyStartStayOutOfTheFile) {
  std::vector<std::pair<std::string, bool>> rows;
  log_.onRow = [&rows](const std::string& text, bool logLine) { rows.emplace_back(text, logLine); };
  log_.AppendLogList(kTextApplicationStarts);
  log_.AppendLogLine("before any scan");
  ASSERT_TRUE(log_.StartLogFile(LogVariant::Open, "a.mdf"));
  log_.AppendLogList("Snapshot cannot be saved.");
  Bytes expected = {0xFF, 0xFE};
  Bytes body = Utf16Le(Banner() + u"a.mdf File is selected for recovery....\r\n");
  expected.insert(expected.end(), body.begin(), body.end());
  EXPECT_EQ(FileBytes(), expected);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], std::make_pair(std::string("application starts"), false));
  EXPECT_EQ(rows[1], std::make_pair(std::string("before any scan"), true));
  EXPECT_EQ(rows[3], std::make_pair(std::string("Snapshot cannot be saved."), false));
  EXPECT_EQ(TheApp().nextLogRow, 4);
  EXPECT_EQ(log_.ListRows().size(), 4u);
}

TEST_F(RecoveryLogTest, LoadVariantLogsBesideTheProgramAndKeepsTheOpenPath) {
  ASSERT_TRUE(log_.StartLogFile(LogVariant::Open, "a.mdf"));
  std::string openPath = TheApp().settings.logFilePath;
  log_.programDirectory = dir_.MakeDir("program") + "/";
  ASSERT_TRUE(log_.StartLogFile(LogVariant::Load, "ignored.mdf"));
  EXPECT_EQ(TheApp().settings.logFolder, dir_.path() + "/program/");
  EXPECT_EQ(TheApp().settings.logFilePath, openPath);
  EXPECT_EQ(log_.CurrentFilePath(), dir_.path() + "/program/VantrelSQLDatabaseRec_log_8-3-2024-14-5-9.txt");
  Bytes expected = {0xFF, 0xFE};
  Bytes body = Utf16Le(Banner());
  expected.insert(expected.end(), body.begin(), body.end());
  EXPECT_EQ(FileBytes(), expected) << "no selected-file line for a Load";
}

TEST_F(RecoveryLogTest, UnwritableFolderKeepsTheListAndTellsOnce) {
  TheApp().settings.logFolder = dir_.path() + "/missing/folder/";
  std::vector<std::string> rows;
  log_.onRow = [&rows](const std::string& text, bool) { rows.push_back(text); };
  EXPECT_FALSE(log_.StartLogFile(LogVariant::Open, "a.mdf"));
  log_.AppendLogLine("Scanning of file starts...");
  log_.AppendLogLine("Scanning completed for selected mdf file.");
  EXPECT_FALSE(log_.IsOpen());
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0], kTextLogNotWritten);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], "Scanning completed for selected mdf file.");
  EXPECT_FALSE(std::filesystem::exists(dir_.path() + "/missing"));

  // The next scan with a good folder writes again.
  TheApp().settings.logFolder = dir_.path();
  EXPECT_TRUE(log_.StartLogFile(LogVariant::Open, "b.mdf"));
  EXPECT_EQ(failures_.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(TheApp().settings.logFilePath));
}

TEST_F(RecoveryLogTest, UnknownClockUsesFallbackStamp) {
  log_.localTime = [](std::tm&) { return false; };
  ASSERT_TRUE(log_.StartLogFile(LogVariant::Open, "a.mdf"));
  EXPECT_EQ(TheApp().settings.logFilePath,
            dir_.path() + "/VantrelSharepointDatabaseRec_log_0-0-0--1--1--1.txt");
}

}  // namespace
}  // namespace brinehold
