// The collation table file: line format, skipped lines, sign widening, the
// loader, and the table shipped in data/collation.txt.
#include <gtest/gtest.h>

#include <string>

#include "platform/text_codec.h"
#include "session/app_state.h"
#include "session/collation_table.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

using test::TempDir;

TEST(CollationLineTest, ParsesNameIdAndCodePage) {
  auto line = ParseCollationLine("Latin1_General_CI_AS\t53256\t1252");
  ASSERT_TRUE(line);
  EXPECT_EQ(line->name, "Latin1_General_CI_AS");
  EXPECT_EQ(line->id, 53256);
  EXPECT_EQ(line->codePage, 1252);
}

TEST(CollationLineTest, NegativeIdIsWidenedWithItsSignInEitherSpelling) {
  for (const char* text : {"SQL_Danish_Pref_CP1_CI_AS\t-1224683515\t1252",
                           "SQL_Danish_Pref_CP1_CI_AS\t3070283781\t1252",  // the same 32 bits
                           "SQL_Danish_Pref_CP1_CI_AS\t -1224683515 \t1252\r"}) {
    auto line = ParseCollationLine(text);
    ASSERT_TRUE(line) << text;
    EXPECT_EQ(line->id, int64_t{-1224683515});
    EXPECT_EQ(line->codePage, 1252);
  }
}

TEST(CollationLineTest, MalformedLinesAreSkipped) {
  const char* bad[] = {
      "",
      "# comment",
      "NoTabsAtAll 53256 1252",
      "OneTabOnly\t53256",
      "\t53256\t1252",                       // no name
      "Name\t\t1252",                        // no id
      "Name\t53256\t",                       // no code page
      "Name\tabc\t1252",                     // id not a number
      "Name\t53256x\t1252",                  // trailing junk
      "Name\t53256\t12.52",                  // code page not whole
      "Name\t4294967296\t1252",              // beyond 32 bits
      "Name\t-2147483649\t1252",             // below 32 bits
      "Name\t99999999999999999999\t1252",    // overflows 64 bits
      "Name\t53256\t-1",                     // negative code page
      "Name\t+-5\t1252",
      "Name\t+\t1252",
      "Name\t- 5\t1252",
      "Name\t53256\t1252\textra",           // a fourth field
  };
  for (const char* text : bad) EXPECT_FALSE(ParseCollationLine(text)) << '"' << text << '"';
}

TEST(CollationTableTest, WholeFileWithBomBadLinesAndDuplicates) {
  CollationTable table = ParseCollationTable(
      "\xEF\xBB\xBF"
      "First\t1\t1252\r\n"
      "broken line\n"
      "\n"
      "Second\t-2\t0\n"
      "FirstAgain\t1\t1251\n"
      "Last\t3\t65001");  // no final line end
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[1].name, "FirstAgain");
  EXPECT_EQ(table[1].codePage, 1251);
  EXPECT_EQ(table[-2].name, "Second");
  EXPECT_EQ(table[3].codePage, 65001);
}

class CollationLoadTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = TheApp().collations; }
  void TearDown() override { TheApp().collations = saved_; }

  TempDir dir;

 private:
  CollationTable saved_;
};

TEST_F(CollationLoadTest, LoadReplacesTheTableAndAMissingFileEmptiesIt) {
  TheApp().collations[1] = {"Leftover", 1252};
  std::string text = "Arabic_CI_AS\t53249\t1256\n";
  std::string path = dir.Write("collation.txt", std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(LoadCollationTable(path), 1u);
  ASSERT_NE(FindCollation(TheApp().collations, 53249), nullptr);
  EXPECT_EQ(FindCollation(TheApp().collations, 1), nullptr);

  EXPECT_EQ(LoadCollationTable(dir.Path("absent.txt")), 0u);
  EXPECT_TRUE(TheApp().collations.empty());
  TheApp().collations[1] = {"Leftover", 1252};
  EXPECT_EQ(LoadCollationTable(dir.MakeDir("table")), 0u);  // a directory is no table
  EXPECT_TRUE(TheApp().collations.empty());
}

// The table the program ships.
TEST_F(CollationLoadTest, ShippedTableHoldsTheCollationsRealFilesUse) {
  // Every line of the file is usable.
  ASSERT_EQ(LoadCollationTable(std::string(BRINEHOLD_SOURCE_DIR) + "/data/collation.txt"), 3955u);
  const CollationTable& table = TheApp().collations;
  struct Known {
    int64_t id;
    const char* name;
    int32_t codePage;
  };
  // Ids found in the boot pages and column rows of real files.
  const Known known[] = {
      {872468488, "SQL_Latin1_General_CP1_CI_AS", 1252},
      {53256, "Latin1_General_CI_AS", 1252},
      {53288, "Modern_Spanish_CI_AS", 1252},
      {53251, "Chinese_Taiwan_Stroke_CI_AS", 950},
      {53280, "Vietnamese_CI_AS", 1258},
      {53249, "Arabic_CI_AS", 1256},
      {65544, "Latin1_General_BIN", 1252},
      {4104, "Latin1_General_CI_AS_KS_WS", 1252},
      {520142856, "SQL_Latin1_General_CP437_CS_AS", 437},
      {0x40808, "Latin1_General_100_BIN2", 1252},
      {-1224683515, "SQL_Danish_Pref_CP1_CI_AS", 1252},
  };
  for (const Known& k : known) {
    const CollationEntry* entry = FindCollation(table, k.id);
    ASSERT_NE(entry, nullptr) << k.name;
    EXPECT_EQ(entry->name, k.name);
    EXPECT_EQ(entry->codePage, k.codePage) << k.name;
  }
}

TEST_F(CollationLoadTest, EveryShippedCodePageConvertsToText) {
  ASSERT_GT(LoadCollationTable(std::string(BRINEHOLD_SOURCE_DIR) + "/data/collation.txt"), 0u);
  size_t unicodeOnly = 0;
  for (const auto& [id, entry] : TheApp().collations) {
    EXPECT_TRUE(IsCodePageSupported(entry.codePage)) << entry.name << " " << entry.codePage;
    if (entry.codePage == 0) ++unicodeOnly;
    // The id's layout agrees with the name: SQL collations carry a sort id.
    bool sql = entry.name.rfind("SQL_", 0) == 0;
    EXPECT_EQ(sql, ((static_cast<uint64_t>(id) >> 24) & 0xFF) != 0) << entry.name;
  }
  EXPECT_EQ(unicodeOnly, 510u);
  // Code page 0 still yields text.
  const uint8_t bytes[] = {'a', 'b', 0xE9};
  EXPECT_EQ(DecodeCodePage(0, bytes), "ab\xC3\xA9");
}

}  // namespace
}  // namespace brinehold
