#include "storage/unit_page_check.h"

#include "storage/data_file.h"
#include "storage/page_header.h"

namespace brinehold {

PageOwner PageOwner::Of(const CPage_Header& header) { return PageOwner{header.ownerObjectId, header.indexId}; }

PageOwner PageOwner::OfAllocationUnit(int64_t allocationUnitId) {
  const auto id = static_cast<uint64_t>(allocationUnitId);
  return PageOwner{static_cast<int32_t>(static_cast<uint32_t>(id >> 16)), static_cast<int16_t>(id >> 48)};
}

bool IsUnitPageType(uint8_t pageType) {
  return pageType == kDataPageType || pageType == kIndexPageType || pageType == kTextMixPageType ||
         pageType == kTextTreePageType;
}

bool IsUnitOwner(const PageOwner& iam, const PageOwner& page, uint8_t pageType) {
  if (page == iam) return true;
  constexpr int16_t kClusteredIndexId = 1;
  return pageType == kDataPageType && iam.indexId == kClusteredIndexId && page.indexId == 0 &&
         page.objectId == iam.objectId;
}

UnitPageKind UnitPageCheck::Check(PageAddress page, const PageOwner& owner) {
  return Check(page, [&owner](const PageOwner& named, uint8_t type) { return IsUnitOwner(owner, named, type); });
}

UnitPageKind UnitPageCheck::Check(PageAddress page, const OwnerTest& isUnitOwner) {
  auto header = file_.ReadPageHeader(page);
  if (!header || !IsUnitPageType(header->pageType) || !isUnitOwner(PageOwner::Of(*header), header->pageType))
    return UnitPageKind::Foreign;
  return allocation_.StateOf(page) == AllocationState::Free ? UnitPageKind::Freed : UnitPageKind::Live;
}

}  // namespace brinehold
