// CXHtmlTree: the check-box tree of the left pane (object tree and document
// tree).
//
// A tree whose items carry tri-state check boxes with the smart-check rule:
// checking or unchecking an item does the same to its whole subtree, and an
// item with children shows checked when all its children are, unchecked
// when none is, tri-state otherwise (its own flag is set exactly when all
// children are checked). Each change is announced through onCheckChanged.
//
// Keyboard, while the tree has focus: Space toggles the current item's box;
// Right expands and Left collapses an item with children; Down and Up move
// to the next or previous visible item, skipping disabled ones; keypad plus
// and minus expand and collapse, keypad asterisk expands the whole branch
// and scrolls it into view.
//
// Clicks: a left click on an item's label (not on its check box, its expand
// button or empty space) selects the item, even when it is already
// selected, and calls onLabelClicked: the main window turns it into the
// table or folder message of the current scan type. The item selected
// before the click is remembered so that a refused click can be undone
// (ReselectPrevious).
//
// Items are the indexes of the tree's own model (check_tree_model.h), which
// keeps a document tree of millions of items in a fraction of what tree
// widget items cost; an invalid index stands for no item, and for the top
// level where a parent is asked for. Items are known to the rest of the
// program by handles (TreeItem): unique within the process for an item's
// life and never reused, so a handle kept across a reset finds nothing
// instead of a stranger. Each item also keeps a 64-bit data value for its
// caller.
//
// Window thread only; the port hands the workers' requests over.
#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>
#include <functional>
#include <string>
#include <string_view>

#include "session/window_port.h"
#include "ui/check_tree_model.h"

namespace brinehold::ui {

class CXHtmlTree : public QTreeView {
 public:
  explicit CXHtmlTree(QWidget* parent = nullptr);

  // Empties the tree and switches check boxes and smart check on.
  void Initialise();
  // Inserts `text` under `parent` (invalid: top level) as its first or last
  // child, unchecked, with `handle` (one from ReserveHandle) or a new one.
  QModelIndex InsertItem(const QModelIndex& parent, const QString& text, bool first = false,
                         TreeItem handle = kNoTreeItem);
  // The same with the text in UTF-8, as the workers hand it over.
  QModelIndex InsertUtf8Item(const QModelIndex& parent, std::string_view utf8Text, bool first = false,
                             TreeItem handle = kNoTreeItem);
  // A handle no item has; any thread may take one.
  static TreeItem ReserveHandle();
  // The item behind `handle`, or an invalid index.
  QModelIndex Find(TreeItem handle) const;
  // The first item in display order whose text is `text`, or an invalid index.
  QModelIndex FindText(const QString& text) const;
  // Each item in display order, depth first, until `visit` returns false.
  void ForEachItem(const std::function<bool(const QModelIndex& item)>& visit) const { model_->ForEach(visit); }
  TreeItem HandleOf(const QModelIndex& item) const { return model_->Handle(item); }
  int64_t DataOf(const QModelIndex& item) const { return model_->Value(item); }
  void SetData(const QModelIndex& item, int64_t data) { model_->SetValue(item, data); }
  std::string TextOf(const QModelIndex& item) const { return std::string(model_->Text(item)); }
  void SetIcon(const QModelIndex& item, const QIcon& icon) { model_->SetIcon(item, icon); }
  QIcon IconOf(const QModelIndex& item) const { return item.data(Qt::DecorationRole).value<QIcon>(); }
  void SetBold(const QModelIndex& item, bool bold) { model_->SetBold(item, bold); }
  bool IsBold(const QModelIndex& item) const { return model_->Bold(item); }
  void SetDisabled(const QModelIndex& item, bool disabled) { model_->SetDisabled(item, disabled); }
  // The children of `item` (invalid: the top level).
  int ChildCount(const QModelIndex& item) const { return model_->rowCount(item); }
  QModelIndex Child(const QModelIndex& item, int row) const { return model_->index(row, 0, item); }
  // Sorts the children of `item` (invalid: the top level) by TreeTextLess,
  // one level.
  void SortChildren(const QModelIndex& item) { model_->SortChildren(item); }
  void SetChecked(const QModelIndex& item, bool checked);
  bool IsChecked(const QModelIndex& item) const;
  // 1 unchecked, 2 checked, 3 tri-state; 4 more when the item is disabled.
  int StateIndex(const QModelIndex& item) const;
  // The current item when it is selected, else an invalid index.
  QModelIndex SelectedItem() const;
  // Selects `item` as a click does, without calling onLabelClicked.
  void SelectItem(const QModelIndex& item);
  void ReselectPrevious();
  // Collapses every top-level branch, keeping the current item selected
  // and visible.
  void CollapseTopLevel();

  // Images by shape: items with children, and those `isFolder` names
  // (asked again when an item's data changes), get the folder picture, the
  // others the object picture (the object tree); off for trees whose
  // callers set their own icons.
  void SetImagesByShape(std::function<bool(const QModelIndex& item)> isFolder);

  std::function<void(const QModelIndex& item)> onLabelClicked;
  std::function<void(const QModelIndex& item, Qt::CheckState state)> onCheckChanged;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  enum class Hit { Nothing, CheckBox, Label };
  Hit HitTest(const QPoint& pos, QModelIndex* item) const;
  void SetSubtree(const QModelIndex& item, Qt::CheckState state);
  // After `item` came in unchecked: its parent and their parents.
  void UncheckedChildAdded(const QModelIndex& item);
  void UpdateAncestors(const QModelIndex& item);
  void Toggle(const QModelIndex& item);
  QModelIndex NextEnabled(const QModelIndex& from, bool down) const;

  CheckTreeModel* model_;  // a child of the tree
  // Persistent indexes: they become invalid when their items go.
  QPersistentModelIndex previousSelected_;
  QPersistentModelIndex pressedItem_;
};

}  // namespace brinehold::ui
