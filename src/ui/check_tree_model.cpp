#include "ui/check_tree_model.h"

#include <algorithm>
#include <utility>

namespace brinehold::ui {

CheckTreeModel::CheckTreeModel(QObject* parent) : QAbstractItemModel(parent) { boldFont_.setBold(true); }

void CheckTreeModel::Clear() {
  beginResetModel();
  nodes_.clear();
  childLists_.clear();
  top_.clear();
  runs_.clear();
  texts_.Clear();
  endResetModel();
}

const CheckTreeModel::Node* CheckTreeModel::NodeOf(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this || index.internalId() >= nodes_.size()) return nullptr;
  return &nodes_[static_cast<size_t>(index.internalId())];
}

CheckTreeModel::Node* CheckTreeModel::NodeOf(const QModelIndex& index) {
  return const_cast<Node*>(std::as_const(*this).NodeOf(index));
}

const std::vector<uint32_t>* CheckTreeModel::ChildrenOf(uint32_t node) const {
  if (node == kNone) return &top_;
  const uint32_t list = nodes_[node].children;
  return list == kNone ? nullptr : &childLists_[list];
}

std::vector<uint32_t>& CheckTreeModel::MutableChildrenOf(uint32_t node) {
  if (node == kNone) return top_;
  Node& owner = nodes_[node];
  if (owner.children == kNone) {
    owner.children = static_cast<uint32_t>(childLists_.size());
    childLists_.emplace_back();
  }
  return childLists_[owner.children];
}

QModelIndex CheckTreeModel::IndexOf(uint32_t node) const {
  return node == kNone ? QModelIndex() : createIndex(static_cast<int>(nodes_[node].row), 0, quintptr{node});
}

QModelIndex CheckTreeModel::Insert(const QModelIndex& parent, std::string_view utf8, bool first, TreeItem handle) {
  const Node* parentNode = NodeOf(parent);
  if (parent.isValid() && !parentNode) return {};
  // A Qt model counts its rows in int.
  if (nodes_.size() >= static_cast<size_t>(INT32_MAX)) return {};
  const uint32_t parentId = parentNode ? static_cast<uint32_t>(parent.internalId()) : kNone;
  const uint32_t id = static_cast<uint32_t>(nodes_.size());
  // Adding a node leaves the child lists where they are.
  std::vector<uint32_t>& siblingList = MutableChildrenOf(parentId);
  const size_t siblings = siblingList.size();
  const uint32_t row = first ? 0 : static_cast<uint32_t>(siblings);
  beginInsertRows(parent, static_cast<int>(row), static_cast<int>(row));
  const std::string_view text = texts_.Add(utf8);
  Node node{text.data(), static_cast<uint32_t>(text.size()), parentId, row, kNone, handle, 0, 0, Qt::Unchecked, 0, 0};
  nodes_.push_back(node);
  siblingList.insert(siblingList.begin() + row, id);
  for (size_t at = row + 1; at < siblingList.size(); ++at) nodes_[siblingList[at]].row = static_cast<uint32_t>(at);
  RememberHandle(handle, id);
  endInsertRows();
  // A parent's image may follow from its having children.
  if (siblings == 0 && parentNode && shapeImage) Changed(parent, Qt::DecorationRole);
  return createIndex(static_cast<int>(row), 0, quintptr{id});
}

void CheckTreeModel::RememberHandle(TreeItem handle, uint32_t node) {
  if (handle == kNoTreeItem) return;
  if (!runs_.empty()) {
    HandleRun& last = runs_.back();
    if (handle == last.first + last.count && node == last.firstNode + last.count) {
      ++last.count;
      return;
    }
  }
  auto at = std::upper_bound(runs_.begin(), runs_.end(), handle,
                             [](TreeItem wanted, const HandleRun& run) { return wanted < run.first; });
  runs_.insert(at, HandleRun{handle, node, 1});
}

QModelIndex CheckTreeModel::Find(TreeItem handle) const {
  if (handle == kNoTreeItem) return {};
  auto after = std::upper_bound(runs_.begin(), runs_.end(), handle,
                                [](TreeItem wanted, const HandleRun& run) { return wanted < run.first; });
  if (after == runs_.begin()) return {};
  const HandleRun& run = *std::prev(after);
  if (handle - run.first >= run.count) return {};
  return IndexOf(run.firstNode + static_cast<uint32_t>(handle - run.first));
}

void CheckTreeModel::ForEach(const std::function<bool(const QModelIndex&)>& visit, const QModelIndex& from) const {
  const std::vector<uint32_t>* first = &top_;
  if (from.isValid()) {
    if (!NodeOf(from) || !visit(from)) return;
    first = ChildrenOf(static_cast<uint32_t>(from.internalId()));
    if (!first) return;
  }
  // An explicit stack: a damaged database may nest folders deeply.
  std::vector<std::pair<const std::vector<uint32_t>*, size_t>> stack{{first, 0}};
  while (!stack.empty()) {
    auto& [list, next] = stack.back();
    if (next >= list->size()) {
      stack.pop_back();
      continue;
    }
    const uint32_t node = (*list)[next++];
    if (!visit(IndexOf(node))) return;
    if (const std::vector<uint32_t>* children = ChildrenOf(node); children && !children->empty())
      stack.emplace_back(children, 0);
  }
}

TreeItem CheckTreeModel::Handle(const QModelIndex& index) const {
  const Node* node = NodeOf(index);
  return node ? node->handle : kNoTreeItem;
}

std::string_view CheckTreeModel::Text(const QModelIndex& index) const {
  const Node* node = NodeOf(index);
  return node ? std::string_view(node->text, node->textLength) : std::string_view();
}

