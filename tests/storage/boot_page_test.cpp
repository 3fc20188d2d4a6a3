// The boot page: version names, the boot record fields, the database name,
// collation detection (auto and manual) and finding page 9 in a displaced
// file.
#include <gtest/gtest.h>

#include <cstring>

#include "scan/session/app_state.h"
#include "scan/session/collation_table.h"
#include "storage/boot_page.h"
#include "storage/data_file.h"
#include "support/page_bytes.h"
#include "support/temp_dir.h"
#include "writer/boot_page_builder.h"

namespace brinehold {
namespace {

using test::MakeFileImage;
using test::PageSpec;
using test::TempDir;
using writer::BootPageSpec;
using writer::BuildBootPage;

constexpr int32_t kSqlLatin1Cp1 = 872468488;      // SQL_Latin1_General_CP1_CI_AS
constexpr int32_t kLatin1CiAs = 53256;            // Latin1_General_CI_AS
constexpr int32_t kLatin1_100_CiAs = 0x0020D008;  // Latin1_General_100_CI_AS

// The fields of a boot page built from `spec`.
std::unique_ptr<CBootPage> Parse(const BootPageSpec& spec) {
  return std::make_unique<CBootPage>(BuildBootPage(spec), nullptr);
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
        "SQL_Danish_Pref_CP1_CI_AS\t-1224683515\t1252\n"
        "Bengali_100_CI_AS\t2150445\t0\n");
  }
  void TearDown() override {
    TheApp().ResetForTests();
    TheApp().collations = savedTable_;
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
}

TEST(SqlVersionNameTest, OnlyExactValuesAreRecognised) {
  for (int32_t version : {662, 998, 956, 958, 903, 851, 0, -1, 65535, 610, 870})
    EXPECT_EQ(SqlVersionName(version), "Unknown SQL Version") << version;
}

// --- boot record fields --------------------------------------------------------

TEST_F(BootPageTest, ReadsTheFieldsAtTheirOffsets) {
  BootPageSpec spec;
  spec.formatVersion = 869;
  spec.creationVersion = 706;
  spec.databaseName = u"J5Shop";
  spec.collationId = kLatin1CiAs;
  spec.firstSysIndexPage = 20;
  spec.firstSysIndexFile = 1;
  auto boot = Parse(spec);
  EXPECT_TRUE(boot->IsComplete());
  EXPECT_EQ(boot->formatVersion, 869);
  EXPECT_EQ(boot->creationVersion, 706);
  EXPECT_EQ(boot->databaseName, "J5Shop");
  EXPECT_EQ(boot->collationId, kLatin1CiAs);
  EXPECT_EQ(boot->firstSysIndexPage, (PageAddress{1, 20}));
  // The constructor alone touches no application state.
  EXPECT_EQ(TheApp().sqlVersionText, "");
  EXPECT_FALSE(TheApp().collation.known);
}

TEST_F(BootPageTest, ShortBufferKeepsDefaults) {
  BootPageSpec spec;
  Bytes page = BuildBootPage(spec);
  page.resize(300);  // ends inside the name field
  CBootPage boot(std::move(page), nullptr);
  EXPECT_FALSE(boot.IsComplete());
  EXPECT_EQ(boot.formatVersion, 904);
  EXPECT_EQ(boot.databaseName, "");
  EXPECT_EQ(boot.collationId, 0);
  EXPECT_EQ(boot.firstSysIndexPage, (PageAddress{1, 0}));
}

TEST_F(BootPageTest, NamePaddingOfEitherKindIsDropped) {
  BootPageSpec spec;
  spec.databaseName = u"Northwind";
  for (char16_t padding : {u'\u2020', u' ', u'\0'}) {
    spec.padding = padding;
    EXPECT_EQ(Parse(spec)->databaseName, "Northwind") << static_cast<int>(padding);
  }
}

TEST_F(BootPageTest, BlanksInsideTheNameAreKept) {
  BootPageSpec spec;
  spec.databaseName = u"D:\\NEW FOLDER\\PROJECT\\APP_DATA\\DATABASE.MDF";
  EXPECT_EQ(Parse(spec)->databaseName, "D:\\NEW FOLDER\\PROJECT\\APP_DATA\\DATABASE.MDF");
  spec.databaseName = u"My Db";
  EXPECT_EQ(Parse(spec)->databaseName, "My Db");
  spec.databaseName = u" Leading";
  EXPECT_EQ(Parse(spec)->databaseName, " Leading");
}

TEST_F(BootPageTest, NonLatinNameIsDecodedWhole) {
  BootPageSpec spec;
  spec.databaseName = u"QL\u0110\u1EA0I_\u0100b";  // code units whose low byte is 0 or a blank
  EXPECT_EQ(Parse(spec)->databaseName, "QL\xC4\x90\xE1\xBA\xA0I_\xC4\x80" "b");
}

TEST_F(BootPageTest, NameOf104UnitsWithoutTerminatorIsTakenWholeAndNothingBeyond) {
  BootPageSpec spec;
  spec.databaseName = std::u16string(104, u'x');
  Bytes page = BuildBootPage(spec);
  // The bytes right after the field are not part of the name.
  page[356] = 'y';
  page[357] = 0;
  CBootPage boot(std::move(page), nullptr);
  EXPECT_EQ(boot.rawName.size(), 104u);
  EXPECT_EQ(boot.databaseName, std::string(104, 'x'));
}

TEST_F(BootPageTest, NameEndsAtTheFirstZeroCodeUnit) {
  BootPageSpec spec;
  spec.databaseName = std::u16string(u"abc\0def", 7);
  EXPECT_EQ(Parse(spec)->databaseName, "abc");
}

// --- collation ---------------------------------------------------------------

TEST_F(BootPageTest, AutoFindsTheStoredIdAndSetsTheCurrentCollation) {
  BootPageSpec spec;
  spec.formatVersion = 852;
  spec.collationId = kSqlLatin1Cp1;
  Parse(spec)->ApplyTo(TheApp());
  EXPECT_EQ(TheApp().sqlVersionText, " SQL Server 2016");
  EXPECT_TRUE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collation.id, kSqlLatin1Cp1);
  EXPECT_EQ(TheApp().collation.codePage, 1252);
  EXPECT_EQ(TheApp().collationName, "SQL_Latin1_General_CP1_CI_AS");
}

