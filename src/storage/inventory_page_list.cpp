#include "storage/inventory_page_list.h"

#include <algorithm>

#include "storage/unique_pages.h"

namespace brinehold {

InventoryPageList::InventoryPageList(std::initializer_list<PageAddress> pages) : pages_(pages) {}

void InventoryPageList::AddOwner(const PageInventory& inventory, int32_t owner) {
  // One inventory per list: a table's pages all come from its data file.
  if (inventory_ && inventory_ != &inventory) owners_.clear();
  inventory_ = &inventory;
  if (std::find(owners_.begin(), owners_.end(), owner) == owners_.end()) owners_.push_back(owner);
}

void InventoryPageList::Add(PageAddress page) { pages_.push_back(page); }

void InventoryPageList::clear() {
  pages_.clear();
  owners_.clear();
  inventory_ = nullptr;
}

const std::vector<PageEntry>* InventoryPageList::EntriesOf(size_t owner) const {
  if (!inventory_ || owner >= owners_.size()) return nullptr;
  auto it = inventory_->find(owners_[owner]);
  return it == inventory_->end() ? nullptr : &it->second;
}

bool InventoryPageList::empty() const {
  if (!pages_.empty()) return false;
  for (size_t owner = 0; owner < owners_.size(); ++owner) {
    const std::vector<PageEntry>* entries = EntriesOf(owner);
    if (entries && std::any_of(entries->begin(), entries->end(),
                               [](const PageEntry& entry) { return entry.pageType == kDataPageType; }))
      return false;
  }
  return true;
}

size_t InventoryPageList::EntryCount() const {
  size_t count = pages_.size();
  for (size_t owner = 0; owner < owners_.size(); ++owner)
    if (const std::vector<PageEntry>* entries = EntriesOf(owner)) count += entries->size();
  return count;
}

std::vector<PageAddress> InventoryPageList::ToVector() const {
  std::vector<PageAddress> pages;
  pages.reserve(EntryCount());
  Cursor cursor;
  while (Next(cursor, SIZE_MAX, pages)) {
  }
  KeepFirstOfEach(pages);
  return pages;
}

bool InventoryPageList::Next(Cursor& cursor, size_t limit, std::vector<PageAddress>& out) const {
  size_t taken = 0;
  for (; cursor.list <= owners_.size(); ++cursor.list, cursor.entry = 0) {
    if (cursor.list == 0) {
      for (; cursor.entry < pages_.size() && taken < limit; ++cursor.entry, ++taken) out.push_back(pages_[cursor.entry]);
      if (taken == limit) return true;
      continue;
    }
    const std::vector<PageEntry>* entries = EntriesOf(cursor.list - 1);
    if (!entries) continue;
    for (; cursor.entry < entries->size() && taken < limit; ++cursor.entry) {
      const PageEntry& entry = (*entries)[cursor.entry];
      if (entry.pageType != kDataPageType) continue;
      out.push_back(entry.Address());
      ++taken;
    }
    if (taken == limit) return true;
  }
  return false;
}

}  // namespace brinehold
