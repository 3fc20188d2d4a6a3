// Opening a primary data file: alignment probe, page inventory, page reads,
// the stop flag, and the messages the open sends.
#include <gtest/gtest.h>

#include <algorithm>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "support/page_bytes.h"
#include "support/temp_dir.h"

namespace brinehold {
namespace {

using test::MakeFileImage;
using test::MakePage;
using test::PageLayout;
using test::SmallDatabaseShape;
using test::TempDir;

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  std::unique_ptr<CDataFile> Open(const std::vector<uint8_t>& image) {
    return OpenDataFile(dir.Write("db.mdf", image), false, &window);
  }

  // The page number stored in the header of the page read at `page`.
  int32_t StoredNumber(const CDataFile& file, int32_t page) {
    auto header = file.ReadPageHeader({1, page});
    return header ? header->thisPage.pageNumber : -1;
  }

  TempDir dir;
  HeadlessWindow window;
};

// --- alignment probe -------------------------------------------------------

TEST_F(DataFileTest, BytesAppendedAtTheEndReadFromOffsetZero) {
  auto file = Open(MakeFileImage(20, SmallDatabaseShape, 0, 100));
  ASSERT_TRUE(file->IsValid());
  EXPECT_EQ(file->pageCount, 20u);
  EXPECT_EQ(file->baseOffset, 0u);
  EXPECT_EQ(StoredNumber(*file, 9), 9);
  EXPECT_EQ(StoredNumber(*file, 19), 19);
}

TEST_F(DataFileTest, JunkPrependedKeepsTheRemainderAsBaseOffset) {
  auto file = Open(MakeFileImage(20, SmallDatabaseShape, 4096, 0));
  ASSERT_TRUE(file->IsValid());
  EXPECT_EQ(file->pageCount, 20u);
  EXPECT_EQ(file->baseOffset, 4096u);
  EXPECT_EQ(StoredNumber(*file, 9), 9);
  EXPECT_EQ(StoredNumber(*file, 1), 1);
  // The inventory was built in the same alignment.
  ASSERT_EQ(file->systemPages.count(7), 1u);
  EXPECT_EQ(file->systemPages.at(7).front(), (PageEntry{1, 1, 1}));
  EXPECT_EQ(file->dataPages.at(1000).size(), 18u);
}

TEST_F(DataFileTest, ProbeReportsWhichAlignmentHoldsPagesInPlace) {
  struct Case {
    size_t before, after;
    bool nonePlaced;
    uint64_t baseOffset;
  } cases[] = {{0, 100, false, 0}, {4096, 0, false, 4096}, {0, 0, false, 0}, {100, 0, false, 100}};
  for (const Case& c : cases) {
    std::string path = dir.Write("probe.mdf", MakeFileImage(12, SmallDatabaseShape, c.before, c.after));
    ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path));
    uint64_t remainder = file.Length() % 8192;
    uint64_t baseOffset = remainder;
    EXPECT_EQ(ProbeAlignment(file, file.Length(), file.Length() / 8192, remainder, baseOffset, nullptr),
              c.nonePlaced)
        << "before=" << c.before << " after=" << c.after;
    EXPECT_EQ(baseOffset, c.baseOffset) << "before=" << c.before << " after=" << c.after;
  }
}

TEST_F(DataFileTest, FileOfZerosKeepsRemainderAndFails) {
  std::vector<uint8_t> zeros(20 * 8192 + 100, 0);
  std::string path = dir.Write("zeros.mdf", zeros);
  {
    ReadOnlyFile file;
    ASSERT_TRUE(file.Open(path));
    uint64_t baseOffset = 100;
    EXPECT_TRUE(ProbeAlignment(file, file.Length(), 20, 100, baseOffset, nullptr));
    EXPECT_EQ(baseOffset, 100u);
  }
  auto file = OpenDataFile(path, false, &window);
  EXPECT_FALSE(file->IsValid());
  EXPECT_EQ(file->baseOffset, 100u);
  auto state = window.Snapshot();
  ASSERT_EQ(state.errorBoxes.size(), 1u);
  EXPECT_EQ(state.errorBoxes[0], kTextNotValidMdf);
}

TEST_F(DataFileTest, LengthMultipleOfPageSizeAlwaysReadsFromZero) {
  // No page carries its own number, but there is no remainder to skip.
  auto image = MakeFileImage(16, [](uint32_t i, PageLayout& s) {
    s.pageNumber = i + 1000;
    s.owner = i == 3 ? 5 : 0;
  });
  auto file = Open(image);
  ASSERT_TRUE(file->IsValid());
  EXPECT_EQ(file->baseOffset, 0u);
  EXPECT_EQ(file->systemPages.at(5).front().Address(), (PageAddress{1, 3}));
}