TEST_F(BootPageTest, NegativeStoredIdIsLookedUpWithItsSign) {
  BootPageSpec spec;
  spec.collationId = -1224683515;  // sort id 183
  Parse(spec)->ApplyTo(TheApp());
  ASSERT_TRUE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collation.id, -1224683515);
  EXPECT_EQ(TheApp().collationName, "SQL_Danish_Pref_CP1_CI_AS");
}

TEST_F(BootPageTest, WindowsCollationIsFoundThroughItsLow16Bits) {
  BootPageSpec spec;
  spec.collationId = kLatin1_100_CiAs;  // not in the table; 0xD008 is
  Parse(spec)->ApplyTo(TheApp());
  ASSERT_TRUE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collation.id, kLatin1CiAs);  // the id that matched
  EXPECT_EQ(TheApp().collationName, "Latin1_General_CI_AS");
}

TEST_F(BootPageTest, SqlCollationIsNotMatchedThroughLowBits) {
  // SQL_Latin1_General_CP1251_CS_AS is not in this table; its low 16 bits
  // name Latin1_General with code page 1252, which would misread its text.
  TheApp().collations[0xD008] = {"Latin1_General_CI_AS", 1252};
  const int32_t sqlCp1251 = static_cast<int32_t>(0x6900D008u);
  auto resolved = ResolveStoredCollation(TheApp().collations, sqlCp1251);
  EXPECT_FALSE(resolved.has_value());
  BootPageSpec spec;
  spec.collationId = sqlCp1251;
  Parse(spec)->ApplyTo(TheApp());
  EXPECT_FALSE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collationName, "");
}

TEST_F(BootPageTest, UnknownIdLeavesThePreviousCollation) {
  TheApp().collation = {true, 53255, 1251};
  TheApp().collationName = "Cyrillic_General_CI_AS";
  BootPageSpec spec;
  spec.collationId = 0x0030ABCD;
  Parse(spec)->ApplyTo(TheApp());
  EXPECT_TRUE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collation.id, 53255);
  EXPECT_EQ(TheApp().collation.codePage, 1251);
  EXPECT_EQ(TheApp().collationName, "Cyrillic_General_CI_AS");
}

