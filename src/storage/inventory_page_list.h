// InventoryPageList: the data pages the page inventory files under a
// table's owner ids, owner after owner in the order added, each owner's in
// inventory order; each page once (the first place it is named).
//
// The pages are not copied out of the inventory: a table's list runs to one
// entry per page, and most uses need only whether there are any, or the
// first few a listing reads (Source reads on as far as the listing goes).
// Pages named one by one (Add: a list made without a data file) come before
// those of the owners.
//
// The list refers to the inventory by address and looks each owner up as
// it reads: it must not outlive the CDataFile that holds the inventory (the
// table schema holding it lives no longer than the catalog, which refers to
// that file too).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "storage/data_file.h"
#include "storage/page_address.h"
#include "storage/page_sequence.h"

namespace brinehold {

class InventoryPageList {
 public:
  InventoryPageList() = default;
  InventoryPageList(std::initializer_list<PageAddress> pages);

  // The data pages `inventory` files under `owner` (an owner added before
  // adds nothing).
  void AddOwner(const PageInventory& inventory, int32_t owner);
  void Add(PageAddress page);
  void clear();

  bool empty() const;
  // The entries, a page named twice counted twice: a progress range.
  size_t EntryCount() const;
  // Every page, each once.
  std::vector<PageAddress> ToVector() const;

  // Reads the list from `cursor` on: appends up to `limit` pages (repeats
  // and zero addresses included) and advances the cursor; false at the end.
  struct Cursor {
    size_t list = 0;  // 0: the pages added one by one; i > 0: owner i - 1
    size_t entry = 0;
  };
  bool Next(Cursor& cursor, size_t limit, std::vector<PageAddress>& out) const;

 private:
  const std::vector<PageEntry>* EntriesOf(size_t owner) const;

  std::vector<PageAddress> pages_;
  const PageInventory* inventory_ = nullptr;
  std::vector<int32_t> owners_;
};

}  // namespace brinehold
