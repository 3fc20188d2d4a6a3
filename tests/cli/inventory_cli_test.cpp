// `brinehold inventory` and the tool's help, run as a separate program.
#include <gtest/gtest.h>

#include <random>

#include "storage/data_file.h"
#include "support/corpus.h"
#include "support/page_bytes.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

using test::RunCli;
using test::TempDir;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

TEST(InventoryCommand, PrintsOneRowPerOwnerThenTheGeometry) {
  TempDir dir;
  std::string path = dir.Write("db.mdf", test::MakeFileImage(20, [](uint32_t i, test::PageLayout& s) {
    if (i == 1) { s.owner = 7; s.type = 1; }
    if (i == 2) { s.owner = 1000; s.type = 10; }
    if (i >= 3) { s.owner = 1000; s.type = 1; }
  }, 4096));
  auto result = RunCli({"inventory", path});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Lines(result.out), (std::vector<std::string>{"owner\tsystem\tdata\tiam", "7\t1\t1\t0",
                                                          "1000\t0\t17\t1", "pages=20 baseOffset=4096"}));
  // Status texts arrive on stderr; progress is not drawn on a pipe.
  EXPECT_NE(result.err.find(kTextCheckingCorruption), std::string::npos);
  EXPECT_NE(result.err.find(kTextMappingDone), std::string::npos);
  EXPECT_EQ(result.err.find('\r'), std::string::npos);
  EXPECT_EQ(result.err.find('%'), std::string::npos);
}

TEST(InventoryCommand, BadInputGetsAClearMessageAndExitOne) {
  TempDir dir;
  std::mt19937 random(20261209);
  std::vector<uint8_t> noise(64 * 8192 + 13);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  auto truncated = test::MakeFileImage(20, test::SmallDatabaseShape);
  truncated.resize(8192 + 4000);  // page 0 and part of the system page

  struct Case {
    const char* what;
    std::string path;
    const char* message;
  } cases[] = {
      {"missing", dir.Path("missing.mdf"), kTextCannotOpen},
      {"directory", dir.MakeDir("dir.mdf"), kTextCannotOpen},
      {"short", dir.Write("short.mdf", std::vector<uint8_t>(5000, 0x33)), kTextNotValidMdf},
      {"empty", dir.Write("empty.mdf", {}), kTextNotValidMdf},
      {"zeros", dir.Write("zeros.mdf", std::vector<uint8_t>(40 * 8192, 0)), kTextNotValidMdf},
      {"truncated", dir.Write("truncated.mdf", truncated), kTextNotValidMdf},
      {"random", dir.Write("random.mdf", noise), kTextNotValidMdf},
  };
  for (const Case& c : cases) {
    auto result = RunCli({"inventory", c.path});
    EXPECT_EQ(result.exitCode, 1) << c.what << ": " << result.err;
    EXPECT_EQ(result.signal, 0) << c.what;
    EXPECT_EQ(result.out, "") << c.what;
    auto lines = Lines(result.err);
    ASSERT_FALSE(lines.empty()) << c.what;
    EXPECT_EQ(lines.back(), c.message) << c.what;
  }
}

TEST(InventoryCommand, UsageErrorsExitTwo) {
  EXPECT_EQ(RunCli({"inventory"}).exitCode, 2);
  EXPECT_EQ(RunCli({"inventory", "a.mdf", "b.mdf"}).exitCode, 2);
  auto unknown = RunCli({"inventory", "--fast", "a.mdf"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("--fast"), std::string::npos);
  EXPECT_EQ(RunCli({"frobnicate"}).exitCode, 2);
  EXPECT_EQ(RunCli({}).exitCode, 2);
}

TEST(Help, ListsCommandsAndExplainsOne) {
  auto help = RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("inventory FILE [--advanced]"), std::string::npos);
  auto one = RunCli({"help", "inventory"});
  EXPECT_EQ(one.exitCode, 0);
  EXPECT_NE(one.out.find("usage: brinehold inventory FILE"), std::string::npos);
  EXPECT_EQ(RunCli({"inventory", "--help"}).out, one.out);
  auto none = RunCli({"help", "nothing"});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_NE(none.err.find("nothing"), std::string::npos);
}

TEST(InventoryCommand, CorpusFilesOpen) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& path : {files.front(), files.back()}) {
    auto result = RunCli({"inventory", path, "--advanced"});
    EXPECT_EQ(result.exitCode, 0) << path << ": " << result.err;
    auto lines = Lines(result.out);
    ASSERT_GE(lines.size(), 3u) << path;
    EXPECT_EQ(lines.front(), "owner\tsystem\tdata\tiam");
    EXPECT_EQ(lines.back().rfind("pages=", 0), 0u);
    EXPECT_NE(lines.back().find(" baseOffset=0"), std::string::npos);
  }
}

}  // namespace
}  // namespace brinehold