TEST_F(BootPageTest, EmptyTableNeverKnowsACollation) {
  TheApp().collations.clear();
  BootPageSpec spec;
  Parse(spec)->ApplyTo(TheApp());
  EXPECT_FALSE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collation.id, -1);
  EXPECT_EQ(TheApp().collation.codePage, 1252);
}

TEST_F(BootPageTest, UnicodeOnlyCollationKeepsCodePageZero) {
  BootPageSpec spec;
  spec.collationId = 2150445;
  Parse(spec)->ApplyTo(TheApp());
  ASSERT_TRUE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collation.codePage, 0);
}

TEST_F(BootPageTest, ManualChoiceOverridesTheStoredId) {
  TheApp().settings.collationAuto = false;
  TheApp().settings.manualCollation = 53255;
  BootPageSpec spec;
  spec.collationId = kSqlLatin1Cp1;
  Parse(spec)->ApplyTo(TheApp());
  ASSERT_TRUE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collation.id, 53255);
  EXPECT_EQ(TheApp().collation.codePage, 1251);
  EXPECT_EQ(TheApp().collationName, "Cyrillic_General_CI_AS");
}

TEST_F(BootPageTest, ManualChoiceNotInTableLeavesCollationUnchangedAndIgnoresTheStoredId) {
  TheApp().settings.collationAuto = false;
  TheApp().settings.manualCollation = 0;  // the start value: not a collation
  BootPageSpec spec;
  spec.collationId = kSqlLatin1Cp1;  // would be found automatically
  Parse(spec)->ApplyTo(TheApp());
  EXPECT_FALSE(TheApp().collation.known);
  EXPECT_EQ(TheApp().collationName, "");
  // The version is still set.
  EXPECT_EQ(TheApp().sqlVersionText, " SQL Server 2019");
}

TEST_F(BootPageTest, ManualChoiceIsNotRetriedWithLowBits) {
  TheApp().settings.collationAuto = false;
  TheApp().settings.manualCollation = kLatin1_100_CiAs;
  BootPageSpec spec;
  Parse(spec)->ApplyTo(TheApp());
  EXPECT_FALSE(TheApp().collation.known);
}

// --- finding the boot page -------------------------------------------------

// A file of `pages` pages; page 9 (or `bootAt`) is a boot page built from
// `spec`; `shape` sets the other pages' headers.
class ReadBootPageTest : public BootPageTest {
 protected:
  std::unique_ptr<CDataFile> Open(Bytes image) {
    auto file = OpenDataFile(dir.Write("db.mdf", image), false, nullptr);
    EXPECT_TRUE(file->IsValid());
    return file;
  }
  static void PlacePage(Bytes& image, size_t physical, const Bytes& page) {
    ASSERT_LE((physical + 1) * 8192, image.size());
    std::memcpy(image.data() + physical * 8192, page.data(), 8192);
  }

  TempDir dir;
};

// Page 1 belongs to object 7 and sits in place.
void HealthyShape(uint32_t index, PageSpec& spec) {
  if (index == 1) {
    spec.owner = 7;
    spec.type = 1;
  }
}

TEST_F(ReadBootPageTest, HealthyFileReadsPage9) {
  Bytes image = MakeFileImage(24, HealthyShape);
  BootPageSpec spec;
  spec.formatVersion = 706;
  spec.databaseName = u"Healthy";
  PlacePage(image, 9, BuildBootPage(spec));
  auto file = Open(std::move(image));
  file->databaseName = "stale";
  EXPECT_EQ(BootPageDisplacement(*file), 0);
  auto boot = ReadBootPage(*file);
  ASSERT_NE(boot, nullptr);
  EXPECT_EQ(boot->formatVersion, 706);
  EXPECT_EQ(file->databaseName, "Healthy");
  EXPECT_EQ(TheApp().sqlVersionText, " SQL Server 2012");
  EXPECT_TRUE(TheApp().collation.known);
}

// The first page of object 7 is at physical 20 but says it is page 22.
void DisplacedShape(uint32_t index, PageSpec& spec) {
  if (index == 20) {
    spec.owner = 7;
    spec.type = 1;
    spec.pageNumber = 22;
  }
}

