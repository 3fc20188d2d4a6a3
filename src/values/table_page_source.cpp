#include "values/table_page_source.h"

#include <set>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "storage/allocation_unit_pages.h"
#include "storage/data_file.h"
#include "storage/data_page.h"
#include "storage/iam_page.h"
#include "storage/unit_page_check.h"

namespace brinehold {
namespace {

bool StopRequested() { return TheApp().stopRequested; }

bool NonZero(PageAddress address) { return address.fileId != 0 && address.pageNumber != 0; }

// Pages a table has freed are read only for their deleted rows.
UnitPages KeptUnitPages() {
  return TheApp().settings.showDeleted ? UnitPages::LiveAndFreed : UnitPages::Live;
}

// The catalog's own in-row allocation unit row of the current rowset (the
// last one, as the schema takes it) exists and names no page at all.
bool CatalogSaysEmpty(const CDatabaseCatalog& catalog) {
  const TableSchema& schema = catalog.tableSchema;
  const AllocationUnitRow* unit = nullptr;
  for (const AllocationUnitRow& row : catalog.allocationUnits)
    if (row.ownerId == schema.currentRowset.rowsetId && row.type == 1) unit = &row;
  return unit && unit->firstPage.pageNumber == 0 && unit->rootPage.pageNumber == 0 &&
         unit->firstIamPage.pageNumber == 0;
}

}  // namespace

bool IsValidPageAddress(const CDataFile& file, PageAddress address) {
  if (address.pageNumber <= 0) return false;
  const int16_t fileId = address.fileId == 0 ? int16_t{1} : address.fileId;
  return static_cast<uint64_t>(address.pageNumber) < PageCountOfFile(file, fileId);
}

std::vector<PageAddress> PagesFromAllocationMaps(const CDataFile& file, PageAddress firstIam) {
  return ListIamChainPages(file, firstIam, KeptUnitPages());
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

std::vector<PageAddress> PagesFromInventory(const CDatabaseCatalog& catalog) {
  // The inventory files pages by the object id their headers name: pages
  // another owner left are never among them. Advanced mode is for damaged
  // allocation maps, so it reads every page filed for the table.
  std::vector<PageAddress> pages;
  for (const PageAddress& address : catalog.tableSchema.tablePages)
    if (NonZero(address)) pages.push_back(address);
  return pages;
}

PageSource ListTablePages(CDatabaseCatalog& catalog, const PageListConsumer& list) {
  const ScanSettings& settings = TheApp().settings;
  if (settings.IsAdvanced()) {
    list(PageSource::Inventory, PagesFromInventory(catalog));
    return PageSource::Inventory;
  }
  return settings.legacyCatalog ? ListLegacyTablePages(catalog, list) : ListModernTablePages(catalog, list);
}

PageSource ListLegacyTablePages(CDatabaseCatalog& catalog, const PageListConsumer& list) {
  const TableSchema& schema = catalog.tableSchema;
  const CDataFile& file = *catalog.dataFile;
  const int32_t objectId = schema.currentObject.objectId;
  auto entry = catalog.legacyIndexes.find(objectId);
  if (entry != catalog.legacyIndexes.end() && !TheApp().settings.IsAdvanced()) {
    list(PageSource::CheckedPageChain,
         PagesFromCheckedPageChain(file, PageAddress{entry->second.fileId, entry->second.firstPage}));
    return PageSource::CheckedPageChain;
  }
  auto iams = file.iamPages.find(objectId);
  if (iams == file.iamPages.end() || iams->second.empty() ||
      !IsValidPageAddress(file, iams->second.front().Address()))
    return PageSource::None;
  list(PageSource::AllocationMaps, ListInventoryIamPages(file, objectId, KeptUnitPages()));
  return PageSource::AllocationMaps;
}

PageSource ListModernTablePages(CDatabaseCatalog& catalog, const PageListConsumer& list) {
  const TableSchema& schema = catalog.tableSchema;
  const CDataFile& file = *catalog.dataFile;
  // A table whose in-row allocation unit the catalog lists without any
  // page is empty. The schema then takes pages from the inventory by owner
  // id, but those are pages of deallocated data that still carry the old
  // owner id; listing them would show rows the table no longer has.
  if (CatalogSaysEmpty(catalog)) return PageSource::None;

  const AllocationUnitRow& unit = schema.currentAllocationUnit;
  const PageAddress firstIam = unit.firstIamPage;
  const PageAddress firstPage = unit.firstPage;
  if (firstIam.pageNumber <= 0) {
    list(PageSource::Inventory, PagesFromInventory(catalog));
    return PageSource::Inventory;
  }
  const bool iamValid = IsValidPageAddress(file, firstIam);
  if (schema.currentRowset.indexId == 0) {
    if (iamValid) {
      if (list(PageSource::AllocationMaps, PagesFromAllocationMaps(file, firstIam)))
        return PageSource::AllocationMaps;
      if (!IsValidPageAddress(file, firstPage)) return PageSource::AllocationMaps;
    }
    list(PageSource::PageChain, PagesFromPageChain(file, firstPage));
    return PageSource::PageChain;
  }
  if (!iamValid) return PageSource::None;
  list(PageSource::AllocationMaps, PagesFromAllocationMaps(file, firstIam));
  return PageSource::AllocationMaps;
}

}  // namespace brinehold
