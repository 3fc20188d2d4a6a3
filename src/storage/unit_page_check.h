// UnitPageCheck: whether a page an allocation map lists is a live page of
// the allocation unit, a page the unit has freed, or none of its pages.
//
// An IAM page marks whole extents as its unit's, but the unit takes their
// pages one at a time: until it does, a page of such an extent is zero or
// still holds what an earlier owner left there, and a page the unit frees
// keeps its rows. So a listed page counts as the unit's only when
//  - its header names the owner the unit's IAM pages name (object id and
//    index id of the header; on SQL Server 2005 and later the two together
//    are the allocation unit id; on SQL Server 2000 the data pages of a
//    clustered index, whose IAM pages name index id 1, name index id 0),
//    and
//  - its type is one a unit holds (data, index, text/LOB pages).
// It is live unless the PFS marks it unallocated; then it is a page the unit
// freed, whose rows are deleted rows. A PFS page that cannot be read or is
// damaged says nothing, and the header check alone decides (rows are never
// lost because an allocation page is bad).
//
// The PFS pages read are kept for the checker's life: one checker per walk.
#pragma once

#include <cstdint>
#include <functional>

#include "storage/page_address.h"
#include "storage/pfs_page.h"

namespace brinehold {

class CDataFile;
class CPage_Header;

// The owner a page header names.
struct PageOwner {
  int32_t objectId = 0;
  int16_t indexId = 0;

  static PageOwner Of(const CPage_Header& header);
  // What the pages of allocation unit `allocationUnitId` name (SQL Server
  // 2005 and later): bits 16 .. 47 of the id are the object id of the
  // header, bits 48 .. 63 its index id.
  static PageOwner OfAllocationUnit(int64_t allocationUnitId);
  bool operator==(const PageOwner&) const = default;
};

// Whether a page whose header names `page` (of type `pageType`) belongs to
// the unit whose IAM pages name `iam`.
bool IsUnitOwner(const PageOwner& iam, const PageOwner& page, uint8_t pageType);

enum class UnitPageKind { Live, Freed, Foreign };

class UnitPageCheck {
 public:
  explicit UnitPageCheck(const CDataFile& file) : file_(file), allocation_(file) {}

  // The page against the unit whose IAM pages name `owner`.
  UnitPageKind Check(PageAddress page, const PageOwner& owner);
  // The same where `isUnitOwner` tells which owners (of a page of which
  // type) are the unit's (the page inventory, which groups pages by the
  // header's object id only).
  using OwnerTest = std::function<bool(const PageOwner&, uint8_t pageType)>;
  UnitPageKind Check(PageAddress page, const OwnerTest& isUnitOwner);

  const CDataFile& file_;
  PageAllocation allocation_;
};

// The page types a unit holds.
bool IsUnitPageType(uint8_t pageType);

}  // namespace brinehold
