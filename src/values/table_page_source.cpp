#include "values/table_page_source.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "storage/allocation_unit_pages.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "storage/iam_page.h"
#include "storage/inventory_page_list.h"
#include "storage/page_sequence.h"
#include "storage/unit_page_check.h"

namespace brinehold {
namespace {

bool StopRequested() { return TheApp().stopRequested; }

// Hands a new page list to `list`, which may keep it without a copy.
bool Hand(const PageSequenceConsumer& list, PageSource source, PageSequence pages) {
  return list(source, pages);
}

bool NonZero(PageAddress address) { return address.fileId != 0 && address.pageNumber != 0; }

// Inventory entries read per step of a list that filters them: each read
// costs a page header (and a PFS page now and then).
constexpr size_t kInventoryPagesPerStep = 256;

// The pages of `pages` that `keep` accepts, read a step at a time; zero
// addresses and pages listed before are skipped unread.
PageSequence::Source FilteredInventoryPages(InventoryPageList pages, std::function<bool(PageAddress)> keep) {
  return [pages = std::move(pages), keep = std::move(keep), cursor = InventoryPageList::Cursor{},
          step = std::vector<PageAddress>{}](const PageRunSet& listed, std::vector<PageAddress>& batch) mutable {
    step.clear();
    const bool more = pages.Next(cursor, kInventoryPagesPerStep, step);
    for (const PageAddress& page : step) {
      if (StopRequested()) return false;
      if (!NonZero(page) || listed.Contains(page)) continue;
      if (keep(page)) batch.push_back(page);
    }
    return more;
  };
}

// Whether a page of the kind `check` finds is listed: live pages, and
// those the table freed while deleted rows are shown.
std::function<bool(PageAddress)> KeepUnitPages(const CDataFile& file, UnitPageCheck::OwnerTest isUnitOwner,
                                               bool withFreed) {
  auto check = std::make_shared<UnitPageCheck>(file);
  return [check, isUnitOwner = std::move(isUnitOwner), withFreed](PageAddress page) {
    const UnitPageKind kind = check->Check(page, isUnitOwner);
    return kind == UnitPageKind::Live || (kind == UnitPageKind::Freed && withFreed);
  };
}

// Pages a table has freed are read only for their deleted rows.
UnitPages KeptUnitPages() {
  return TheApp().settings.showDeleted ? UnitPages::LiveAndFreed : UnitPages::Live;
}

// Which page owners are the table's, for the pages the inventory filed
// under it. The inventory files pages by the object id of their headers
// alone, and on SQL Server 2005 and later that is only a part of the
// allocation unit id: units of other objects (a system table's clustered
// index, id 1, beside a user table's unit, id 256) share it. So a page is
// the table's when its header names one of the table's units, as the
// allocation-map walk decides (data pages of a clustered index name index
// 0), or the table's own object id with the index id of its data (0 or 1:
// files upgraded from SQL Server 2000, whose units are object and index
// id). The SQL Server 2000 layout files pages by table.
UnitPageCheck::OwnerTest InventoryOwnerTest(const TableSchema& schema) {
  std::vector<PageOwner> units;
  for (const AllocationUnitRow& unit : schema.allocationUnits)
    units.push_back(PageOwner::OfAllocationUnit(unit.allocationUnitId));
  const int32_t objectId = schema.currentObject.objectId;
  const bool byTable = TheApp().settings.legacyCatalog;
  return [units = std::move(units), objectId, byTable](const PageOwner& named, uint8_t type) {
    if (named.objectId == objectId && (byTable || named.indexId == 0 || named.indexId == 1)) return true;
    return std::any_of(units.begin(), units.end(),
                       [&](const PageOwner& unit) { return IsUnitOwner(unit, named, type); });
  };
}

// Whether a header names `unit`, the unit a partition is listed from: the
// unit itself as the allocation-map walk decides, or, in files upgraded
// from SQL Server 2000, the table's object id with index id 0 or 1.
UnitPageCheck::OwnerTest UnitOwnerTest(const AllocationUnitRow& unit, int32_t objectId) {
  const PageOwner owner = PageOwner::OfAllocationUnit(unit.allocationUnitId);
  return [owner, objectId](const PageOwner& named, uint8_t type) {
    return IsUnitOwner(owner, named, type) || (named.objectId == objectId && (named.indexId == 0 || named.indexId == 1));
  };
}

// The same for the units of every partition.
UnitPageCheck::OwnerTest PartitionsOwnerTest(const TableSchema& schema) {
  std::vector<UnitPageCheck::OwnerTest> tests;
  for (const TablePartition& partition : schema.partitions)
    tests.push_back(UnitOwnerTest(partition.inRowUnit, schema.currentObject.objectId));
  return [tests = std::move(tests)](const PageOwner& named, uint8_t type) {
    return std::any_of(tests.begin(), tests.end(), [&](const auto& test) { return test(named, type); });
  };
}

UnitPageCheck::OwnerTest DataPagesOf(UnitPageCheck::OwnerTest isUnitOwner) {
  return [isUnitOwner = std::move(isUnitOwner)](const PageOwner& named, uint8_t pageType) {
    return pageType == kDataPageType && isUnitOwner(named, pageType);
  };
}

// The catalog's own in-row allocation unit row of the rowset (the last
// one, as the schema takes it) exists and names no page at all.
bool CatalogSaysEmpty(const CDatabaseCatalog& catalog, int64_t rowsetId) {
  const AllocationUnitRow* unit = nullptr;
  for (const AllocationUnitRow& row : catalog.allocationUnits)
    if (row.ownerId == rowsetId && row.type == 1) unit = &row;
  return unit && unit->firstPage.pageNumber == 0 && unit->rootPage.pageNumber == 0 &&
         unit->firstIamPage.pageNumber == 0;
}

// A damaged file (pages that failed verification, or pages that lie at
// another place than their header names) may have lost an IAM page or a
// link of a page chain, and with it the way to pages that are still whole.
// The inventory knows those pages by the owner their headers name: the ones
// a walk missed are added after the walk's pages when they are the unit's
// own and live (freed ones while deleted rows are shown), so damage to the
// pages that point at rows does not take the rows with it. A healthy file
// lists exactly what the walk found.
class MissedPageRecovery {
 public:
  MissedPageRecovery(const CDatabaseCatalog& catalog, UnitPageCheck::OwnerTest isUnitOwner)
      : catalog_(catalog), isUnitOwner_(std::move(isUnitOwner)),
        damageSeen_(catalog.dataFile->verification.FoundDamage()) {}

