// Snapshot files: the bytes of a small snapshot written out by hand, round
// trips of every header field and of inventories (owners with empty lists,
// negative owner ids), and snapshots that are truncated, malformed or no
// longer fit their data file.
#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "storage/data_file.h"
#include "storage/snapshot_file.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

using test::ReadWholeFile;
using test::TempDir;

constexpr uint64_t kFileLength = 163840;  // 20 pages

// A data file as the open leaves it, without a file behind it.
std::unique_ptr<CDataFile> InventoriedFile() {
  auto file = std::make_unique<CDataFile>();
  file->path = "/data/x.mdf";
  file->fileLength = kFileLength;
  file->pageCount = kFileLength / kPageSize;
  file->systemPages = {{7, {{1, 9, 13}}}, {34, {}}};
  file->dataPages = {{-5, {{1, 17, 1}}}, {7, {{1, 9, 1}, {2, 3, 1}}}};
  file->inventoryFileLengths = {{1, kFileLength}};
  return file;
}

SnapshotHeader ManualHeader() {
  SnapshotHeader header;
  header.mdfPath = "C:\\x.mdf";
  header.advanced = true;
  header.collationAuto = false;
  header.manualCollation = 53256;
  header.showDeleted = true;
  return header;
}

// What InventoriedFile() and ManualHeader() are saved as.
const Bytes kExpected = {
    0x10, 0, 0, 0,                                                   // path length 16
    'C', 0, ':', 0, '\\', 0, 'x', 0, '.', 0, 'm', 0, 'd', 0, 'f', 0,  // UTF-16LE, no terminator
    1,                                                               // Advanced
    0,                                                               // manual collation
    0x08, 0xD0, 0, 0, 0, 0, 0, 0,                                    // its id
    0, 1, 0,                                                         // legacy, deleted, advanced deleted
    // systemPages: two owners; 7 with one entry, 34 with none
    2, 0, 0, 0, 0, 0, 0, 0,
    7, 0, 0, 0, 1, 0, 0, 0, 1, 0, 9, 0, 0, 0, 13, 0, 0, 0,
    34, 0, 0, 0, 0, 0, 0, 0,
    // dataPages: owner -5 before 7; entries in list order
    2, 0, 0, 0, 0, 0, 0, 0,
    0xFB, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 1, 0, 17, 0, 0, 0, 1, 0, 0, 0,
    7, 0, 0, 0, 2, 0, 0, 0, 1, 0, 9, 0, 0, 0, 1, 0, 0, 0, 2, 0, 3, 0, 0, 0, 1, 0, 0, 0,
    // iamPages: none
    0, 0, 0, 0, 0, 0, 0, 0,
    // file lengths: file 1 was 163840 bytes
    'F', 'I', 'L', 'E', 'L', 'E', 'N', '1', 1, 0, 0, 0, 1, 0, 0x00, 0x80, 0x02, 0, 0, 0, 0, 0};
constexpr size_t kSectionsEnd = 129;  // where the file-length record starts

std::unique_ptr<CDataFile> Load(const std::string& path, std::string& failure, uint64_t length = kFileLength) {
  auto file = std::make_unique<CDataFile>();
  file->path = "/data/x.mdf";
  file->fileLength = length;
  file->pageCount = length / kPageSize;
  bool loaded = LoadSnapshotInventory(path, *file, failure);
  EXPECT_EQ(loaded, failure.empty());
  return file;
}

TEST(SnapshotFileTest, WritesTheLayoutByteForByte) {
  TempDir dir;
  const std::string path = dir.Path("x.MDBVTL");
  ASSERT_TRUE(WriteSnapshotFile(path, ManualHeader(), *InventoriedFile()));
  EXPECT_EQ(ReadWholeFile(path), kExpected);
  ASSERT_EQ(std::string(kExpected.begin() + kSectionsEnd, kExpected.begin() + kSectionsEnd + 8), "FILELEN1");
  // Nothing is left beside it.
  EXPECT_TRUE(ReadWholeFile(path + ".partial").empty());
}

TEST(SnapshotFileTest, EveryHeaderFieldAndTheInventoryComeBack) {
  SnapshotHeader automatic;
  automatic.mdfPath = "/srv/données/WSS_Content.mdf";
  SnapshotHeader manualNegative = ManualHeader();
  manualNegative.manualCollation = -2;
  manualNegative.legacyCatalog = true;
  manualNegative.showAdvancedDeleted = true;
  SnapshotHeader emptyPath;
  emptyPath.collationAuto = false;
  for (const SnapshotHeader& header : {automatic, manualNegative, ManualHeader(), emptyPath}) {
    SCOPED_TRACE(header.mdfPath);
    TempDir dir;
    const std::string path = dir.Path("s.MDBVTL");
    auto original = InventoriedFile();
    ASSERT_TRUE(WriteSnapshotFile(path, header, *original));
    // The optional collation id shifts everything after it by 8 bytes.
    EXPECT_EQ(ReadWholeFile(path).size(),
              kExpected.size() - 16 - 8 + 2 * Utf8ToUtf16(header.mdfPath).size() + (header.collationAuto ? 0 : 8));
    std::string failure;
    auto read = ReadSnapshotHeader(path, failure);
    ASSERT_TRUE(read) << failure;
    EXPECT_EQ(*read, header);
    auto loaded = Load(path, failure);
    EXPECT_EQ(loaded->systemPages, original->systemPages);
    EXPECT_EQ(loaded->dataPages, original->dataPages);
    EXPECT_EQ(loaded->iamPages, original->iamPages);
    EXPECT_EQ(loaded->inventoryFileLengths, original->inventoryFileLengths);
  }
}

