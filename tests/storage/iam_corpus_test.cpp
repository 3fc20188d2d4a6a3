// Allocation maps against real SQL Server files: every IAM chain the page
// inventory reaches lists only pages that exist and that belong to the
// chain's owner.
#include <gtest/gtest.h>

#include <set>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "catalog/database_catalog.h"
#include "storage/allocation_unit_pages.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "storage/iam_page.h"
#include "support/corpus.h"

namespace brinehold {
namespace {

class IamCorpusTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }
};

// The first IAM page of every allocation unit the catalog knows (SQL Server
// 2000: sysindexes' FirstIAM). Stale IAM pages of dropped units still lie in
// the file with their old owner ids, so only the catalog's chains are live.
std::vector<PageAddress> LiveFirstIamPages(const CDatabaseCatalog& catalog) {
  std::vector<PageAddress> firsts;
  for (const AllocationUnitRow& unit : catalog.allocationUnits)
    if (!unit.firstIamPage.IsNull()) firsts.push_back(unit.firstIamPage);
  if (!TheApp().settings.legacyCatalog) return firsts;
  for (const auto& [objectId, entry] : catalog.legacyIndexes)
    if (entry.firstIamPage > 0) firsts.push_back(PageAddress{entry.fileId > 0 ? entry.fileId : int16_t{1}, entry.firstIamPage});
  return firsts;
}

// What the page free space map says: whether `page` is allocated. The PFS
// page of the first 8088 pages is page 1, later ones every 8088 pages; its
// byte for a page lies at 100 + the page's index in its range, bit 0x40.
bool AllocatedInPfs(const CDataFile& file, PageAddress page) {
  constexpr int32_t kPagesPerPfs = 8088;
  const int32_t range = page.pageNumber / kPagesPerPfs;
  auto pfs = file.ReadPage(PageAddress{page.fileId, range == 0 ? 1 : range * kPagesPerPfs});
  if (!pfs) return false;
  return (ByteReader(*pfs).GetOr<uint8_t>(100 + static_cast<size_t>(page.pageNumber % kPagesPerPfs), 0) & 0x40) != 0;
}

bool InInventory(const CDataFile& file, PageAddress address) {
  for (const auto& [owner, entries] : file.iamPages)
    for (const PageEntry& entry : entries)
      if (entry.Address() == address) return true;
  return false;
}

TEST_F(IamCorpusTest, EveryLiveChainListsItsOwnersPagesOnly) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    TheApp().ResetForTests();
    HeadlessWindow window;
    auto file = OpenDataFile(path, false, &window);
    ASSERT_TRUE(file->IsValid());
    auto catalog = BuildCatalog(*file);
    size_t chains = 0, listed = 0;
    std::vector<std::string> failures;
    for (const PageAddress& first : LiveFirstIamPages(*catalog)) {
      const std::string where = "chain " + first.ToString();
      auto chain = WalkIamChain(*file, first);
      if (chain.empty()) {
        failures.push_back(where + ": first page is no IAM page");
        continue;
      }
      ++chains;
      for (const PageAddress& iamAddress : chain)
        if (!InInventory(*file, iamAddress)) failures.push_back(where + ": IAM page " + iamAddress.ToString() + " not in the inventory");
      const int32_t owner = file->ReadIamPage(first)->Header().ownerObjectId;
      std::set<PageAddress> seen;
      for (const PageAddress& page : ListIamChainPages(*file, first)) {
        ++listed;
        if (!seen.insert(page).second) failures.push_back(where + ": page " + page.ToString() + " listed twice");
        auto header = file->ReadPageHeader(page);
        if (!header) {
          failures.push_back(where + ": page " + page.ToString() + " unreadable");
          continue;
        }
        // An allocated extent's pages that the unit has not taken yet may
        // be zero or hold stale pages of earlier owners.
        if (header->ownerObjectId != owner && AllocatedInPfs(*file, page))
          failures.push_back(where + ": page " + page.ToString() + " type " + std::to_string(header->pageType) +
                             " owned by " + std::to_string(header->ownerObjectId) + ", not " + std::to_string(owner));
      }
    }
    EXPECT_GT(chains, 0u);
    EXPECT_GT(listed, 0u);
    EXPECT_TRUE(failures.empty()) << failures.size() << " failures, first: " << failures.front()
                                  << (failures.size() > 1 ? "; second: " + failures[1] : std::string());
    std::printf("%s: %zu chains, %zu pages\n", path.c_str(), chains, listed);
  }
}

// The rows on a user table's pages, found through its in-row IAM chain,
// number exactly what sysrowsets counts for it: stale pages that still carry
// the table's owner id are not among the pages the allocation map lists.
TEST_F(IamCorpusTest, TableRowsThroughTheAllocationMapsMatchTheRowCounts) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  size_t tables = 0;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    TheApp().ResetForTests();
    HeadlessWindow window;
    auto file = OpenDataFile(path, false, &window);
    ASSERT_TRUE(file->IsValid());
    auto catalog = BuildCatalog(*file);
    if (TheApp().settings.legacyCatalog) continue;  // sysindexes keeps no row count here
    for (const ObjectRow& object : catalog->objects) {
      if (object.type != "U ") continue;
      for (const RowsetRow& rowset : catalog->rowsets) {
        if (rowset.objectId != object.objectId || rowset.indexId > 1) continue;
        for (const AllocationUnitRow& unit : catalog->allocationUnits) {
          if (unit.type != 1 || unit.ownerId != rowset.rowsetId) continue;
          int64_t rows = 0;
          std::set<PageAddress> seen;
          auto iam = file->ReadIamPage(unit.firstIamPage);
          for (const PageAddress& address : ListIamChainPages(*file, unit.firstIamPage)) {
            auto page = file->ReadDataPage(address);
            if (!iam || !page || page->Header().pageType != kDataPageType ||
                page->Header().ownerObjectId != iam->Header().ownerObjectId)
              continue;
            for (size_t i = 0; i < page->OwnSlotCount() && i < page->RecordCount(); ++i) {
              const CPrimaryRecord* record = page->Record(i);
              if (record && !record->invalid && !record->hidden &&
                  (record->recordType == kPrimaryRecordType || record->recordType == kForwardedRecordType))
                ++rows;
            }
          }
          ++tables;
          EXPECT_EQ(rows, rowset.rowCount) << object.name;
        }
      }
    }
  }
  std::printf("%zu tables counted\n", tables);
}

}  // namespace
}  // namespace brinehold
