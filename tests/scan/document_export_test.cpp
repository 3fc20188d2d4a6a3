#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/run_cli.h"
#include "support/temp_dir.h"
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
  EXPECT_EQ(info.st_mtime, 1580745810);  // TimeLastModified 2020-02-03 16:03:30
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(out)) files += entry.is_regular_file();
  EXPECT_NE(result.out.find(": " + std::to_string(files - 1) + " documents,"), std::string::npos) << result.out;

  // A second export into the same folder keeps every file and says so.
  test::CliResult again = test::RunCli({"export", mdf, "--documents", "--to", out});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.out.find("already exists"), std::string::npos);
}

}  // namespace
}  // namespace brinehold
