// The boot page: version names, the boot record fields, the database name,
// collation detection (auto and manual) and finding page 9 in a displaced
// file.
#include <gtest/gtest.h>

#include <cstring>

#include "session/app_state.h"
#include "session/collation_table.h"
#include "storage/boot_page.h"
#include "storage/data_file.h"
#include "support/page_bytes.h"
#include "support/temp_dir.h"
#include "writer/boot_page_builder.h"

namespace brinehold {
namespace {

using test::PageLayout;
using writer::BootPageLayout;
using writer::BuildBootPage;

constexpr int32_t kSqlLatin1Cp1 = 872468488;      // SQL_Latin1_General_CP1_CI_AS
constexpr int32_t kLatin1CiAs = 53256;            // Latin1_General_CI_AS
constexpr int32_t kLatin1_100_CiAs = 0x0020D008;  // Latin1_General_100_CI_AS, not in the table below

std::unique_ptr<CBootPage> Parse(const BootPageLayout& blueprint) {
  return std::make_unique<CBootPage>(BuildBootPage(blueprint), nullptr);
}

std::string NameOf(std::u16string name, char16_t padding = u'\u2020') {
  BootPageLayout blueprint;
  blueprint.databaseName = std::move(name);
  blueprint.padding = padding;
  return Parse(blueprint)->databaseName;
}

class BootPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedTable_ = TheApp().collations;
    TheApp().ResetForTests();
    TheApp().collations = ParseCollationTable(
        "SQL_Latin1_General_CP1_CI_AS\t872468488\t1252\n"
        "Latin1_General_CI_AS\t53256\t1252\n"
        "Cyrillic_General_CI_AS\t53255\t1251\n"
        "SQL_Danish_Pref_CP1_CI_AS\t-1224683515\t1252\n");
  }
  void TearDown() override {
    TheApp().ResetForTests();
    TheApp().collations = savedTable_;
  }

  // Applies a boot page carrying `storedId` and returns the current collation.
  CurrentCollation Detect(int32_t storedId) {
    BootPageLayout blueprint;
    blueprint.collationId = storedId;
    Parse(blueprint)->ApplyTo(TheApp());
    return TheApp().collation;
  }

 private:
  CollationTable savedTable_;
};

// --- version names -----------------------------------------------------------

TEST(SqlVersionNameTest, EveryKnownVersionHasItsNameWithALeadingBlank) {
  const std::pair<int32_t, const char*> table[] = {
      {957, " SQL Server 2022"}, {904, " SQL Server 2019"}, {895, " SQL Server 2019"},
      {869, " SQL Server 2017"}, {868, " SQL Server 2017"}, {852, " SQL Server 2016"},
      {782, " SQL Server 2014"}, {706, " SQL Server 2012"}, {684, " SQL Server 2012 CTP1"},
      {661, " SQL Server 2008 R2"}, {660, " SQL Server 2008 R2"}, {655, " SQL Server 2008"},
      {612, " SQL Server 2005 SP2+ with VarDecimal enabled"}, {611, " SQL Server 2005"},
      {539, " SQL Server 2000"}, {515, " SQL Server 7.0"}, {408, " SQL Server 6.5"},
  };
  for (const auto& [version, name] : table) EXPECT_EQ(SqlVersionName(version), name) << version;
  // Only exact values: no ranges, nothing between releases.
  for (int32_t version : {662, 998, 956, 958, 903, 851, 870, 0, -1, 65535})
    EXPECT_EQ(SqlVersionName(version), "Unknown SQL Version") << version;
}

// --- boot record fields --------------------------------------------------------

TEST_F(BootPageTest, ReadsTheFieldsAtTheirOffsetsWithoutTouchingTheApplication) {
  BootPageLayout blueprint;
  blueprint.formatVersion = 869;
  blueprint.creationVersion = 706;
  blueprint.databaseName = u"J5Shop";
  blueprint.collationId = kLatin1CiAs;
  blueprint.firstSysIndexPage = 20;
  auto boot = Parse(blueprint);
  EXPECT_TRUE(boot->IsComplete());
  EXPECT_EQ(boot->formatVersion, 869);
  EXPECT_EQ(boot->creationVersion, 706);
  EXPECT_EQ(boot->databaseName, "J5Shop");
  EXPECT_EQ(boot->collationId, kLatin1CiAs);
  EXPECT_EQ(boot->firstSysIndexPage, (PageAddress{1, 20}));
  EXPECT_EQ(TheApp().sqlVersionText, "");
  EXPECT_FALSE(TheApp().collation.known);

  Bytes page = BuildBootPage(blueprint);
  page.resize(300);  // ends inside the name field
  CBootPage shortPage(std::move(page), nullptr);
  EXPECT_FALSE(shortPage.IsComplete());
  EXPECT_EQ(shortPage.formatVersion, 869);
  EXPECT_EQ(shortPage.databaseName, "");
  EXPECT_EQ(shortPage.firstSysIndexPage, (PageAddress{1, 0}));
}

