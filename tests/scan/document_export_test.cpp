#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/content_database.h"
#include "writer/sharepoint_sample.h"

namespace brinehold {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
  auto bytes = test::ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(DocumentExportTest, SampleDocumentsKeepTheirBytesPathsAndTimes) {
  test::TempDir dir;
  const std::string mdf = dir.Write("sample.mdf", writer::BuildSharePointSample().Build());
  const std::string out = dir.Path("docs");
  test::CliResult result = test::RunCli({"export", mdf, "--documents", "--to", out});
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;

  const auto large = writer::SampleLargeDocumentContent();
  EXPECT_EQ(ReadText(out + "/Shared Documents/Reports/Annual Report.pdf"), std::string(large.begin(), large.end()));
  EXPECT_EQ(ReadText(out + "/Shared Documents/Welcome.txt").size(), 41u);
  struct stat info {};
  ASSERT_EQ(stat((out + "/Shared Documents/Welcome.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtime, 1579169040);  // its TimeLastModified, 2020-01-16 10:04:00
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(out)) files += entry.is_regular_file();
  EXPECT_NE(result.out.find(": " + std::to_string(files - 1) + " documents,"), std::string::npos) << result.out;

  // A second export into the same folder keeps every file and says so.
  test::CliResult again = test::RunCli({"export", mdf, "--documents", "--to", out});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.out.find("already exists"), std::string::npos);
}

// Every version of every file, in both layouts: AllDocStreams rows by
// InternalVersion (2010), DocStreams pieces shared between versions as
// DocsToStreams names them (2013); earlier versions carry their version in
// the name.
TEST(DocumentExportTest, AllVersionsInBothLayouts) {
  const writer::ContentModel model = writer::SampleContent();
  for (auto layout : {writer::ContentLayout::SharePoint2010, writer::ContentLayout::SharePoint2013}) {
    SCOPED_TRACE(layout == writer::ContentLayout::SharePoint2010 ? "2010" : "2013");
    test::TempDir dir;
    const std::string mdf = dir.Write("content.mdf", writer::BuildContentDatabase(model, layout).Build());
    const std::string out = dir.Path("docs");
    test::CliResult result = test::RunCli({"export", mdf, "--documents", "--all-versions", "--to", out});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    int versions = 0;
    for (const writer::ContentDoc& doc : model.docs) {
      if (!doc.IsFile() || doc.versions < 2) continue;
      const std::string folder = out + "/" + doc.dirName + "/";
      const std::string stem = doc.leafName.substr(0, doc.leafName.rfind('.'));
      const std::string extension = doc.leafName.substr(doc.leafName.rfind('.'));
      EXPECT_EQ(ReadText(folder + doc.leafName), std::string(doc.content.begin(), doc.content.end()));
      for (int32_t v = 1; v < doc.versions; ++v, ++versions) {
        const auto bytes = writer::EarlierVersionContent(doc, v);
        EXPECT_EQ(ReadText(folder + stem + " (v" + std::to_string(v) + ".0)" + extension),
                  std::string(bytes.begin(), bytes.end()));
      }
    }
    EXPECT_EQ(versions, 3);
  }
}

}  // namespace
}  // namespace brinehold