TEST_F(DataFileTest, SinglePageFileScansPageZeroOnly) {
  PageLayout blueprint;
  blueprint.owner = 7;
  blueprint.type = 1;
  auto file = Open(MakePage(blueprint));
  ASSERT_TRUE(file->IsValid());
  EXPECT_EQ(file->pageCount, 1u);
  EXPECT_EQ(file->baseOffset, 0u);
  EXPECT_EQ(file->systemPages.at(7), (std::vector<PageEntry>{{1, 0, 1}}));
  // Page 0 is never handed out, and there is no page 1.
  EXPECT_FALSE(file->ReadPage({1, 0}));
  EXPECT_FALSE(file->ReadPage({1, 1}));
}

// --- failures --------------------------------------------------------------

TEST_F(DataFileTest, UnopenableOrShortFilesFailWithTheirOwnText) {
  struct Case {
    std::string path;
    const char* text;
  } cases[] = {
      {dir.Path("missing.mdf"), kTextCannotOpen},
      {dir.MakeDir("folder.mdf"), kTextCannotOpen},
      {dir.Write("short.mdf", std::vector<uint8_t>(8191, 0x11)), kTextNotValidMdf},
      {dir.Write("empty.mdf", {}), kTextNotValidMdf},
  };
  for (const Case& c : cases) {
    window.Clear();
    auto file = OpenDataFile(c.path, false, &window);
    EXPECT_FALSE(file->IsValid()) << c.path;
    EXPECT_EQ(file->path, c.path);
    auto messages = window.Messages();
    // The failure is the only message: no probe, no inventory pass.
    ASSERT_EQ(messages.size(), 1u) << c.path;
    EXPECT_EQ(messages[0].id, UM_SCAN_FAILED);
    EXPECT_EQ(messages[0].text, c.text);
    EXPECT_FALSE(file->ReadPage({1, 1}));
  }
}

TEST_F(DataFileTest, NoSystemPageMeansInvalid) {
  auto file = Open(MakeFileImage(10, [](uint32_t, PageLayout& s) {
    s.owner = 5000;
    s.type = 1;
  }));
  EXPECT_FALSE(file->IsValid());
  EXPECT_EQ(file->dataPages.at(5000).size(), 10u);
  EXPECT_EQ(window.Snapshot().errorBoxes, std::vector<std::string>{kTextNotValidMdf});
}

// --- inventory -------------------------------------------------------------

TEST_F(DataFileTest, InventorySortsPagesIntoTheThreeMaps) {
  auto file = Open(MakeFileImage(12, [](uint32_t i, PageLayout& s) {
    switch (i) {
      case 1: s.owner = 7; s.type = 1; break;    // system table with data pages
      case 2: s.owner = 99; s.type = 11; break;  // allocation page
      case 3: s.owner = 2187; s.type = 10; break;
      case 4: s.owner = 1000; s.type = 10; break;
      case 5: s.owner = 1000; s.type = 1; s.fileId = 0; break;
      case 6: s.owner = 9; s.type = 1; break;    // not a base system table
      case 7: s.owner = -4; s.type = 1; break;   // negative owners are ignored
      case 8: s.owner = 1000; s.type = 2; break; // index page: no map
      default: break;
    }
  }));
  ASSERT_TRUE(file->IsValid());
  EXPECT_EQ(file->systemPages.at(7), (std::vector<PageEntry>{{1, 1, 1}}));
  EXPECT_EQ(file->dataPages.at(7), (std::vector<PageEntry>{{1, 1, 1}}));
  EXPECT_EQ(file->systemPages.at(99), (std::vector<PageEntry>{{1, 2, 11}}));
  EXPECT_EQ(file->systemPages.at(2187), (std::vector<PageEntry>{{1, 3, 10}}));
  EXPECT_EQ(file->iamPages.at(2187), (std::vector<PageEntry>{{1, 3, 10}}));
  EXPECT_EQ(file->iamPages.at(1000), (std::vector<PageEntry>{{1, 4, 10}}));
  // The header's file id is kept, even when it is wrong.
  EXPECT_EQ(file->dataPages.at(1000), (std::vector<PageEntry>{{0, 5, 1}}));
  EXPECT_EQ(file->dataPages.at(9), (std::vector<PageEntry>{{1, 6, 1}}));
  EXPECT_EQ(file->systemPages.count(9), 0u);
  EXPECT_EQ(file->dataPages.count(-4), 0u);
  EXPECT_EQ(file->systemPages.size(), 3u);
  EXPECT_EQ(file->dataPages.size(), 3u);
}

