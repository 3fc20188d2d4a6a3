// HeadlessWindow: a WindowPort without a screen.
//
// Does what the main window does with each message, in memory: keeps the
// progress range and position, the status line, the log list and the texts of
// error boxes, and records every message in arrival order. It also keeps
// the records panel (list columns and rows, status line, page caption,
// paging buttons), the caption bar, the progress bar's visibility and both
// trees (items, selection, expansion, background). The command-line
// tool watches it through `observer`; tests read the record. Safe to read from
// another thread while a worker sends.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

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

  TreeItem InsertTreeItem(Tree tree, TreeItem parent, InsertAt where, const std::string& text, int image,
                          int selectedImage) override;
  void SetTreeItemData(Tree tree, TreeItem item, int64_t data) override;
  int64_t TreeItemData(Tree tree, TreeItem item) override;
  std::string TreeItemText(Tree tree, TreeItem item) override;
  TreeItem ParentTreeItem(Tree tree, TreeItem item) override;
  TreeItem FirstChildTreeItem(Tree tree, TreeItem item) override;
  TreeItem NextSiblingTreeItem(Tree tree, TreeItem item) override;
  TreeItem SelectedTreeItem(Tree tree) override;
  void SelectTreeItem(Tree tree, TreeItem item) override;
  void DeleteAllTreeItems(Tree tree) override;
  void ExpandTreeItem(Tree tree, TreeItem item) override;
  void CollapseTopLevelTreeItems(Tree tree) override;
  void SetTreeBackground(Tree tree, uint32_t rgb) override;
  void InitialiseTree(Tree tree, bool fileTypeIcons) override;
  void ShowTree(Tree tree, bool visible) override;
  void MaximizeMainWindow(bool maximized) override;
  // Folder 0; files 1, 2, ... one per extension (case-insensitive), in the
  // order first asked for; a name without extension shares one id.
  int FolderIcon() override { return 0; }
  int FileIcon(const std::string& fileName) override;

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

    struct TreeNode {
      TreeItem parent = 0;
      std::string text;
      int image = 0;
      int selectedImage = 0;
      int64_t data = 0;
      bool expanded = false;
      std::vector<TreeItem> children;
    };
    struct TreeState {
      std::vector<TreeNode> nodes;  // item h is nodes[h - 1]
      std::vector<TreeItem> topLevel;
      TreeItem selected = 0;
      uint32_t background = 0xFFFFFF;
      bool visible = false;
      bool fileTypeIcons = false;
      int initialised = 0;  // times InitialiseTree was called
    };
    TreeState objectTree;
    TreeState documentTree;
    bool maximized = false;
    std::map<std::string, int> fileIcons;
  };
  State Snapshot() const;
  std::vector<WindowMessage> Messages() const;
  void Clear();

 private:
  State::TreeState& TreeOf(Tree tree) {
    return tree == Tree::Objects ? state_.objectTree : state_.documentTree;
  }
  // The node of `item`, or null for a handle the tree does not hold.
  State::TreeNode* NodeOf(Tree tree, TreeItem item);
  // The children of `item` (0: the top level), null for a bad handle.
  std::vector<TreeItem>* ChildrenOf(Tree tree, TreeItem item);

  mutable std::mutex mutex_;
  State state_;
};

}  // namespace brinehold
