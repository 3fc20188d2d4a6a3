// Read-only file access and the directory search for secondary files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/read_only_file.h"
#include "storage/page_stream.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

using test::TempDir;

TEST(ReadOnlyFile, OpensOnlyRegularFiles) {
  TempDir dir;
  ReadOnlyFile file;
  EXPECT_FALSE(file.Open(dir.Path("missing")));
  EXPECT_FALSE(file.Open(dir.MakeDir("sub")));
  EXPECT_FALSE(file.Open("/dev/null"));
  // A FIFO without a writer must neither open nor block.
  std::string fifo = dir.Path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(file.Open(fifo));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.ReadAt(0, nullptr, 0), 0u);
}

TEST(ReadOnlyFile, PositionalReadsAreShortAtTheEnd) {
  TempDir dir;
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  ReadOnlyFile file;
  ASSERT_TRUE(file.Open(dir.Write("f", bytes)));
  EXPECT_EQ(file.Length(), 1000u);

  uint8_t buffer[16] = {};
  EXPECT_EQ(file.ReadAt(990, buffer, sizeof buffer), 10u);
  EXPECT_EQ(buffer[0], bytes[990]);
  EXPECT_EQ(file.ReadAt(1000, buffer, sizeof buffer), 0u);
  EXPECT_EQ(file.ReadAt(UINT64_MAX, buffer, sizeof buffer), 0u);
  // Reads do not move a shared position.
  EXPECT_EQ(file.ReadAt(3, buffer, 1), 1u);
  EXPECT_EQ(buffer[0], bytes[3]);

  ReadOnlyFile moved = std::move(file);
  EXPECT_TRUE(moved.IsOpen());
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(moved.Length(), 1000u);
}

TEST(ReadOnlyFile, OpeningNeverChangesTheFile) {
  TempDir dir;
  std::string path = dir.Write("f", std::vector<uint8_t>(8192, 1));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  ReadOnlyFile file;
  EXPECT_TRUE(file.Open(path));
  EXPECT_EQ(test::ReadWholeFile(path), std::vector<uint8_t>(8192, 1));
}

TEST(ListFilesWithExtension, MatchesTheExtensionInAnyCaseAndSkipsDirectories) {
  TempDir dir;
  dir.Write("b.ndf", {1});
  dir.Write("a.NDF", {1});
  dir.Write("c.Ndf", {1});
  dir.Write("d.ndf.bak", {1});
  dir.Write(".ndf", {1});  // nothing before the extension
  dir.Write("endf", {1});
  dir.MakeDir("e.ndf");
  auto found = ListFilesWithExtension(dir.path(), ".ndf");
  EXPECT_EQ(found, (std::vector<std::string>{dir.Path("a.NDF"), dir.Path("b.ndf"), dir.Path("c.Ndf")}));
  EXPECT_EQ(ListFilesWithExtension(dir.path() + "/", ".ndf"), found);
  EXPECT_TRUE(ListFilesWithExtension(dir.Path("missing"), ".ndf").empty());
}

TEST(PageStream, YieldsWholePagesAndZeroFillsPastTheEnd) {
  TempDir dir;
  std::vector<uint8_t> bytes(3 * 8192 + 50, 0);
  for (size_t page = 0; page < 3; ++page) bytes[50 + page * 8192] = static_cast<uint8_t>(page + 1);
  ReadOnlyFile file;
  ASSERT_TRUE(file.Open(dir.Write("f", bytes)));
  // Four pages asked for from offset 50: the last one lies past the end.
  PageStream stream(file, 50, 1, 4);
  ByteReader page = stream.Next();
  ASSERT_EQ(page.size(), 8192u);
  EXPECT_EQ(stream.Index(), 1u);
  EXPECT_EQ(page.U8(0), 2);
  page = stream.Next();
  EXPECT_EQ(page.U8(0), 3);
  page = stream.Next();
  ASSERT_EQ(page.size(), 8192u);
  EXPECT_EQ(page.U8(0), 0);
  EXPECT_EQ(page.U8(8191), 0);
  EXPECT_TRUE(stream.Next().empty());
}

TEST(PageStream, CrossesReadChunks) {
  TempDir dir;
  const size_t pages = 300;  // more than the largest chunk, crossed at growing sizes
  std::vector<uint8_t> bytes(pages * 8192, 0);
  for (size_t i = 0; i < pages; ++i) bytes[i * 8192 + 8191] = static_cast<uint8_t>(i);
  ReadOnlyFile file;
  ASSERT_TRUE(file.Open(dir.Write("f", bytes)));
  PageStream stream(file, 0, 0, pages);
  size_t seen = 0;
  for (ByteReader page = stream.Next(); !page.empty(); page = stream.Next(), ++seen)
    ASSERT_EQ(page.U8(8191), static_cast<uint8_t>(seen));
  EXPECT_EQ(seen, pages);
}

}  // namespace
}  // namespace brinehold
