#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/delimited_text.h"
#include "platform/output_file.h"
#include "platform/safe_file_name.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

using test::ReadWholeFile;
using test::TempDir;

std::string ReadText(const std::string& path) {
  auto bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(ExportFilesTest, CsvJsonAndTsvFields) {
  const std::string nul("a\0b", 3);
  struct Case {
    std::string value, csv, json, tsv;
  } cases[] = {
      {"plain", "plain", "\"plain\"", "plain"},
      {"", "", "\"\"", ""},
      {"a,b", "\"a,b\"", "\"a,b\"", "a,b"},
      {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \\\"hi\\\"\"", "say \"hi\""},
      {"line\r\nend", "\"line\r\nend\"", "\"line\\r\\nend\"", "line\\r\\nend"},
      {nul, "\"" + nul + "\"", "\"a\\u0000b\"", "a\\0b"},
      {"tab\there\\", "tab\there\\", "\"tab\\there\\\\\"", "tab\\there\\\\"},
      {"caf\xC3\xA9 \xFF", "caf\xC3\xA9 \xFF", "\"caf\xC3\xA9 \xEF\xBF\xBD\"", "caf\xC3\xA9 \xFF"},
      // Control characters other than tab, CR and LF stay as they are.
      {"\x01\x0B\x0E]", "\x01\x0B\x0E]", "\"\\u0001\\u000b\\u000e]\"", "\x01\x0B\x0E]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CsvField(c.value), c.csv) << c.value;
    EXPECT_EQ(JsonString(c.value), c.json) << c.value;
    EXPECT_EQ(TsvField(c.value), c.tsv) << c.value;
  }
}

TEST(ExportFilesTest, HostileNamesStayOneComponent) {
  struct Case {
    std::string name, safe;
  } cases[] = {
      {"report.docx", "report.docx"},
      {"..", "_.."},
      {".", "_."},
      {"", "_"},
      {"../../etc/passwd", ".._.._etc_passwd"},
      {"/abs", "_abs"},
      {"C:\\Windows", "C__Windows"},
      {"a*b?c<d>e|f\"g", "a_b_c_d_e_f_g"},
      {"new\nline", "new_line"},
      {"CON", "_CON"},
      {"lpt1.txt", "_lpt1.txt"},
      {"COM10", "COM10"},
      {"trailing. . ", "trailing"},
      {"Документ 1.pdf", "Документ 1.pdf"},
  };
  for (const Case& c : cases) EXPECT_EQ(SafeFileName(c.name), c.safe) << c.name;

  const std::string longName = std::string(150, 'x') + "ä" + std::string(150, 'y') + ".docx";
  const std::string shortened = SafeFileName(longName);
  EXPECT_LE(shortened.size(), kMaxFileNameBytes);
  EXPECT_TRUE(shortened.ends_with(".docx"));
  EXPECT_EQ(shortened, SafeFileName(longName));
  EXPECT_NE(shortened, SafeFileName(std::string(150, 'x') + "ä" + std::string(151, 'y') + ".docx"));

  EXPECT_EQ(FolderPathParts("sites//Shared Documents\\a/../b/"),
            (std::vector<std::string>{"sites", "Shared Documents", "a", "_..", "b"}));

  NameAllocator names;
  EXPECT_EQ(names.Allocate("a.txt"), "a.txt");
  EXPECT_EQ(names.Allocate("A.txt"), "A (2).txt");
  EXPECT_EQ(names.Allocate("a (2).txt"), "a (2) (2).txt");
  EXPECT_EQ(names.Allocate("a.txt"), "a (3).txt");
  EXPECT_EQ(names.Allocate("noext"), "noext");
  EXPECT_EQ(names.Allocate("noext"), "noext (2)");
}

TEST(ExportFilesTest, OutputFileIsWholeOrAbsent) {
  TempDir dir;
  const std::string target = dir.Path("out.csv");
  std::string error;
  {
    auto file = OutputFile::Create(target, false, error);
    ASSERT_TRUE(file) << error;
    EXPECT_TRUE(file->Write("abandoned"));
  }
  EXPECT_FALSE(PathExists(target));  // no commit: nothing left, not even the temporary file
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  auto file = OutputFile::Create(target, false, error);
  ASSERT_TRUE(file);
  file->Write("one");
  ASSERT_TRUE(file->Commit()) << file->error();
  EXPECT_EQ(ReadText(target), "one");

  EXPECT_FALSE(OutputFile::Create(target, false, error));
  EXPECT_NE(error.find("already exists"), std::string::npos);
  auto again = OutputFile::Create(target, true, error);
  again->Write("two");
  ASSERT_TRUE(again->Commit());
  EXPECT_EQ(ReadText(target), "two");

  ASSERT_TRUE(MakeFolders(dir.Path("x/y/z"), error)) << error;
  EXPECT_FALSE(MakeFolders(dir.Path("out.csv/sub"), error));
}

TEST(ExportFilesTest, FailedWritesSayWhyAndLeaveNothing) {
  TempDir dir;
  std::string error;
  // A file size limit stands in for a full disk: the write fails the same way.
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  auto file = OutputFile::Create(dir.Path("big.bin"), false, error);
  ASSERT_TRUE(file);
  file->Write(std::string(3 << 20, 'x'));
  const bool committed = file->Commit();
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(committed);
  EXPECT_NE(file->error().find("big.bin"), std::string::npos) << file->error();
  file.reset();
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  if (geteuid() != 0) {  // root writes into read-only folders anyway
    chmod(dir.path().c_str(), 0555);
    EXPECT_FALSE(OutputFile::Create(dir.Path("denied"), false, error));
    EXPECT_NE(error.find("denied"), std::string::npos);
    chmod(dir.path().c_str(), 0755);
  }
}

}  // namespace
}  // namespace brinehold
