// WindowPort: how workers talk to the main window.
//
// Every report a worker makes (progress, status, log lines, failure) is a
// numbered window message delivered synchronously: SendMessage returns only
// after the window has handled it, so the sender may pass texts that live on
// its own stack and the window thread serialises every change to the
// interface. The numbers are fixed (WM_USER = 1024) and the order of messages
// is part of the contract; front ends keep both.
//
// Texts travel as UTF-8 (the window's "8-bit text"); a front end converts them
// for display on arrival.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brinehold {

enum WindowMessageId : uint32_t {
  UM_PROGRESS_RESET = 1028,   // wParam low end, lParam high end of range
  UM_STATUS_TEXT = 1029,      // text: status line of the records view
  UM_SCAN_FAILED = 1030,      // text: error box; the scan session is freed
  UM_TABLE_SELECTED = 1174,   // text: item text; lParam: tree item
  UM_FOLDER_SELECTED = 1178,  // text: item text; lParam: tree item
  UM_PROGRESS_POS = 1180,     // wParam: position
  UM_LOG_LINE = 1207,         // text: one log line
  UM_PREV_PAGE = 1214,
  UM_NEXT_PAGE = 1215,
};

// The message's name as the window-message table spells it ("UM_LOG_LINE"),
// or "UM_<number>" for a number outside the table.
std::string WindowMessageName(uint32_t id);

// The two trees of the left pane, by the control ids the window gives them.
// The object tree shows the database's objects; the document tree holds both
// SharePoint roots ("SharePointACTUAL" with sites, lists and documents, and
// "SharePointData" with the folder hierarchy) as two top-level items.
enum class TreeId : int { Object = 328, Document = 340 };

// A tree item's handle: unique within the window for its lifetime and never
// reused; 0 is "no item" (as a parent: the top level).
using TreeItem = uint64_t;
inline constexpr TreeItem kNoTreeItem = 0;

enum class TreePosition { First, Last };

// The order in which SortTreeChildren puts items: by text, bytes compared
// with ASCII letters folded to lower case; texts that differ only in case
// are equal and keep their order.
bool TreeTextLess(std::string_view a, std::string_view b);