  // The table's own pointers are damaged (whatever the file's pass found).
  void NoteDamage() { damageSeen_ = true; }
  bool DamageSeen() const { return damageSeen_; }

  // `list` with the pages the walk missed read after each page list.
  PageSequenceConsumer Around(const PageSequenceConsumer& list) {
    return [this, list](PageSource source, PageSequence& pages) {
      if (damageSeen_)
        pages.Append(FilteredInventoryPages(catalog_.tableSchema.tablePages,
                                            KeepUnitPages(*catalog_.dataFile, isUnitOwner_,
                                                          KeptUnitPages() == UnitPages::LiveAndFreed)));
      return list(source, pages);
    };
  }

 private:
  const CDatabaseCatalog& catalog_;
  UnitPageCheck::OwnerTest isUnitOwner_;
  bool damageSeen_;
};

enum class IamChainState { Whole, Broken, Foreign };

// Whether the unit's IAM chain is as the catalog says: its first page is an
// IAM page that names the unit, and the chain ends with a zero pointer. A
// first page naming another unit (a damaged or displaced page) is not read
// at all: its extents hold another table's rows.
IamChainState CheckIamChain(const CDataFile& file, PageAddress firstIam, const AllocationUnitRow& unit,
                            const UnitPageCheck::OwnerTest& isUnitOwner) {
  const std::vector<PageAddress> chain = WalkIamChain(file, firstIam);
  if (chain.empty()) return IamChainState::Broken;
  auto first = file.ReadPageHeader(chain.front());
  auto last = file.ReadPageHeader(chain.back());
  if (!first || !last) return IamChainState::Broken;
  // Units the catalog does not list (type 255) have no id to compare with.
  if (unit.type != 255 && !isUnitOwner(PageOwner::Of(*first), first->pageType))
    return IamChainState::Foreign;
  return last->nextPage.pageNumber == 0 ? IamChainState::Whole : IamChainState::Broken;
}

// How the pages of one partition (of a table that is not partitioned: of
// the table) are chosen: allocation maps, the page chain of a heap, or the
// inventory when the unit names no IAM page.
struct PartitionPages {
  const CDatabaseCatalog& catalog;
  const RowsetRow& rowset;
  const AllocationUnitRow& unit;
  UnitPageCheck::OwnerTest isUnitOwner;

