#include "session/headless_tree.h"

#include <algorithm>

namespace brinehold {

static_assert(sizeof(HeadlessTree::Item) <= 40, "an item per document");

void HeadlessTree::Item::SetText(std::string_view text) {
  constexpr size_t kLongest = (size_t{1} << 30) - 1;
  textData = text.data();
  textLength = static_cast<uint32_t>(std::min(text.size(), kLongest));
}

HeadlessTree::HeadlessTree(const HeadlessTree& other)
    : visible(other.visible),
      checkBoxes(other.checkBoxes),
      background(other.background),
      runs_(other.runs_),
      lastHandle_(other.lastHandle_),
      items_(other.items_),
      childLists_(other.childLists_),
      top_(other.top_),
      selected_(other.selected_) {
  for (size_t index = 0; index < items_.size(); ++index) items_[index].SetText(texts_.Add(items_[index].Text()));
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
  const bool appends = items_.empty() || handle > lastHandle_;
  if (!appends && IndexOf(handle)) return false;
  std::vector<TreeItem>* siblings = MutableChildren(parent);
  if (!siblings) return false;
  if (position == TreePosition::First) {
    siblings->insert(siblings->begin(), handle);
  } else {
    siblings->push_back(handle);
  }
  Item item;
  item.parent = parent;
  item.SetText(texts_.Add(text));
  item.image = image;
  item.selectedImage = selectedImage;
  if (!appends) {
    InsertOutOfOrder(handle, item);
    return true;
  }
  if (items_.empty() || handle != lastHandle_ + 1) runs_.push_back({handle, items_.size()});
  lastHandle_ = handle;
  items_.push_back(item);
  return true;
}

void HeadlessTree::InsertOutOfOrder(TreeItem handle, Item item) {
  // Rare (the owner hands out handles in order): the runs are made again.
  std::vector<TreeItem> handles(items_.size());
  for (size_t index = 0; index < handles.size(); ++index) handles[index] = HandleAt(index);
  const auto at = std::lower_bound(handles.begin(), handles.end(), handle);
  const auto offset = at - handles.begin();
  handles.insert(at, handle);
  items_.insert(static_cast<size_t>(offset), item);
  runs_.clear();
  for (size_t index = 0; index < handles.size(); ++index)
    if (index == 0 || handles[index] != handles[index - 1] + 1) runs_.push_back({handles[index], index});
}

std::optional<size_t> HeadlessTree::IndexOf(TreeItem item) const {
  // The item just inserted is the one most often asked for next.
  if (item == lastHandle_ && !items_.empty()) return items_.size() - 1;
  auto next = std::upper_bound(runs_.begin(), runs_.end(), item,
                               [](TreeItem handle, const HandleRun& run) { return handle < run.first; });
  if (next == runs_.begin()) return std::nullopt;
  const HandleRun& run = *std::prev(next);
  const size_t end = next == runs_.end() ? items_.size() : next->firstIndex;
  const TreeItem offset = item - run.first;
  if (offset >= end - run.firstIndex) return std::nullopt;
  return run.firstIndex + static_cast<size_t>(offset);
}

TreeItem HeadlessTree::HandleAt(size_t index) const {
  auto next = std::upper_bound(runs_.begin(), runs_.end(), index,
                               [](size_t at, const HandleRun& run) { return at < run.firstIndex; });
  const HandleRun& run = *std::prev(next);
  return run.first + (index - run.firstIndex);
}

const HeadlessTree::Item* HeadlessTree::Find(TreeItem item) const {
  const std::optional<size_t> index = IndexOf(item);
  return index ? &items_[*index] : nullptr;
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
                   [this](TreeItem a, TreeItem b) { return TreeTextLess(Find(a)->Text(), Find(b)->Text()); });
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
  runs_.clear();
  lastHandle_ = kNoTreeItem;
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
  out += found->Text();
  out.push_back('\n');
  for (TreeItem child : *Children(item)) PrintItem(child, depth + 1, out);
}

}  // namespace brinehold
