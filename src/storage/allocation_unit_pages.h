// The page list of an allocation unit, from its chain of IAM pages.
//
// Per IAM page, in chain order: first its single-page slots (slot order;
// a slot with page number 0 or file id 0, or beyond its file, is skipped),
// then the pages of its allocated extents (extent order, first to last page
// of each). The result is the order in which a table's pages are read when
// they are listed through the allocation maps.
//
// Two ways to find the chain:
//  - ListIamChainPages follows the next-page pointers of the IAM page
//    headers from the allocation unit's first IAM page (sysallocunits on
//    SQL Server 2005 and later; sysindexes' FirstIAM on SQL Server 2000).
//  - ListInventoryIamPages takes the IAM pages the page inventory found for
//    an owner object id, in inventory order (SQL Server 2000 catalogs,
//    where the owner id of a page header is the table's object id).
//
// What is kept (UnitPages): every page the IAM pages list, or only the
// pages that are the unit's own by unit_page_check.h: live ones, and with
// LiveAndFreed also those the unit has freed (they hold deleted rows). A
// page whose header names another owner than the IAM page that lists it is
// never kept then. With OwnerCheck::WhereRead every listed page is kept
// and none is read: the caller checks each page's header against the
// chain's owner (IamChainOwner), and the PFS, when it reads the page anyway,
// so a listing shows its first rows without reading every page of the
// table first.
//
// Damage: a page that cannot be read, or that is not an IAM page, ends the
// chain; an IAM page reached a second time (a chain that loops) ends it too,
// and so does one whose header names another owner (object and index id)
// than the chain's first page; a page named a second time is listed once;
// an IAM page with fewer than two records contributes only its single-page
// slots. The walk stops when TheApp().stopRequested is set. Nothing is
// reported.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "storage/page_address.h"
#include "storage/page_sequence.h"
#include "storage/unit_page_check.h"

namespace brinehold {

class CDataFile;
class IamPage;

enum class UnitPages { Listed, Live, LiveAndFreed };

// Appends the pages of one IAM page (single pages, then extent pages).
void AppendIamPagePages(const IamPage& iam, const CDataFile& file, std::vector<PageAddress>& pages);

// Every page the IAM chain from `firstIam` lists, each once, read from the
// chain only as far as the sequence is read: an IAM page is read when the
// list reaches its interval, and its extents are expanded a few at a time.
PageSequence IamChainPages(const CDataFile& file, PageAddress firstIam);

// The same pages as one list; empty when the page number of `firstIam` is
// 0.
std::vector<PageAddress> ListIamChainPages(const CDataFile& file, PageAddress firstIam);

// The owner (object and index id) the IAM page at `firstIam` names, which
// every page of its chain names too; nothing when it is no IAM page.
std::optional<PageOwner> IamChainOwner(const CDataFile& file, PageAddress firstIam);

// The pages of the IAM pages file.iamPages holds for `objectId`.
std::vector<PageAddress> ListInventoryIamPages(const CDataFile& file, int32_t objectId,
                                               UnitPages keep = UnitPages::Listed);

// The IAM pages of the chain from `firstIam` themselves, in chain order
// (same bounds as ListIamChainPages).
std::vector<PageAddress> WalkIamChain(const CDataFile& file, PageAddress firstIam);

}  // namespace brinehold
