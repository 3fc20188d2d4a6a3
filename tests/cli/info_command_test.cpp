// `brinehold info`: run as a program, on a synthetic file, on a file that
// does not open, and on every real file of the corpus against its manifest.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "support/page_bytes.h"
#include "support/temp_dir.h"
#include "writer/boot_page_builder.h"

namespace brinehold {
namespace {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::map<std::string, std::string> fields;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs `brinehold info PATH`, stdout captured, stderr to `errPath`.
RunResult RunInfo(const std::string& path, const std::string& errPath) {
  RunResult result;
  std::string command = Quote(BRINEHOLD_CLI_PATH) + " info " + Quote(path) + " 2>" + Quote(errPath);
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    size_t tab = line.find('\t');
    if (tab != std::string::npos) result.fields[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return result;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(InfoCommandTest, SyntheticFileReportsItsBootPage) {
  test::TempDir dir;
  std::vector<uint8_t> image = test::MakeFileImage(16, test::SmallDatabaseShape, 512);
  writer::BootPageLayout blueprint;
  blueprint.formatVersion = 957;
  blueprint.databaseName = u"Synthetic Db";
  blueprint.collationId = 53280;  // Vietnamese_CI_AS
  std::vector<uint8_t> boot = writer::BuildBootPage(blueprint);
  std::copy(boot.begin(), boot.end(), image.begin() + 512 + 9 * 8192);
  RunResult run = RunInfo(dir.Write("db.mdf", image), dir.Path("err"));
  ASSERT_EQ(run.exitCode, 0) << ReadText(dir.Path("err"));
  EXPECT_EQ(run.out,
            "format_version\t957\n"
            "version_name\t SQL Server 2022\n"
            "database_name\tSynthetic Db\n"
            "collation_id\t53280\n"
            "collation_name\tVietnamese_CI_AS\n"
            "code_page\t1258\n"
            "pages\t16\n"
            "base_offset\t512\n");
}

TEST(InfoCommandTest, UnknownVersionAndCollationStayVisibleAsRawNumbers) {
  test::TempDir dir;
  std::vector<uint8_t> image = test::MakeFileImage(16, test::SmallDatabaseShape);
  writer::BootPageLayout blueprint;
  blueprint.formatVersion = 998;
  blueprint.collationId = -5;
  std::vector<uint8_t> boot = writer::BuildBootPage(blueprint);
  std::copy(boot.begin(), boot.end(), image.begin() + 9 * 8192);
  RunResult run = RunInfo(dir.Write("db.mdf", image), dir.Path("err"));
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.fields["format_version"], "998");
  EXPECT_EQ(run.fields["version_name"], "Unknown SQL Version");
  EXPECT_EQ(run.fields["collation_id"], "-5");
  EXPECT_EQ(run.fields["collation_name"], "");
  EXPECT_EQ(run.fields["code_page"], "");
}

TEST(InfoCommandTest, FileThatDoesNotOpenExitsOneWithTheOpenMessage) {
  test::TempDir dir;
  RunResult missing = RunInfo(dir.Path("absent.mdf"), dir.Path("err1"));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(ReadText(dir.Path("err1")).find("File cannot be open..........."), std::string::npos);

  RunResult tiny = RunInfo(dir.Write("tiny.mdf", std::vector<uint8_t>(100, 0)), dir.Path("err2"));
  EXPECT_EQ(tiny.exitCode, 1);
  EXPECT_NE(ReadText(dir.Path("err2")).find("Wheteher File is not valid mdf file or file is highly corrupted"),
            std::string::npos);
}

// MANIFEST.tsv lies one directory above the data files.
std::map<std::string, std::map<std::string, std::string>> ReadManifest() {
  std::map<std::string, std::map<std::string, std::string>> rows;
  std::ifstream in(test::CorpusDir() + "/../MANIFEST.tsv");
  std::string line;
  std::vector<std::string> columns;
  auto split = [](const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1)
      parts.push_back(text.substr(start, tab - start));
    parts.push_back(text.substr(start));
    return parts;
  };
  if (!std::getline(in, line)) return rows;
  columns = split(line);
  while (std::getline(in, line)) {
    auto parts = split(line);
    std::map<std::string, std::string> row;
    for (size_t i = 0; i < columns.size() && i < parts.size(); ++i) row[columns[i]] = parts[i];
    rows[row["file"]] = row;
  }
  return rows;
}

TEST(InfoCommandCorpusTest, EveryRealFileReportsItsManifestVersionNameAndAKnownCollation) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  auto manifest = ReadManifest();
  ASSERT_FALSE(manifest.empty()) << "MANIFEST.tsv not found beside " << test::CorpusDir();
  test::TempDir dir;
  size_t checked = 0;
  for (const std::string& path : files) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    auto row = manifest.find(name);
    if (row == manifest.end()) continue;  // e.g. an .ndf: no boot page of its own
    SCOPED_TRACE(name);
    RunResult run = RunInfo(path, dir.Path("err"));
    ASSERT_EQ(run.exitCode, 0) << ReadText(dir.Path("err"));
    EXPECT_EQ(run.fields["format_version"], row->second.at("format_version"));
    EXPECT_EQ(run.fields["database_name"], row->second.at("db_name"));
    EXPECT_FALSE(run.fields["collation_name"].empty()) << "collation id " << run.fields["collation_id"];
    EXPECT_FALSE(run.fields["code_page"].empty());
    int version = std::stoi(run.fields["format_version"]);
    if (version == 998) {
      EXPECT_EQ(run.fields["version_name"], "Unknown SQL Version");
    } else {
      EXPECT_EQ(run.fields["version_name"].rfind(" SQL Server ", 0), 0u) << run.fields["version_name"];
    }
    ++checked;
  }
  EXPECT_EQ(checked, manifest.size());
}

}  // namespace
}  // namespace brinehold