TEST_F(ReadBootPageTest, DisplacementMovesTheBootPosition) {
  Bytes image = MakeFileImage(30, DisplacedShape);
  BootPageSpec decoy;
  decoy.databaseName = u"Decoy";
  PlacePage(image, 9, BuildBootPage(decoy));
  BootPageSpec real;
  real.databaseName = u"Shifted";
  real.pageNumber = 9;
  PlacePage(image, 7, BuildBootPage(real));
  auto file = Open(std::move(image));
  EXPECT_EQ(BootPageDisplacement(*file), 2);
  ASSERT_NE(ReadBootPage(*file), nullptr);
  EXPECT_EQ(file->databaseName, "Shifted");
}

// No page of object 7; the first page of object 41 says it is page 10.
void Object41Shape(uint32_t index, PageSpec& spec) {
  if (index == 13) {
    spec.owner = 41;
    spec.type = 1;
    spec.pageNumber = 10;
  }
}

TEST_F(ReadBootPageTest, Object41StandsInForObject7) {
  Bytes image = MakeFileImage(30, Object41Shape);
  BootPageSpec spec;
  spec.databaseName = u"FromObject41";
  PlacePage(image, 12, BuildBootPage(spec));
  auto file = Open(std::move(image));
  ASSERT_EQ(file->systemPages.count(7), 0u);
  EXPECT_EQ(BootPageDisplacement(*file), -3);
  ASSERT_NE(ReadBootPage(*file), nullptr);
  EXPECT_EQ(file->databaseName, "FromObject41");
}

// Object 7 says it is page 100: boot position 9 - 99 is outside the file.
void FarShape(uint32_t index, PageSpec& spec) {
  if (index == 1) {
    spec.owner = 7;
    spec.type = 1;
    spec.pageNumber = 100;
  }
}

// Object 7 says it is page 10 at physical 1: boot position 0 is refused.
void ZeroShape(uint32_t index, PageSpec& spec) {
  if (index == 1) {
    spec.owner = 7;
    spec.type = 1;
    spec.pageNumber = 10;
  }
}

// Object 7 at physical 1 says it is page 0: boot position 10, past a
// 10-page file.
void PastEndShape(uint32_t index, PageSpec& spec) {
  if (index == 1) {
    spec.owner = 7;
    spec.type = 1;
    spec.pageNumber = 0;
  }
}

TEST_F(ReadBootPageTest, BootPositionOutsideTheFileReadsNothing) {
  struct Case {
    test::PageShaper shape;
    uint32_t pages;
  };
  for (const Case& c : {Case{FarShape, 24}, Case{ZeroShape, 24}, Case{PastEndShape, 10}}) {
    Bytes image = MakeFileImage(c.pages, c.shape);
    PlacePage(image, 9, BuildBootPage(BootPageSpec{}));
    auto file = Open(std::move(image));
    TheApp().sqlVersionText = "previous";
    TheApp().collation = {true, 53255, 1251};
    file->databaseName = "stale";
    EXPECT_EQ(ReadBootPage(*file), nullptr);
    EXPECT_EQ(file->databaseName, "");
    EXPECT_EQ(TheApp().sqlVersionText, "previous");
    EXPECT_EQ(TheApp().collation.id, 53255);
  }
}

TEST_F(ReadBootPageTest, NoSystemPageMeansNoDisplacement) {
  // Object 41 only in a page whose header names file 0: unreadable.
  Bytes image = MakeFileImage(24, [](uint32_t index, PageSpec& spec) {
    if (index == 3) {
      spec.owner = 41;
      spec.type = 1;
      spec.fileId = 0;
      spec.pageNumber = 5;
    }
  });
  BootPageSpec spec;
  spec.databaseName = u"AtNine";
  PlacePage(image, 9, BuildBootPage(spec));
  auto file = Open(std::move(image));
  EXPECT_EQ(BootPageDisplacement(*file), 0);
  ASSERT_NE(ReadBootPage(*file), nullptr);
  EXPECT_EQ(file->databaseName, "AtNine");
}

}  // namespace
}  // namespace brinehold