TEST(SnapshotFileTest, EveryTruncationFailsCleanly) {
  TempDir dir;
  for (size_t size = 0; size < kExpected.size(); ++size) {
    if (size == kSectionsEnd) continue;  // a snapshot without the file-length record
    SCOPED_TRACE(size);
    const std::string path = dir.Write("cut.MDBVTL", Bytes(kExpected.begin(), kExpected.begin() + size));
    std::string failure;
    auto file = Load(path, failure);
    EXPECT_EQ(failure.rfind(kTextSnapshotDamaged, 0), 0u) << failure;
    EXPECT_TRUE(file->systemPages.empty() && file->dataPages.empty() && file->iamPages.empty());
    if (size < 33) {
      EXPECT_FALSE(ReadSnapshotHeader(path, failure));
    }
  }
}

TEST(SnapshotFileTest, MalformedSnapshotsNameTheirFault) {
  struct Case {
    const char* name;
    size_t at;
    Bytes bytes;  // written over kExpected at `at`; appended when at == size
    const char* reason;
  };
  const Case cases[] = {
      {"path longer than the file", 0, {0xF0, 0xFF, 0xFF, 0x7F}, "the path is longer than the file"},
      {"odd path length", 0, {0x0F}, "the path length is odd"},
      {"flag byte 2", 20, {2}, "a flag byte is neither 0 nor 1"},
      {"owner count above the data", 33, {0xFF}, "a count is larger than the data that follows"},
      {"owner count's high half", 37, {1}, "a count is larger than the data that follows"},
      {"entry count above the data", 45, {0xFF, 0xFF}, "a count is larger than the data that follows"},
      {"owners out of order", 41, {40}, "owner ids are not in ascending order"},
      {"owner named twice", 59, {7}, "owner ids are not in ascending order"},
      {"entry of file 0", 49, {0}, "a page entry names no page"},
      {"negative page number", 54, {0x80}, "a page entry names no page"},
      {"page type above 255", 55, {0, 1}, "a page entry names no page"},
      {"unknown record after the inventory", kSectionsEnd, {'X'}, "unknown bytes follow the inventory"},
      {"bytes after the file lengths", kExpected.size(), {0}, "unknown bytes follow the inventory"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = kExpected;
    if (c.at == bytes.size()) bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.end());
    else std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<ptrdiff_t>(c.at));
    const std::string path = dir.Write("bad.MDBVTL", bytes);
    std::string failure;
    auto file = Load(path, failure);
    EXPECT_EQ(failure, std::string(kTextSnapshotDamaged) + c.reason + "): " + path);
    EXPECT_TRUE(file->systemPages.empty() && file->dataPages.empty());
  }
}

TEST(SnapshotFileTest, ADataFileThatChangedSizeIsRefused) {
  TempDir dir;
  const std::string whole = dir.Write("whole.MDBVTL", kExpected);
  // Without the file-length record only pages past the end give it away.
  const std::string bare = dir.Write("bare.MDBVTL", Bytes(kExpected.begin(), kExpected.begin() + kSectionsEnd));
  const std::string changed = std::string(kTextSnapshotDataFileChanged) + "/data/x.mdf";
  struct Case {
    const std::string* path;
    uint64_t length;
    bool loads;
  };
  for (const Case& c : {Case{&whole, kFileLength, true}, Case{&whole, kFileLength + kPageSize, false},
                        Case{&whole, kFileLength - 1, false}, Case{&bare, kFileLength + kPageSize, true},
                        Case{&bare, 17 * kPageSize, false}, Case{&bare, 18 * kPageSize, true}}) {
    SCOPED_TRACE(*c.path + " " + std::to_string(c.length));
    std::string failure;
    auto file = Load(*c.path, failure, c.length);
    EXPECT_EQ(failure, c.loads ? "" : changed);
    EXPECT_EQ(file->dataPages.empty(), !c.loads);
  }
  std::string failure;
  Load(dir.Path("absent.MDBVTL"), failure);
  EXPECT_EQ(failure, kTextSnapshotCannotOpen + dir.Path("absent.MDBVTL"));
}

TEST(SnapshotFileTest, AFailedSaveKeepsTheSnapshotItWouldReplace) {
  TempDir dir;
  const std::string path = dir.Write("keep.MDBVTL", kExpected);
  // The temporary file cannot be created where a directory stands.
  dir.MakeDir("keep.MDBVTL.partial");
  EXPECT_FALSE(WriteSnapshotFile(path, SnapshotHeader(), *InventoriedFile()));
  EXPECT_EQ(ReadWholeFile(path), kExpected);
  EXPECT_FALSE(WriteSnapshotFile(dir.Path("missing/s.MDBVTL"), SnapshotHeader(), *InventoriedFile()));
}

}  // namespace
}  // namespace brinehold
