// CheckTreeModel: the items of a check-box tree (check_tree.h), kept
// compactly for the millions of a document tree.
//
// A tree widget's item costs some 250 bytes before its text; an item here
// is one record of its text (in the model's text pool, UTF-8), parent,
// row, child list, handle, data, image, check state and bold and disabled
// bits, plus four bytes in its parent's child list. Items are never
// removed one by one, only all at once (Clear), so an item's number
// (its index's internal id) stays its own for its life: an index stays
// right across inserts and sorts even when its row is stale.
//
// Handles are found among runs of consecutive handles: a window hands them
// out from one counter in increasing order, so a tree is a few runs. An
// index of another model, or an invalid one, names no item: readers give
// their empty value and setters do nothing.
//
// Window thread only.
#pragma once

#include <QAbstractItemModel>
#include <QFont>
#include <QIcon>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/chunked_vector.h"
#include "platform/text_pool.h"
#include "session/window_port.h"

namespace brinehold::ui {

class CheckTreeModel final : public QAbstractItemModel {
 public:
  explicit CheckTreeModel(QObject* parent = nullptr);

  void Clear();
  // Inserts `utf8` under `parent` (invalid: the top level) as its first or
  // last child, unchecked, with `handle`.
  QModelIndex Insert(const QModelIndex& parent, std::string_view utf8, bool first, TreeItem handle);
  // The item with `handle`, or an invalid index.
  QModelIndex Find(TreeItem handle) const;
  // Each item in display order, depth first, until `visit` returns false:
  // `from` and the items below it, or every item when `from` is invalid.
  void ForEach(const std::function<bool(const QModelIndex&)>& visit, const QModelIndex& from = QModelIndex()) const;

  TreeItem Handle(const QModelIndex& index) const;
  std::string_view Text(const QModelIndex& index) const;
  int64_t Value(const QModelIndex& index) const;
  void SetValue(const QModelIndex& index, int64_t value);
  Qt::CheckState Check(const QModelIndex& index) const;
  void SetCheck(const QModelIndex& index, Qt::CheckState state);
  // An own image, shown before any the shape gives (shapeImages).
  void SetIcon(const QModelIndex& index, const QIcon& icon);
  void SetBold(const QModelIndex& index, bool bold);
  bool Bold(const QModelIndex& index) const;
  void SetDisabled(const QModelIndex& index, bool disabled);
  bool Disabled(const QModelIndex& index) const;
  // Sorts the children of `parent` (invalid: the top level) by
  // TreeTextLess, one level, keeping equal texts in their order.
  void SortChildren(const QModelIndex& parent);

  // The image of an item without an own one, or none when not set.
  std::function<QIcon(const QModelIndex& index)> shapeImage;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  struct Node {
    const char* text;
    uint32_t textLength;
    uint32_t parent;    // kNone at the top level
    uint32_t row;       // in the parent's child list
    uint32_t children;  // in childLists_, kNone for none yet
    TreeItem handle;
    int64_t value;
    uint16_t icon;  // in icons_, 0 for none
    uint8_t check;
    uint8_t bold : 1;
    uint8_t disabled : 1;
  };
  // A run of items with consecutive handles, numbered consecutively.
  struct HandleRun {
    TreeItem first;
    uint32_t firstNode;
    uint32_t count;
  };

  // The item `index` names, or null.
  const Node* NodeOf(const QModelIndex& index) const;
  Node* NodeOf(const QModelIndex& index);
  const std::vector<uint32_t>* ChildrenOf(uint32_t node) const;
  std::vector<uint32_t>& MutableChildrenOf(uint32_t node);
  QModelIndex IndexOf(uint32_t node) const;
  void RememberHandle(TreeItem handle, uint32_t node);
  void Changed(const QModelIndex& index, int role);

  ChunkedVector<Node> nodes_;
  std::vector<std::vector<uint32_t>> childLists_;
  std::vector<uint32_t> top_;
  std::vector<HandleRun> runs_;  // by handle
  TextPool texts_;
  std::vector<QIcon> icons_{QIcon()};
  std::unordered_map<qint64, uint16_t> iconNumbers_;
  QFont boldFont_;
};

}  // namespace brinehold::ui
