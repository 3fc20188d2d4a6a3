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
// Items are known to the rest of the program by handles (TreeItem): unique
// within the process for an item's life and never reused, so a handle kept
// across a reset finds nothing instead of a stranger. Each item also keeps
// a 64-bit data value for its caller.
//
// Window thread only; the port hands the workers' requests over.
#pragma once

#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <string_view>
#include <utility>

#include "platform/text_pool.h"
#include "session/window_port.h"

namespace brinehold::ui {

class CXHtmlTree : public QTreeWidget {
 public:
  explicit CXHtmlTree(QWidget* parent = nullptr);

  // Empties the tree and switches check boxes and smart check on.
  void Initialise();
  // Inserts `text` under `parent` (nullptr: top level) as its first or last
  // child, unchecked, with `handle` (one from ReserveHandle) or a new one.
  QTreeWidgetItem* InsertItem(QTreeWidgetItem* parent, const QString& text, bool first = false,
                              TreeItem handle = kNoTreeItem);
  // The same with the text in UTF-8, as the workers hand it over.
  QTreeWidgetItem* InsertUtf8Item(QTreeWidgetItem* parent, std::string_view utf8Text, bool first = false,
                                  TreeItem handle = kNoTreeItem);
  // A copy of an item's text that lives until Initialise: items keep their
  // texts here, in UTF-8.
  std::string_view KeepText(std::string_view utf8);
  // A handle no item has; any thread may take one.
  static TreeItem ReserveHandle();
  // The item behind `handle`, or nullptr.
  QTreeWidgetItem* Find(TreeItem handle) const;
  TreeItem HandleOf(const QTreeWidgetItem* item) const;
  int64_t DataOf(const QTreeWidgetItem* item) const;
  void SetData(QTreeWidgetItem* item, int64_t data);
  // Sorts the children of `item` (nullptr: the top level) by TreeTextLess,
  // one level.
  void SortChildren(QTreeWidgetItem* item);
  void SetChecked(QTreeWidgetItem* item, bool checked);
  bool IsChecked(const QTreeWidgetItem* item) const;
  // 1 unchecked, 2 checked, 3 tri-state; 4 more when the item is disabled.
  int StateIndex(const QTreeWidgetItem* item) const;
  // Selects `item` as a click does, without calling onLabelClicked.
  void SelectItem(QTreeWidgetItem* item);
  void ReselectPrevious();
  // Collapses every top-level branch, keeping the current item selected
  // and visible.
  void CollapseTopLevel();

  // Images by shape: items with children, and those `isFolder` names
  // (asked again when an item's data changes), get the folder picture, the
  // others the object picture (the object tree); off for trees whose
  // callers set their own icons.
  bool imagesByShape = false;
  std::function<bool(const QTreeWidgetItem* item)> isFolder;

  std::function<void(QTreeWidgetItem* item)> onLabelClicked;
  std::function<void(QTreeWidgetItem* item, Qt::CheckState state)> onCheckChanged;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  enum class Hit { Nothing, CheckBox, Label };
  Hit HitTest(const QPoint& pos, QTreeWidgetItem** item) const;
  void SetSubtree(QTreeWidgetItem* item, Qt::CheckState state);
  // After `item` came in unchecked: its parent and their parents.
  void UncheckedChildAdded(QTreeWidgetItem* item);
  void UpdateAncestors(QTreeWidgetItem* item);
  void Toggle(QTreeWidgetItem* item);
  QTreeWidgetItem* NextEnabled(QTreeWidgetItem* from, bool down) const;
  void RefreshImage(QTreeWidgetItem* item);
  void RememberItem(TreeItem handle, QTreeWidgetItem* item);

  // Items by handle, in handle order: handles are handed out in increasing
  // order, so an insert appends, and a document tree of millions of items
  // costs 16 bytes an item here instead of a hash node each.
  std::deque<std::pair<TreeItem, QTreeWidgetItem*>> items_;
  TextPool texts_;
  // Persistent indexes: they become invalid when their items are deleted.
  QPersistentModelIndex previousSelected_;
  QPersistentModelIndex pressedItem_;
};

}  // namespace brinehold::ui