TEST_F(BootPageTest, NamePaddingIsDroppedButInnerAndLeadingBlanksStay) {
  for (char16_t padding : {u'\u2020', u' ', u'\0'}) EXPECT_EQ(NameOf(u"Northwind", padding), "Northwind");
  // Real files name databases by their path, blanks included.
  EXPECT_EQ(NameOf(u"D:\\NEW FOLDER\\APP_DATA\\DATABASE.MDF"), "D:\\NEW FOLDER\\APP_DATA\\DATABASE.MDF");
  EXPECT_EQ(NameOf(u"My Db", u' '), "My Db");
  EXPECT_EQ(NameOf(u" Leading"), " Leading");
  EXPECT_EQ(NameOf(std::u16string(u"abc\0def", 7)), "abc");
}

TEST_F(BootPageTest, NonLatinNameIsDecodedWhole) {
  // Code units whose low byte is 0x10, 0xA0 or 0 (U+0100 would end a name
  // kept by low bytes only).
  EXPECT_EQ(NameOf(u"QL\u0110\u1EA0I_\u0100b"), "QL\xC4\x90\xE1\xBA\xA0I_\xC4\x80" "b");
}

TEST_F(BootPageTest, NameOf104UnitsWithoutTerminatorIsTakenWholeAndNothingBeyond) {
  BootPageLayout blueprint;
  blueprint.databaseName = std::u16string(104, u'x');
  Bytes page = BuildBootPage(blueprint);
  page[356] = 'y';  // right after the field
  CBootPage boot(std::move(page), nullptr);
  EXPECT_EQ(boot.databaseName, std::string(104, 'x'));
}

// --- collation ---------------------------------------------------------------

TEST_F(BootPageTest, AutoFindsTheStoredIdAndSetsTheCurrentCollation) {
  BootPageLayout blueprint;
  blueprint.formatVersion = 852;
  blueprint.collationId = kSqlLatin1Cp1;
  Parse(blueprint)->ApplyTo(TheApp());
  EXPECT_EQ(TheApp().sqlVersionText, " SQL Server 2016");
  EXPECT_TRUE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collation.id, kSqlLatin1Cp1);
  EXPECT_EQ(TheApp().collation.codePage, 1252);
  EXPECT_EQ(TheApp().collationName, "SQL_Latin1_General_CP1_CI_AS");
  // A negative id (sort id 183) is looked up with its sign.
  EXPECT_EQ(Detect(-1224683515).id, -1224683515);
  EXPECT_EQ(TheApp().collationName, "SQL_Danish_Pref_CP1_CI_AS");
}

TEST_F(BootPageTest, WindowsCollationIsFoundThroughItsLow16Bits) {
  CurrentCollation found = Detect(kLatin1_100_CiAs);
  ASSERT_TRUE(found.known);
  EXPECT_EQ(found.id, kLatin1CiAs);  // the id that matched
  EXPECT_EQ(TheApp().collationName, "Latin1_General_CI_AS");
}

TEST_F(BootPageTest, SqlCollationIsNotMatchedThroughLowBits) {
  // SQL_Latin1_General_CP1251_CS_AS (sort id 105) is missing here; its low
  // 16 bits name Latin1_General_CI_AS, whose code page 1252 would misread
  // its Cyrillic text.
  const int32_t sqlCp1251 = static_cast<int32_t>(0x6900D008u);
  EXPECT_FALSE(ResolveStoredCollation(TheApp().collations, sqlCp1251));
  EXPECT_FALSE(Detect(sqlCp1251).known);
  EXPECT_EQ(TheApp().collationName, "");
}

TEST_F(BootPageTest, UnknownIdLeavesThePreviousCollation) {
  TheApp().collation = {true, 53255, 1251};
  TheApp().collationName = "Cyrillic_General_CI_AS";
  CurrentCollation after = Detect(0x0030ABCD);
  EXPECT_TRUE(after.known);
  EXPECT_EQ(after.id, 53255);
  EXPECT_EQ(after.codePage, 1251);
  EXPECT_EQ(TheApp().collationName, "Cyrillic_General_CI_AS");

  TheApp().ResetForTests();
  TheApp().collations.clear();  // no collation.txt: never known
  after = Detect(kSqlLatin1Cp1);
  EXPECT_FALSE(after.known);
  EXPECT_EQ(after.id, -1);
  EXPECT_EQ(after.codePage, 1252);
}

