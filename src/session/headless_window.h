// HeadlessWindow: a WindowPort without a screen.
//
// Does what the main window does with each message, in memory: keeps the
// progress range and position, the status line, the log list and the texts of
// error boxes, and records every message in arrival order. It also keeps
// the records panel (list columns and rows, status line, page caption,
// paging buttons), the caption bar, the progress bar's visibility and both
// trees (object tree and document tree) with their items. The command-line
// tool watches it through `observer`; tests read the record. Safe to read from
// another thread while a worker sends.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "session/headless_tree.h"
#include "session/window_port.h"

namespace brinehold {

class HeadlessWindow : public WindowPort {
 public:
  int64_t SendMessage(const WindowMessage& message) override;

  void InsertListColumn(int index, const std::string& heading, int width) override;
  void DeleteListColumn(int index) override;
  int InsertListItem(int index, const std::string& text) override;
  void SetListSubItem(int item, int subItem, const std::string& text) override;
  void SetListItemData(int item, int64_t data) override;
  void MarkListItem(int item, const std::string& deleted, const std::string& damage) override;
  int ListColumnCount() override;
  void SelectListItem(int item) override;
  void DeleteAllListItems() override;
  void DeleteSelectedListItems() override;
  int ListItemCount() override;
  void ShowRecordsList(bool visible) override;
  void SetStatusLine(const std::string& text) override;
  void ShowStatusLine(bool visible) override;
  void SetPageCaption(const std::string& text) override;
  void ShowPageCaption(bool visible) override;
  void ShowPagingButton(PagingButton button, bool visible) override;
  void EnablePagingButton(PagingButton button, bool enabled) override;
  void SetCaptionBar(const std::string& text) override;
  void ReplaceLastLogLine(const std::string& text) override;
  void ShowProgressBar(bool visible) override;
  void SetProgressRange(int64_t low, int64_t high) override;
  void SetProgressPosition(int64_t position) override;

  TreeItem InsertTreeItem(TreeId tree, TreeItem parent, TreePosition position, const std::string& text, int image,
                          int selectedImage) override;
  void SetTreeItemData(TreeId tree, TreeItem item, int64_t data) override;
  int64_t TreeItemData(TreeId tree, TreeItem item) override;
  void SetTreeItemBold(TreeId tree, TreeItem item, bool bold) override;
  std::string TreeItemText(TreeId tree, TreeItem item) override;
  TreeItem TreeItemParent(TreeId tree, TreeItem item) override;
  TreeItem TreeFirstChild(TreeId tree, TreeItem item) override;
  TreeItem TreeNextSibling(TreeId tree, TreeItem item) override;
  std::vector<TreeChild> TreeChildren(TreeId tree, TreeItem item) override;
  void SortTreeChildren(TreeId tree, TreeItem item) override;
  void SelectTreeItem(TreeId tree, TreeItem item) override;
  TreeItem SelectedTreeItem(TreeId tree) override;
  void ExpandTreeItem(TreeId tree, TreeItem item) override;
  void CollapseTreeKeepSelection(TreeId tree) override;
  void DeleteAllTreeItems(TreeId tree) override;
  void ShowTree(TreeId tree, bool visible) override;
  void InitialiseTree(TreeId tree) override;
  void SetTreeBackground(TreeId tree, uint32_t rgb) override;
  void MaximizeMainWindow(bool maximized) override;
  // Folder icon 1; file icons 2, 3, ... by extension (case-insensitive) in
  // the order they are first asked for.
  int FolderIcon() override;
  int FileIcon(const std::string& fileName) override;

  // The tree as HeadlessTree::Print shows it.
  std::string PrintTree(TreeId tree) const;

  // Called on the sending thread for every message, after the window state
  // was updated.
  std::function<void(const WindowMessage&)> observer;
  // Called for UM_LOG_LINE with the line (the recovery log's writer).
  std::function<void(const std::string&)> logSink;
  // Called for UM_SCAN_FAILED after the status line was emptied: the owner
  // frees the scan session here.
  std::function<void(const std::string&)> onScanFailed;

  struct State {
    std::vector<WindowMessage> messages;
    int64_t progressLow = 0;
    int64_t progressHigh = 0;
    int64_t progressPos = 0;
    std::string statusLine;
    std::vector<std::string> logList;
    std::vector<std::string> errorBoxes;

    // The records panel as the panel is created: the list holds one
    // untitled column 1500 wide; only the status line is shown.
    struct ListColumn {
      std::string heading;
      int width = 0;
    };
    struct ListItem {
      std::vector<std::string> texts;  // column 0, then the subitems
      bool selected = false;
      int64_t data = 0;
      std::string deleted;  // ghost, carved or freed; empty for a live row
      std::string damage;   // the failed check of the row's page, if any
    };
    struct Button {
      bool visible = false;
      bool enabled = true;
    };
    std::vector<ListColumn> listColumns{{"", 1500}};
    std::vector<ListItem> listItems;
    bool listVisible = false;
    bool statusLineVisible = true;
    std::string pageCaption;
    bool pageCaptionVisible = false;
    Button previousButton;
    Button nextButton;
    std::string captionBar;
    bool progressVisible = false;
    bool maximized = false;

    HeadlessTree objectTree;
    HeadlessTree documentTree{false};  // hidden until a document-recovery layout
    std::map<std::string, int> fileIcons;  // extension -> image index
    TreeItem lastTreeItem = kNoTreeItem;

    HeadlessTree& Tree(TreeId tree) { return tree == TreeId::Document ? documentTree : objectTree; }
    const HeadlessTree& Tree(TreeId tree) const { return tree == TreeId::Document ? documentTree : objectTree; }
  };
  State Snapshot() const;
  std::vector<WindowMessage> Messages() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  State state_;
};

}  // namespace brinehold
