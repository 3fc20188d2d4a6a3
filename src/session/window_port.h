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

  // The two trees of the left pane: database objects and, in document
  // recovery, the SharePoint documents. Items are handles above 0; parent 0
  // is the top level. Each item has a text, an image (index into the tree's
  // image list) and a 64-bit data value free for the caller. A window
  // without trees ignores the calls and answers with 0 / empty text.
  enum class Tree { Objects, Documents };
  using TreeItem = int64_t;
  enum class InsertAt { First, Last };

  virtual TreeItem InsertTreeItem(Tree /*tree*/, TreeItem /*parent*/, InsertAt /*where*/,
                                  const std::string& /*text*/, int /*image*/, int /*selectedImage*/) {
    return 0;
  }
  virtual void SetTreeItemData(Tree /*tree*/, TreeItem /*item*/, int64_t /*data*/) {}
  virtual int64_t TreeItemData(Tree /*tree*/, TreeItem /*item*/) { return 0; }
  virtual std::string TreeItemText(Tree /*tree*/, TreeItem /*item*/) { return {}; }
  virtual TreeItem ParentTreeItem(Tree /*tree*/, TreeItem /*item*/) { return 0; }
  // Item 0: the first top-level item.
  virtual TreeItem FirstChildTreeItem(Tree /*tree*/, TreeItem /*item*/) { return 0; }
  virtual TreeItem NextSiblingTreeItem(Tree /*tree*/, TreeItem /*item*/) { return 0; }
  virtual TreeItem SelectedTreeItem(Tree /*tree*/) { return 0; }
  virtual void SelectTreeItem(Tree /*tree*/, TreeItem /*item*/) {}
  virtual void DeleteAllTreeItems(Tree /*tree*/) {}
  virtual void ExpandTreeItem(Tree /*tree*/, TreeItem /*item*/) {}
  // Collapses every top-level branch; the selected item stays selected and
  // is scrolled into view.
  virtual void CollapseTopLevelTreeItems(Tree /*tree*/) {}
  virtual void SetTreeBackground(Tree /*tree*/, uint32_t /*rgb*/) {}
  // Clears the tree and sets it up again: check boxes and smart check on;
  // with `fileTypeIcons` the platform's small file-type icons become its
  // image list.
  virtual void InitialiseTree(Tree /*tree*/, bool /*fileTypeIcons*/) {}
  virtual void ShowTree(Tree /*tree*/, bool /*visible*/) {}
  // The main window's size for the scan type: maximized or normal.
  virtual void MaximizeMainWindow(bool /*maximized*/) {}

  // Image indexes in the small file-type icon list: the folder icon, and
  // the icon of a file by the extension of its name.
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