struct WindowMessage {
  uint32_t id = 0;
  int64_t wParam = 0;
  int64_t lParam = 0;
  std::string text;
};

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // Delivers one message and returns after the window has handled it.
  virtual int64_t SendMessage(const WindowMessage& message) = 0;

  // Shorthands for the messages every layer sends.
  void ProgressReset(int64_t low, int64_t high) { SendMessage({UM_PROGRESS_RESET, low, high, {}}); }
  void ProgressPos(int64_t position) { SendMessage({UM_PROGRESS_POS, position, 0, {}}); }
  void StatusText(const std::string& text) { SendMessage({UM_STATUS_TEXT, 0, 0, text}); }
  void ScanFailed(const std::string& text) { SendMessage({UM_SCAN_FAILED, 0, 0, text}); }
  void LogLine(const std::string& text) { SendMessage({UM_LOG_LINE, 0, 0, text}); }

  // The records panel, the caption bar and the progress bar, driven
  // directly by the table listing and the document view. Each call returns
  // after the window has made the change. A window without one of these
  // controls ignores the call (the defaults do nothing).
  //
  // The records list is a report-style list: columns with a heading and a
  // width; items (rows) whose text is column 0, with subitem texts for the
  // further columns. A newly created list holds one untitled column.
  enum class PagingButton { Previous, Next };

  virtual void InsertListColumn(int /*index*/, const std::string& /*heading*/, int /*width*/) {}
  // Out of range: nothing happens.
  virtual void DeleteListColumn(int /*index*/) {}
  // Inserts at `index` (clamped to the item count); returns the new item's index.
  virtual int InsertListItem(int /*index*/, const std::string& /*text*/) { return -1; }
  virtual void SetListSubItem(int /*item*/, int /*subItem*/, const std::string& /*text*/) {}
  // The item's data value (the document view keeps a document's index).
  virtual void SetListItemData(int /*item*/, int64_t /*data*/) {}
  // Marks an item that is not a live row of a sound page: `deleted` names
  // how a deleted row was found ("ghost", "carved", ...), `damage` the
  // verification verdict of a page that failed it; either may be empty.
  virtual void MarkListItem(int /*item*/, const std::string& /*deleted*/, const std::string& /*damage*/) {}
  virtual int ListColumnCount() { return 0; }
  virtual void SelectListItem(int /*item*/) {}
  virtual void DeleteAllListItems() {}
  virtual void DeleteSelectedListItems() {}
  virtual int ListItemCount() { return 0; }
  virtual void ShowRecordsList(bool /*visible*/) {}
  virtual void RepaintRecordsList() {}

  virtual void SetStatusLine(const std::string& /*text*/) {}
  virtual void ShowStatusLine(bool /*visible*/) {}
  virtual void SetPageCaption(const std::string& /*text*/) {}
  virtual void ShowPageCaption(bool /*visible*/) {}
  virtual void ShowPagingButton(PagingButton /*button*/, bool /*visible*/) {}
  virtual void EnablePagingButton(PagingButton /*button*/, bool /*enabled*/) {}

  virtual void SetCaptionBar(const std::string& /*text*/) {}
  // The log list's last row gets a new text (the log file is not touched).
  virtual void ReplaceLastLogLine(const std::string& /*text*/) {}

  // The standard progress-bar requests (not the UM_PROGRESS_* messages,
  // though both move the same bar).
  virtual void ShowProgressBar(bool /*visible*/) {}
  virtual void SetProgressRange(int64_t /*low*/, int64_t /*high*/) {}
  virtual void SetProgressPosition(int64_t /*position*/) {}

  // The trees (object tree and document tree). Each call returns after the
  // window has made the change. A handle that is not an item of that tree
  // is ignored (reads give 0 or empty text). Every item has a 64-bit data
  // value free for the caller (0 when inserted), an image and a selected
  // image (indices into the tree's image list), a bold state and an
  // expanded state. A window without trees ignores the calls.
  //
  // Inserts `text` as the first or last child of `parent` (kNoTreeItem: the
  // top level); returns the new item, or kNoTreeItem when the parent is
  // not an item of the tree.
  virtual TreeItem InsertTreeItem(TreeId /*tree*/, TreeItem /*parent*/, TreePosition /*position*/,
                                  const std::string& /*text*/, int /*image*/, int /*selectedImage*/) {
    return kNoTreeItem;
  }
  virtual void SetTreeItemData(TreeId /*tree*/, TreeItem /*item*/, int64_t /*data*/) {}
  virtual int64_t TreeItemData(TreeId /*tree*/, TreeItem /*item*/) { return 0; }
  virtual void SetTreeItemBold(TreeId /*tree*/, TreeItem /*item*/, bool /*bold*/) {}
  virtual std::string TreeItemText(TreeId /*tree*/, TreeItem /*item*/) { return {}; }
  // kNoTreeItem for a top-level item.
  virtual TreeItem TreeItemParent(TreeId /*tree*/, TreeItem /*item*/) { return kNoTreeItem; }
  // With kNoTreeItem: the first top-level item.
  virtual TreeItem TreeFirstChild(TreeId /*tree*/, TreeItem /*item*/) { return kNoTreeItem; }
  virtual TreeItem TreeNextSibling(TreeId /*tree*/, TreeItem /*item*/) { return kNoTreeItem; }
  // The children of `item` (kNoTreeItem: the top level) in order, with
  // their data, in one request: a folder may hold tens of thousands of
  // documents, and walking them sibling by sibling costs a request each
  // (and, in a tree control, a search of the siblings each).
  struct TreeChild {
    TreeItem item = kNoTreeItem;
    int64_t data = 0;
  };
  virtual std::vector<TreeChild> TreeChildren(TreeId tree, TreeItem item);
  // Sorts the children of `item` (kNoTreeItem: the top level) by
  // TreeTextLess; grandchildren keep their order.
  virtual void SortTreeChildren(TreeId /*tree*/, TreeItem /*item*/) {}
  // Selects the item (kNoTreeItem: no selection) and makes it visible.
  virtual void SelectTreeItem(TreeId /*tree*/, TreeItem /*item*/) {}
  virtual TreeItem SelectedTreeItem(TreeId /*tree*/) { return kNoTreeItem; }
  virtual void ExpandTreeItem(TreeId /*tree*/, TreeItem /*item*/) {}
  // Collapses every top-level branch; the selected item stays selected and
  // visible (its ancestors are expanded again).
  virtual void CollapseTreeKeepSelection(TreeId /*tree*/) {}
  virtual void DeleteAllTreeItems(TreeId /*tree*/) {}
  virtual void RedrawTree(TreeId /*tree*/) {}
  // Layout of the left pane and the document tree's look.
  virtual void ShowTree(TreeId /*tree*/, bool /*visible*/) {}
  // Empties the tree and switches check boxes and smart check on.
  virtual void InitialiseTree(TreeId /*tree*/) {}
  virtual void SetTreeBackground(TreeId /*tree*/, uint32_t /*rgb*/) {}
  // The main window's size for the scan type: maximized or normal.
  virtual void MaximizeMainWindow(bool /*maximized*/) {}
  // Image indices in the document tree's small file-type icon list: the
  // folder icon, and the icon of a file name by its extension.
  virtual int FolderIcon() { return 0; }
  virtual int FileIcon(const std::string& /*fileName*/) { return 0; }
};

// Reports ~100 progress positions over a pass of `total` steps: the step is
// ceiling(total / 100), at least 1.
inline int64_t ProgressStep(int64_t total) {
  int64_t step = (total + 99) / 100;
  return step < 1 ? 1 : step;
}

}  // namespace brinehold
