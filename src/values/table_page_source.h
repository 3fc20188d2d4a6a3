// Which pages of the data file hold a table's rows, in the order a table
// listing reads them.
//
// Four sources (a table whose allocation unit the catalog lists without any
// page is empty and gets none):
//  - AllocationMaps: the unit's own pages among those its IAM chain lists
//    (allocation_unit_pages.h, unit_page_check.h): a page of an allocated
//    extent that the unit has not taken (zero, or left by an earlier owner)
//    is never read with the table's columns.
//  - PageChain: from a first page along the next-page pointers of the page
//    headers, keeping the data pages; a chain that comes back to a page it
//    has visited ends there.
//  - CheckedPageChain: the same over whole data pages (SQL Server 2000
//    clustered tables), ending at a page met twice.
//  - Inventory: the table's pages as the page inventory found them by
//    owner id (TableSchema::tablePages), less those whose header names
//    another allocation unit that shares the object id part of its id.
//
// The lists of the allocation maps and of the inventory are read only as
// far as a listing goes (page_sequence.h): showing the first 1000 rows of a
// table costs the same whatever its size. The page chains are followed to
// their end first.
//
// Pages the PFS marks free hold rows the table has lost: the IAM and the
// inventory sources keep them only while deleted rows are shown
// (settings.showDeleted), and then as deleted rows (page_rows.h).
//
// ListTablePages makes the listing's choice for the catalog's current table
// and hands each chosen page list to `list`, which returns whether it
// listed at least one row (a heap whose allocation maps give no rows is
// tried again along its page chain). A partitioned table gets the choice
// made per partition and one list of all its pages, in partition order.
// Stop requests end the walks.
#pragma once

#include <functional>
#include <vector>

#include "storage/page_address.h"
#include "storage/page_sequence.h"
#include "storage/unit_page_check.h"

namespace brinehold {

class CDataFile;
class CDatabaseCatalog;
struct TableSchema;

enum class PageSource { None, AllocationMaps, PageChain, CheckedPageChain, Inventory };

// Page number above 0 and below the page count of its file (file id 0 or
// 1: the primary file).
bool IsValidPageAddress(const CDataFile& file, PageAddress address);

PageSequence AllocationMapPages(const CDataFile& file, PageAddress firstIam);
std::vector<PageAddress> PagesFromPageChain(const CDataFile& file, PageAddress first);
std::vector<PageAddress> PagesFromCheckedPageChain(const CDataFile& file, PageAddress first);
// The inventory pages of catalog.tableSchema, read on as a listing goes.
PageSequence InventoryPageSequence(const CDatabaseCatalog& catalog);

// The test a page of a list from `source` must pass where it is read
// (RowDecodingContext::pageOwnerTest): the allocation maps of the modern
// layout list pages without reading them, so each one's header is checked
// when its rows are read; the other sources checked theirs while listing
// (empty test).
UnitPageCheck::OwnerTest ListedPageOwnerTest(const CDatabaseCatalog& catalog, PageSource source);

// The consumer may take the pages (move them out): the listing keeps the
// sequence for its paging. A PageListConsumer gets each list whole.
using PageSequenceConsumer = std::function<bool(PageSource source, PageSequence& pages)>;
using PageListConsumer = std::function<bool(PageSource source, std::vector<PageAddress>& pages)>;

// Chooses the page source(s) for catalog.tableSchema (loaded by
// LoadTableSchema) under TheApp().settings (advanced mode, catalog
// layout) and calls `list` for each; returns the last source used, None
// when nothing could be listed. The sequences read the catalog's data file
// as they are read on: they must not outlive it.
PageSource ListTablePageSequences(CDatabaseCatalog& catalog, const PageSequenceConsumer& list);
PageSource ListTablePages(CDatabaseCatalog& catalog, const PageListConsumer& list);

// The two halves of that choice, for a caller that has already decided on
// the catalog layout: the SQL Server 2000 layout (the sysindexes entry's
// page chain, else the object's IAM pages from the inventory) and the
// modern one (allocation maps, page chain of a heap, inventory when the
// unit names no IAM page).
PageSource ListLegacyTablePages(CDatabaseCatalog& catalog, const PageSequenceConsumer& list);
PageSource ListModernTablePages(CDatabaseCatalog& catalog, const PageSequenceConsumer& list);

}  // namespace brinehold