int64_t CheckTreeModel::Value(const QModelIndex& index) const {
  const Node* node = NodeOf(index);
  return node ? node->value : 0;
}

void CheckTreeModel::SetValue(const QModelIndex& index, int64_t value) {
  if (Node* node = NodeOf(index)) {
    node->value = value;
    // The value may tell a folder from an object.
    if (shapeImage) Changed(index, Qt::DecorationRole);
  }
}

Qt::CheckState CheckTreeModel::Check(const QModelIndex& index) const {
  const Node* node = NodeOf(index);
  return node ? static_cast<Qt::CheckState>(node->check) : Qt::Unchecked;
}

void CheckTreeModel::SetCheck(const QModelIndex& index, Qt::CheckState state) {
  Node* node = NodeOf(index);
  if (!node || node->check == state) return;
  node->check = static_cast<uint8_t>(state);
  Changed(index, Qt::CheckStateRole);
}

void CheckTreeModel::SetIcon(const QModelIndex& index, const QIcon& icon) {
  Node* node = NodeOf(index);
  if (!node) return;
  uint16_t number = 0;
  if (!icon.isNull()) {
    auto known = iconNumbers_.find(icon.cacheKey());
    if (known != iconNumbers_.end()) {
      number = known->second;
    } else if (icons_.size() <= UINT16_MAX) {
      number = static_cast<uint16_t>(icons_.size());
      icons_.push_back(icon);
      iconNumbers_.emplace(icon.cacheKey(), number);
    }
  }
  if (node->icon == number) return;
  node->icon = number;
  Changed(index, Qt::DecorationRole);
}

void CheckTreeModel::SetBold(const QModelIndex& index, bool bold) {
  Node* node = NodeOf(index);
  if (!node || node->bold == bold) return;
  node->bold = bold;
  Changed(index, Qt::FontRole);
}

bool CheckTreeModel::Bold(const QModelIndex& index) const {
  const Node* node = NodeOf(index);
  return node && node->bold;
}

void CheckTreeModel::SetDisabled(const QModelIndex& index, bool disabled) {
  Node* node = NodeOf(index);
  if (!node || node->disabled == disabled) return;
  node->disabled = disabled;
  Changed(index, Qt::DisplayRole);
}

bool CheckTreeModel::Disabled(const QModelIndex& index) const {
  const Node* node = NodeOf(index);
  return node && node->disabled;
}

void CheckTreeModel::SortChildren(const QModelIndex& parent) {
  if (parent.isValid() && !NodeOf(parent)) return;
  const uint32_t parentId = parent.isValid() ? static_cast<uint32_t>(parent.internalId()) : kNone;
  if (!ChildrenOf(parentId)) return;
  std::vector<uint32_t>& list = MutableChildrenOf(parentId);
  emit layoutAboutToBeChanged({QPersistentModelIndex(parent)}, QAbstractItemModel::VerticalSortHint);
  std::stable_sort(list.begin(), list.end(), [this](uint32_t a, uint32_t b) {
    const Node& left = nodes_[a];
    const Node& right = nodes_[b];
    return TreeTextLess({left.text, left.textLength}, {right.text, right.textLength});
  });
  for (size_t at = 0; at < list.size(); ++at) nodes_[list[at]].row = static_cast<uint32_t>(at);
  // Indexes kept by the view name their items by number; only rows moved.
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& kept : before) after.append(IndexOf(static_cast<uint32_t>(kept.internalId())));
  changePersistentIndexList(before, after);
  emit layoutChanged({QPersistentModelIndex(parent)}, QAbstractItemModel::VerticalSortHint);
}

void CheckTreeModel::Changed(const QModelIndex& index, int role) { emit dataChanged(index, index, {role}); }

QModelIndex CheckTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column != 0 || (parent.isValid() && !NodeOf(parent))) return {};
  const std::vector<uint32_t>* list = ChildrenOf(parent.isValid() ? static_cast<uint32_t>(parent.internalId()) : kNone);
  if (!list || static_cast<size_t>(row) >= list->size()) return {};
  return createIndex(row, 0, quintptr{(*list)[static_cast<size_t>(row)]});
}

QModelIndex CheckTreeModel::parent(const QModelIndex& child) const {
  const Node* node = NodeOf(child);
  return node ? IndexOf(node->parent) : QModelIndex();
}

int CheckTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && !NodeOf(parent)) return 0;
  const std::vector<uint32_t>* list = ChildrenOf(parent.isValid() ? static_cast<uint32_t>(parent.internalId()) : kNone);
  return list ? static_cast<int>(list->size()) : 0;
}

int CheckTreeModel::columnCount(const QModelIndex& /*parent*/) const { return 1; }

QVariant CheckTreeModel::data(const QModelIndex& index, int role) const {
  const Node* node = NodeOf(index);
  if (!node) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:  // the data file's path is often wider than the pane
      return QString::fromUtf8(node->text, static_cast<qsizetype>(node->textLength));
    case Qt::CheckStateRole:
      return static_cast<int>(node->check);
    case Qt::DecorationRole:
      if (node->icon != 0) return icons_[node->icon];
      if (shapeImage) return shapeImage(index);
      return {};
    case Qt::FontRole:
      return node->bold ? QVariant(boldFont_) : QVariant();
    default:
      return {};
  }
}

Qt::ItemFlags CheckTreeModel::flags(const QModelIndex& index) const {
  const Node* node = NodeOf(index);
  if (!node) return Qt::NoItemFlags;
  return node->disabled ? Qt::ItemIsSelectable : Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

}  // namespace brinehold::ui