TEST_F(BootPageTest, ManualChoiceReplacesTheStoredIdAndIsLookedUpExactly) {
  TheApp().settings.collationAuto = false;
  TheApp().settings.manualCollation = 53255;
  CurrentCollation found = Detect(kSqlLatin1Cp1);
  ASSERT_TRUE(found.known);
  EXPECT_EQ(found.id, 53255);
  EXPECT_EQ(found.codePage, 1251);
  EXPECT_EQ(TheApp().collationName, "Cyrillic_General_CI_AS");

  // Not in the table (0 is the start value; the other has a low-bit match):
  // nothing changes, and the stored id that auto would find is not used.
  for (int64_t manual : {int64_t{0}, int64_t{kLatin1_100_CiAs}}) {
    TheApp().ResetForTests();
    TheApp().settings.collationAuto = false;
    TheApp().settings.manualCollation = manual;
    EXPECT_FALSE(Detect(kSqlLatin1Cp1).known) << manual;
    EXPECT_EQ(TheApp().collationName, "");
    EXPECT_EQ(TheApp().sqlVersionText, " SQL Server 2019");
  }
}

// --- finding the boot page -------------------------------------------------

// Where the first page of a base system table lies in a test file, and the
// page number its header claims.
struct Placement {
  int32_t owner;
  uint32_t physical;
  uint32_t claimed;
  int16_t fileId = 1;
};

class ReadBootPageTest : public BootPageTest {
 protected:
  // A file of `pages` pages holding `placement` and boot pages named after
  // their physical position ("at7", "at9", ...) at every position given.
  std::unique_ptr<CDataFile> Open(uint32_t pages, Placement placement, std::initializer_list<uint32_t> boots) {
    Bytes image(size_t{pages} * 8192, 0);
    for (uint32_t i = 0; i < pages; ++i) {
      PageLayout blueprint;
      blueprint.pageNumber = i;
      if (i == placement.physical) {
        blueprint.owner = placement.owner;
        blueprint.type = 1;
        blueprint.pageNumber = placement.claimed;
        blueprint.fileId = placement.fileId;
      }
      Bytes page = test::MakePage(blueprint);
      std::memcpy(image.data() + size_t{i} * 8192, page.data(), 8192);
    }
    for (uint32_t at : boots) {
      BootPageLayout blueprint;
      std::string name = "at" + std::to_string(at);
      blueprint.databaseName = std::u16string(name.begin(), name.end());
      Bytes page = BuildBootPage(blueprint);
      std::memcpy(image.data() + size_t{at} * 8192, page.data(), 8192);
    }
    auto file = OpenDataFile(dir_.Write("db.mdf", image), false, nullptr);
    EXPECT_TRUE(file->IsValid());
    file->databaseName = "stale";
    return file;
  }

 private:
  test::TempDir dir_;
};

TEST_F(ReadBootPageTest, HealthyFileReadsPage9) {
  auto file = Open(24, {7, 1, 1}, {9});
  EXPECT_EQ(BootPageDisplacement(*file), 0);
  auto boot = ReadBootPage(*file);
  ASSERT_NE(boot, nullptr);
  EXPECT_EQ(file->databaseName, "at9");
  EXPECT_EQ(TheApp().sqlVersionText, " SQL Server 2019");
  EXPECT_TRUE(TheApp().collation.known);
}

TEST_F(ReadBootPageTest, DisplacementMovesTheBootPosition) {
  // Object 7 at physical 20 claims page 22: displacement 2, boot at 7.
  auto file = Open(30, {7, 20, 22}, {7, 9});
  EXPECT_EQ(BootPageDisplacement(*file), 2);
  ASSERT_NE(ReadBootPage(*file), nullptr);
  EXPECT_EQ(file->databaseName, "at7");

  // Without object 7, object 41 tells: physical 13 claims 10, boot at 12.
  file = Open(30, {41, 13, 10}, {9, 12});
  ASSERT_EQ(file->systemPages.count(7), 0u);
  EXPECT_EQ(BootPageDisplacement(*file), -3);
  ASSERT_NE(ReadBootPage(*file), nullptr);
  EXPECT_EQ(file->databaseName, "at12");

  // An unreadable header (file id 0) means no displacement.
  file = Open(24, {41, 3, 5, 0}, {9});
  EXPECT_EQ(BootPageDisplacement(*file), 0);
  ASSERT_NE(ReadBootPage(*file), nullptr);
  EXPECT_EQ(file->databaseName, "at9");
}

TEST_F(ReadBootPageTest, BootPositionOutsideTheFileReadsNothing) {
  struct Case {
    uint32_t pages;
    Placement placement;
  };
  const Case cases[] = {
      {24, {7, 1, 100}},  // position 9 - 99 < 0
      {24, {7, 1, 10}},   // position 0 is refused
      {10, {7, 1, 0}},    // position 10, one past the end
  };
  for (const Case& c : cases) {
    auto file = Open(c.pages, c.placement, {9});
    TheApp().sqlVersionText = "previous";
    TheApp().collation = {true, 53255, 1251};
    EXPECT_EQ(ReadBootPage(*file), nullptr) << c.placement.claimed;
    EXPECT_EQ(file->databaseName, "");
    EXPECT_EQ(TheApp().sqlVersionText, "previous");
    EXPECT_EQ(TheApp().collation.id, 53255);
  }
}

}  // namespace
}  // namespace brinehold
