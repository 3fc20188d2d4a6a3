// The synthetic boot page: laid out like the boot pages of real files, and
// read back through a whole synthetic database file.
#include <gtest/gtest.h>

#include "platform/read_only_file.h"
#include "session/app_state.h"
#include "storage/boot_page.h"
#include "storage/data_file.h"
#include "support/corpus.h"
#include "support/temp_dir.h"
#include "writer/boot_page_builder.h"
#include "writer/file_builder.h"

namespace brinehold {
namespace {

using writer::BootPageLayout;

TEST(BootPageBuilderTest, LayoutMatchesRealBootPagesOfTheSameVersion) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path));
    Bytes real(8192, 0);
    ASSERT_EQ(file.ReadAt(9 * 8192, real.data(), real.size()), real.size());
    ByteReader r(real);

    BootPageLayout blueprint;
    blueprint.formatVersion = r.GetOr<uint16_t>(100, 0);
    Bytes built = writer::BuildBootPage(blueprint);
    ByteReader b(built);
    // Page type, owner, slot count, free data offset (which follows from the
    // record length) and the record header.
    for (size_t offset : {1, 22, 24, 30, 96, 98}) {
      size_t width = offset == 1 ? 1 : offset == 24 ? 4 : 2;
      EXPECT_EQ(b.UInt(offset, width), r.UInt(offset, width)) << "offset " << offset;
    }
    // Real pages with torn-page protection keep their record elsewhere in
    // the slot array; the others point slot 0 at 96 as the builder does.
    if ((r.GetOr<uint16_t>(4, 0) & 0x100) == 0) {
      EXPECT_EQ(r.GetOr<uint16_t>(8190, 0), 96);
    }
    EXPECT_EQ(b.GetOr<uint16_t>(8190, 0), 96);
  }
}

TEST(BootPageBuilderTest, BootRecordPlacedInASyntheticFileIsReadBack) {
  TheApp().ResetForTests();
  CollationTable saved = TheApp().collations;
  TheApp().collations = {{53249, {"Arabic_CI_AS", 1256}}};

  writer::DatabaseFileBuilder builder(24);
  builder.Page(16, 1, 7).AddRecord(Bytes(20, 0));  // a page of object 7, in place
  BootPageLayout blueprint;
  blueprint.formatVersion = 782;
  blueprint.databaseName = u"project";
  blueprint.padding = u' ';
  blueprint.collationId = 53249;
  writer::PlaceBootRecord(builder.Page(9), blueprint);
  test::TempDir dir;
  std::string path = dir.Path("synthetic.mdf");
  ASSERT_TRUE(builder.WriteTo(path));

  auto file = OpenDataFile(path, false, nullptr);
  ASSERT_TRUE(file->IsValid());
  auto boot = ReadBootPage(*file);
  ASSERT_NE(boot, nullptr);
  EXPECT_EQ(boot->formatVersion, 782);
  EXPECT_EQ(file->databaseName, "project");
  EXPECT_EQ(TheApp().sqlVersionText, " SQL Server 2014");
  EXPECT_EQ(TheApp().collationName, "Arabic_CI_AS");
  EXPECT_EQ(TheApp().collation.codePage, 1256);

  TheApp().ResetForTests();
  TheApp().collations = saved;
}

}  // namespace
}  // namespace brinehold