  PageSource List(MissedPageRecovery& recovery, const PageSequenceConsumer& list) const;
};

}  // namespace

bool IsValidPageAddress(const CDataFile& file, PageAddress address) {
  if (address.pageNumber <= 0) return false;
  const int16_t fileId = address.fileId == 0 ? int16_t{1} : address.fileId;
  return static_cast<uint64_t>(address.pageNumber) < PageCountOfFile(file, fileId);
}

PageSequence AllocationMapPages(const CDataFile& file, PageAddress firstIam) {
  // Every page the maps list: each is checked where it is read.
  return IamChainPages(file, firstIam);
}

UnitPageCheck::OwnerTest ListedPageOwnerTest(const CDatabaseCatalog& catalog, PageSource source) {
  const ScanSettings& settings = TheApp().settings;
  if (source != PageSource::AllocationMaps || settings.legacyCatalog || settings.IsAdvanced() || !catalog.dataFile)
    return {};
  // The owner the unit's IAM pages name (what the walk compares a page
  // with), or the unit itself (what the missed-page recovery adds); of
  // every partition's unit when the table has several.
  const TableSchema& schema = catalog.tableSchema;
  std::vector<PageOwner> iamOwners;
  std::vector<UnitPageCheck::OwnerTest> unitTests;
  auto addUnit = [&](const AllocationUnitRow& unit) {
    if (const std::optional<PageOwner> owner = IamChainOwner(*catalog.dataFile, unit.firstIamPage))
      iamOwners.push_back(*owner);
    unitTests.push_back(UnitOwnerTest(unit, schema.currentObject.objectId));
  };
  if (schema.partitions.size() > 1) {
    for (const TablePartition& partition : schema.partitions) addUnit(partition.inRowUnit);
  } else {
    addUnit(schema.currentAllocationUnit);
  }
  return [iamOwners = std::move(iamOwners), unitTests = std::move(unitTests)](const PageOwner& named, uint8_t type) {
    return std::any_of(iamOwners.begin(), iamOwners.end(),
                       [&](const PageOwner& owner) { return IsUnitOwner(owner, named, type); }) ||
           std::any_of(unitTests.begin(), unitTests.end(), [&](const auto& test) { return test(named, type); });
  };
}

std::vector<PageAddress> PagesFromPageChain(const CDataFile& file, PageAddress first) {
  std::vector<PageAddress> pages;
  if (NonZero(first)) pages.push_back(first);
  std::set<PageAddress> visited;
  PageAddress current = first;
  while (current.pageNumber != 0 && !StopRequested()) {
    // A chain that leads back to an earlier page would never end.
    if (!visited.insert(current).second) break;
    auto header = file.ReadPageHeader(current);
    if (!header) break;
    const PageAddress next = header->nextPage;
    if (NonZero(next) && header->pageType == kDataPageType) {
      if (visited.count(next)) break;
      pages.push_back(next);
    }
    current = next;
  }
  return pages;
}

std::vector<PageAddress> PagesFromCheckedPageChain(const CDataFile& file, PageAddress first) {
  std::vector<PageAddress> pages;
  std::set<int32_t> visited;
  PageAddress current = first;
  while (current.pageNumber != 0 && !StopRequested()) {
    auto page = file.ReadDataPage(current);
    if (!page) break;
    if (NonZero(current)) {
      if (!visited.insert(current.pageNumber).second) break;
      pages.push_back(current);
    }
    current = page->Header().nextPage;
  }
  return pages;
}

PageSequence InventoryPageSequence(const CDatabaseCatalog& catalog) {
  const TableSchema& schema = catalog.tableSchema;
  if (!catalog.dataFile) return PageSequence(FilteredInventoryPages(schema.tablePages, [](PageAddress) { return true; }));
  return PageSequence(FilteredInventoryPages(
      schema.tablePages, KeepUnitPages(*catalog.dataFile, InventoryOwnerTest(schema),
                                       KeptUnitPages() == UnitPages::LiveAndFreed)));
}

namespace {

PageSource PartitionPages::List(MissedPageRecovery& recovery, const PageSequenceConsumer& list) const {
  const CDataFile& file = *catalog.dataFile;
  // A table whose in-row allocation unit the catalog lists without any
  // page is empty. The schema then takes pages from the inventory by owner
  // id, but those are pages of deallocated data that still carry the old
  // owner id; listing them would show rows the table no longer has.
  if (CatalogSaysEmpty(catalog, rowset.rowsetId)) return PageSource::None;

  const PageAddress firstIam = unit.firstIamPage;
  const PageAddress firstPage = unit.firstPage;
  if (firstIam.pageNumber <= 0) {
    Hand(list, PageSource::Inventory, InventoryPageSequence(catalog));
    return PageSource::Inventory;
  }
  bool iamValid = IsValidPageAddress(file, firstIam);
  const IamChainState chain = iamValid ? CheckIamChain(file, firstIam, unit, isUnitOwner) : IamChainState::Broken;
  if (chain != IamChainState::Whole) recovery.NoteDamage();
  if (chain == IamChainState::Foreign) iamValid = false;
  if (rowset.indexId == 0) {
    if (iamValid) {
      if (Hand(list, PageSource::AllocationMaps, AllocationMapPages(file, firstIam)))
        return PageSource::AllocationMaps;
      if (!IsValidPageAddress(file, firstPage)) return PageSource::AllocationMaps;
    }
    Hand(list, PageSource::PageChain, PageSequence(PagesFromPageChain(file, firstPage)));
    return PageSource::PageChain;
  }
  if (!iamValid) {
    if (!recovery.DamageSeen()) return PageSource::None;
    Hand(list, PageSource::Inventory, PageSequence());
    return PageSource::Inventory;
  }
  Hand(list, PageSource::AllocationMaps, AllocationMapPages(file, firstIam));
  return PageSource::AllocationMaps;
}

// A partitioned table: each partition's pages as for a table of one
// partition, handed on as one list in partition order, so that paging and
// row counts run over the whole table. A heap partition whose allocation
// maps give no page is read along its page chain.
PageSource ListPartitionedTablePages(CDatabaseCatalog& catalog, const PageSequenceConsumer& listFound) {
  const TableSchema& schema = catalog.tableSchema;
  MissedPageRecovery recovery(catalog, DataPagesOf(PartitionsOwnerTest(schema)));
  std::vector<PageAddress> all;
  PageSource used = PageSource::None;
  for (const TablePartition& partition : schema.partitions) {
    if (StopRequested()) break;
    std::vector<PageAddress> found;
    const PartitionPages pages{catalog, partition.rowset, partition.inRowUnit,
                               UnitOwnerTest(partition.inRowUnit, schema.currentObject.objectId)};
    const PageSource source = pages.List(recovery, [&found](PageSource, PageSequence& list) {
      found = list.TakeAll();
      return !found.empty();
    });
    if (source == PageSource::None) continue;
    // Pages from allocation maps are checked where they are read, against
    // the owners of every partition; the other sources' pages pass that too.
    if (used != PageSource::AllocationMaps) used = source;
    all.insert(all.end(), found.begin(), found.end());
  }
  if (used == PageSource::None) return used;
  PageSequence sequence(std::move(all));
  recovery.Around(listFound)(used, sequence);
  return used;
}

}  // namespace

PageSource ListTablePageSequences(CDatabaseCatalog& catalog, const PageSequenceConsumer& list) {
  const ScanSettings& settings = TheApp().settings;
  if (settings.IsAdvanced()) {
    Hand(list, PageSource::Inventory, InventoryPageSequence(catalog));
    return PageSource::Inventory;
  }
  return settings.legacyCatalog ? ListLegacyTablePages(catalog, list) : ListModernTablePages(catalog, list);
}

PageSource ListTablePages(CDatabaseCatalog& catalog, const PageListConsumer& list) {
  return ListTablePageSequences(catalog, [&list](PageSource source, PageSequence& pages) {
    std::vector<PageAddress> all = pages.TakeAll();
    return list(source, all);
  });
}

PageSource ListLegacyTablePages(CDatabaseCatalog& catalog, const PageSequenceConsumer& listFound) {
  const TableSchema& schema = catalog.tableSchema;
  const CDataFile& file = *catalog.dataFile;
  const int32_t objectId = schema.currentObject.objectId;
  // SQL Server 2000 data pages name the table's object id and index id 0.
  MissedPageRecovery recovery(catalog, [objectId](const PageOwner& named, uint8_t pageType) {
    return named.objectId == objectId && named.indexId == 0 && pageType == kDataPageType;
  });
  const PageSequenceConsumer list = recovery.Around(listFound);
  auto entry = catalog.legacyIndexes.find(objectId);
  if (entry != catalog.legacyIndexes.end() && !TheApp().settings.IsAdvanced()) {
    Hand(list, PageSource::CheckedPageChain,
         PageSequence(PagesFromCheckedPageChain(file, PageAddress{entry->second.fileId, entry->second.firstPage})));
    return PageSource::CheckedPageChain;
  }
  auto iams = file.iamPages.find(objectId);
  if (iams == file.iamPages.end() || iams->second.empty() ||
      !IsValidPageAddress(file, iams->second.front().Address())) {
    // Every table with pages has IAM pages: without them, its data pages
    // are found by their owner alone.
    if (schema.tablePages.empty()) return PageSource::None;
    recovery.NoteDamage();
    Hand(list, PageSource::Inventory, PageSequence());
    return PageSource::Inventory;
  }
  Hand(list, PageSource::AllocationMaps, PageSequence(ListInventoryIamPages(file, objectId, KeptUnitPages())));
  return PageSource::AllocationMaps;
}

PageSource ListModernTablePages(CDatabaseCatalog& catalog, const PageSequenceConsumer& listFound) {
  const TableSchema& schema = catalog.tableSchema;
  if (schema.partitions.size() > 1) return ListPartitionedTablePages(catalog, listFound);
  PartitionPages partition{catalog, schema.currentRowset, schema.currentAllocationUnit,
                           UnitOwnerTest(schema.currentAllocationUnit, schema.currentObject.objectId)};
  MissedPageRecovery recovery(catalog, DataPagesOf(partition.isUnitOwner));
  return partition.List(recovery, recovery.Around(listFound));
}

}  // namespace brinehold