TEST_F(DataFileTest, InventoryRecordsPhysicalPositionNotHeaderNumber) {
  auto file = Open(MakeFileImage(10, [](uint32_t i, PageLayout& s) {
    if (i == 4) {
      s.owner = 7;
      s.type = 1;
      s.pageNumber = 77;  // the header lies about where the page is
    }
  }));
  ASSERT_TRUE(file->IsValid());
  EXPECT_EQ(file->systemPages.at(7).front().Address(), (PageAddress{1, 4}));
}

TEST_F(DataFileTest, RebuildDoesNotDoubleAnyList) {
  auto file = Open(MakeFileImage(12, [](uint32_t i, PageLayout& s) {
    s.owner = i == 1 ? 7 : 1000;
    s.type = i == 2 ? 10 : 1;
  }));
  ASSERT_TRUE(file->IsValid());
  auto system = file->systemPages, data = file->dataPages, iam = file->iamPages;
  ASSERT_TRUE(file->BuildPageInventory());
  EXPECT_EQ(file->systemPages, system);
  EXPECT_EQ(file->dataPages, data);
  EXPECT_EQ(file->iamPages, iam);
}

// --- page reads ------------------------------------------------------------

TEST_F(DataFileTest, ReadPageChecksEveryBound) {
  auto file = Open(MakeFileImage(20, SmallDatabaseShape, 0, 100));
  ASSERT_TRUE(file->IsValid());
  EXPECT_FALSE(file->ReadPage({1, 0}));
  EXPECT_FALSE(file->ReadPage({1, -1}));
  EXPECT_FALSE(file->ReadPage({1, 20}));
  EXPECT_FALSE(file->ReadPage({1, INT32_MAX}));
  EXPECT_FALSE(file->ReadPage({0, 5}));
  EXPECT_FALSE(file->ReadPage({-1, 5}));
  EXPECT_FALSE(file->ReadPage({5, 5}));  // no such secondary file
  EXPECT_FALSE(file->ReadPageHeader({1, 20}));

  auto last = file->ReadPage({1, 19});
  ASSERT_TRUE(last);
  ASSERT_EQ(last->size(), kPageBufferSize);
  EXPECT_EQ(last->back(), 0);
  EXPECT_EQ(ByteReader(*last).U32(32), 19u);
}

TEST_F(DataFileTest, HeaderReadsRestoreTornBitsOnlyInTheKeptBuffer) {
  auto image = MakeFileImage(12, SmallDatabaseShape);
  PageLayout blueprint;
  blueprint.pageNumber = 5;
  blueprint.owner = 1000;
  blueprint.type = 1;
  blueprint.flagBits = 0x100;
  blueprint.tornBits = 0xFFFFFFFF;
  blueprint.fill = 0x10;
  auto torn = MakePage(blueprint);
  std::copy(torn.begin(), torn.end(), image.begin() + 5 * 8192);
  auto file = Open(image);
  ASSERT_TRUE(file->IsValid());

  auto header = file->ReadPageHeader({1, 5});
  ASSERT_TRUE(header);
  EXPECT_TRUE(header->UsesTornBits());
  EXPECT_TRUE(file->currentPageBuffer.empty());
  // A plain read hands out the page as it is on disk.
  EXPECT_EQ((*file->ReadPage({1, 5}))[1023], 0x10);

  ASSERT_TRUE(file->ReadPageHeaderKeep({1, 5}));
  ASSERT_EQ(file->currentPageBuffer.size(), kPageBufferSize);
  EXPECT_EQ(file->currentPageBuffer[1023], 0x13);
  EXPECT_EQ(file->currentPageBuffer[511], 0x10);
}

// --- stop flag and messages ------------------------------------------------

