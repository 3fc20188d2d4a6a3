#include "session/headless_tree.h"

#include <algorithm>

namespace brinehold {

HeadlessTree::HeadlessTree(const HeadlessTree& other)
    : visible(other.visible),
      checkBoxes(other.checkBoxes),
      background(other.background),
      handles_(other.handles_),
      items_(other.items_),
      childLists_(other.childLists_),
      top_(other.top_),
      selected_(other.selected_) {
  for (Item& item : items_) item.text = texts_.Add(item.text);
}

HeadlessTree& HeadlessTree::operator=(const HeadlessTree& other) {
  if (this != &other) *this = HeadlessTree(other);
  return *this;
}

bool HeadlessTree::Insert(TreeItem handle, TreeItem parent, TreePosition position, const std::string& text,
                          int image, int selectedImage) {
  if (handle == kNoTreeItem) return false;
  // Handles come in increasing order: a new one goes at the end, and only
  // one out of order needs the searches.
  const bool appends = handles_.empty() || handle > handles_.back();
  if (!appends && Find(handle)) return false;
  std::vector<TreeItem>* siblings = MutableChildren(parent);
  if (!siblings) return false;
  if (position == TreePosition::First) {
    siblings->insert(siblings->begin(), handle);
  } else {
    siblings->push_back(handle);
  }
  Item item;
  item.parent = parent;
  item.text = texts_.Add(text);
  item.image = image;
  item.selectedImage = selectedImage;
  if (appends) {
    handles_.push_back(handle);
    items_.push_back(std::move(item));
    return true;
  }
  auto at = std::lower_bound(handles_.begin(), handles_.end(), handle);
  const auto offset = at - handles_.begin();
  handles_.insert(at, handle);
  items_.insert(items_.begin() + offset, std::move(item));
  return true;
}

const HeadlessTree::Item* HeadlessTree::Find(TreeItem item) const {
  // The item just inserted is the one most often asked for next.
  if (!handles_.empty() && handles_.back() == item) return &items_.back();
  auto at = std::lower_bound(handles_.begin(), handles_.end(), item);
  if (at == handles_.end() || *at != item) return nullptr;
  return &items_[static_cast<size_t>(at - handles_.begin())];
}

HeadlessTree::Item* HeadlessTree::Find(TreeItem item) {
  return const_cast<Item*>(static_cast<const HeadlessTree*>(this)->Find(item));
}

const std::vector<TreeItem>* HeadlessTree::Children(TreeItem item) const {
  static const std::vector<TreeItem> kLeaf;
  if (item == kNoTreeItem) return &top_;
  const Item* found = Find(item);
  if (!found) return nullptr;
  return found->childList == 0 ? &kLeaf : &childLists_[found->childList - 1];
}

std::vector<TreeItem>* HeadlessTree::MutableChildren(TreeItem item) {
  if (item == kNoTreeItem) return &top_;
  Item* found = Find(item);
  if (!found) return nullptr;
  if (found->childList == 0) {
    childLists_.emplace_back();
    found->childList = static_cast<uint32_t>(childLists_.size());
  }
  return &childLists_[found->childList - 1];
}

TreeItem HeadlessTree::NextSibling(TreeItem item) const {
  const Item* found = Find(item);
  if (!found) return kNoTreeItem;
  const std::vector<TreeItem>* siblings = Children(found->parent);
  if (!siblings) return kNoTreeItem;
  auto it = std::find(siblings->begin(), siblings->end(), item);
  if (it == siblings->end() || ++it == siblings->end()) return kNoTreeItem;
  return *it;
}

void HeadlessTree::SortChildren(TreeItem item) {
  std::vector<TreeItem>* children = MutableChildren(item);
  if (!children) return;
  std::stable_sort(children->begin(), children->end(),
                   [this](TreeItem a, TreeItem b) { return TreeTextLess(Find(a)->text, Find(b)->text); });
}

void HeadlessTree::Select(TreeItem item) {
  if (item != kNoTreeItem && !Find(item)) return;
  selected_ = item;
  ExpandAncestors(item);
}

void HeadlessTree::ExpandAncestors(TreeItem item) {
  const Item* found = Find(item);
  while (found && found->parent != kNoTreeItem) {
    Item* parent = Find(found->parent);
    if (!parent) break;
    parent->expanded = true;
    found = parent;
  }
}

void HeadlessTree::CollapseKeepSelection() {
  for (TreeItem item : top_) Find(item)->expanded = false;
  ExpandAncestors(selected_);
}

void HeadlessTree::Clear() {
  handles_.clear();
  items_.clear();
  childLists_.clear();
  texts_.Clear();
  top_.clear();
  selected_ = kNoTreeItem;
}

std::string HeadlessTree::Print() const {
  std::string out;
  for (TreeItem item : top_) PrintItem(item, 0, out);
  return out;
}

void HeadlessTree::PrintItem(TreeItem item, int depth, std::string& out) const {
  // Iterative over siblings, recursive over depth: trees built from a
  // database are wide, and only as deep as the folder paths they show.
  const Item* found = Find(item);
  if (!found) return;
  out.append(static_cast<size_t>(depth) * 2, ' ');
  if (found->bold) out.push_back('*');
  out += found->text;
  out.push_back('\n');
  for (TreeItem child : *Children(item)) PrintItem(child, depth + 1, out);
}

}  // namespace brinehold