TEST_F(DataFileTest, StopDuringInventoryKeepsWhatWasFound) {
  int positionsInPass = 0;
  bool mapping = false;
  window.observer = [&](const WindowMessage& m) {
    if (m.id == UM_STATUS_TEXT) mapping = m.text == kTextMapping;
    if (mapping && m.id == UM_PROGRESS_POS && ++positionsInPass == 3) TheApp().stopRequested = true;
  };
  auto file = Open(MakeFileImage(1000, SmallDatabaseShape));
  // Page 1 (a system page) was met before the stop.
  EXPECT_TRUE(file->IsValid());
  ASSERT_EQ(file->dataPages.count(1000), 1u);
  size_t found = file->dataPages.at(1000).size();
  EXPECT_GT(found, 0u);
  EXPECT_LT(found, 100u);
  // The open clears the flag at its end.
  EXPECT_FALSE(TheApp().stopRequested);
}

TEST_F(DataFileTest, StopBeforeAnySystemPageFailsTheOpen) {
  window.observer = [&](const WindowMessage& m) {
    if (m.id == UM_STATUS_TEXT && m.text == kTextMapping) TheApp().stopRequested = true;
  };
  auto file = Open(MakeFileImage(50, SmallDatabaseShape));
  EXPECT_FALSE(file->IsValid());
  EXPECT_TRUE(file->systemPages.empty());
  EXPECT_FALSE(TheApp().stopRequested);
}

TEST_F(DataFileTest, MessagesComeInOrderWithAboutAHundredPositions) {
  auto file = Open(MakeFileImage(1000, [](uint32_t i, PageLayout& s) {
    s.owner = i == 1 ? 7 : 0;
    s.pageNumber = 0;  // no page in place: the probe walks the whole file
  }));
  ASSERT_TRUE(file->IsValid());
  auto messages = window.Messages();

  // Summarise: statuses and resets in order, positions counted per phase.
  std::vector<std::string> outline;
  std::vector<int> positions;
  int64_t last = -1;
  for (const WindowMessage& m : messages) {
    if (m.id == UM_STATUS_TEXT) {
      outline.push_back(m.text);
      positions.push_back(0);
      last = -1;
    } else if (m.id == UM_PROGRESS_RESET) {
      outline.push_back("reset " + std::to_string(m.wParam) + ".." + std::to_string(m.lParam));
      last = -1;
    } else if (m.id == UM_PROGRESS_POS) {
      EXPECT_GE(m.wParam, last) << "progress goes backwards";
      last = m.wParam;
      if (!positions.empty()) ++positions.back();
    } else {
      ADD_FAILURE() << "unexpected " << WindowMessageName(m.id);
    }
  }
  EXPECT_EQ(outline, (std::vector<std::string>{kTextCheckingCorruption, "reset 0..1000", kTextCheckingDone,
                                                "reset 0..1000", kTextMapping, kTextMappingDone}));
  // Probe: positions 0, every tenth index, the end; inventory: every tenth
  // page and the end.
  ASSERT_EQ(positions.size(), 4u);
  EXPECT_GE(positions[0], 95);
  EXPECT_LE(positions[0], 105);
  EXPECT_GE(positions[2], 95);
  EXPECT_LE(positions[2], 105);

  // The inventory pass starts at 0 before its status text and ends at the count.
  auto reset = std::find_if(messages.begin() + 1, messages.end(),
                            [](const WindowMessage& m) { return m.id == UM_PROGRESS_RESET; });
  ASSERT_NE(reset, messages.end());
  EXPECT_EQ(reset[1].id, UM_PROGRESS_POS);
  EXPECT_EQ(reset[1].wParam, 0);
  EXPECT_EQ(messages[messages.size() - 2].id, UM_PROGRESS_POS);
  EXPECT_EQ(messages[messages.size() - 2].wParam, 1000);
  EXPECT_EQ(window.Snapshot().statusLine, kTextMappingDone);
}

TEST(SystemOwnerIds, PrimaryAndSecondarySetsDiffer) {
  for (int32_t id : {1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 20, 21, 34, 41, 50, 53, 54, 55, 60, 74, 99, 2187})
    EXPECT_TRUE(IsPrimarySystemOwner(id)) << id;
  for (int32_t id : {0, 9, 10, 12, 100, 2186, -7}) EXPECT_FALSE(IsPrimarySystemOwner(id)) << id;
  for (int32_t id : {3, 4, 5, 7, 8, 13, 34, 41, 50, 54, 55, 60, 74}) EXPECT_TRUE(IsSecondarySystemOwner(id)) << id;
  for (int32_t id : {1, 2, 6, 14, 20, 21, 53, 99, 2187}) EXPECT_FALSE(IsSecondarySystemOwner(id)) << id;
}

}  // namespace
}  // namespace brinehold
