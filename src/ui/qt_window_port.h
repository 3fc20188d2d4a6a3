// QtWindowPort: the main window as the workers' WindowPort.
//
// Every request runs on the window thread and returns after the window has
// handled it: from the window thread directly, from a worker as a blocking
// queued call (the worker waits while the window thread serves it). So the
// order of a worker's requests is kept, texts may live on its stack, and
// every change to the widgets happens on the window thread.
//
// Two paths are hot: the records list (a list page is 1000 rows of up to
// hundreds of cells) and the trees (a content database gives the document
// tree two items per document, millions of them). A worker's row inserts,
// cell texts, tree inserts and item data are collected and handed over in
// batches, so a page or a tree costs a few hand-overs per thousand changes
// instead of a round trip each. A worker does not wait for its batch to be
// applied (unless two are still waiting), so it reads on while the window
// fills its widgets.
//
// The caption bar, the last log line and the progress position are
// collected too, the latest of each replacing the one before in the batch:
// a list page sets the first two once a row, and nothing shows between two
// of them while a batch is applied. Log rows a worker writes (Post) are
// collected in their place, and later changes never move before them.
//
// A tree item inserted from a worker gets its handle at once (handles are
// reserved from a counter any thread may draw from); an item whose parent
// is gone when the batch is applied is not made, and requests about it find
// nothing. File and folder images are remembered on the worker's side per
// extension.
//
// Any other request first hands over what was collected, and the window
// applies every batch handed over before it serves a request or applies
// another, so the window sees every change in the worker's order. What a
// worker collected last is handed over when it sends anything else, after
// 50 ms, or when the window finds the worker ended (FlushPendingRows).
//
// The window must never block waiting for a worker while the worker waits
// in a send (see CScanDriver::WorkerActive).
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "session/window_port.h"

namespace brinehold::ui {

class CMainFrame;

class QtWindowPort : public WindowPort {
 public:
  explicit QtWindowPort(CMainFrame& frame);

  int64_t SendMessage(const WindowMessage& message) override;

  void InsertListColumn(int index, const std::string& heading, int width) override;
  void DeleteListColumn(int index) override;
  int InsertListItem(int index, const std::string& text) override;
  void SetListSubItem(int item, int subItem, const std::string& text) override;
  void MarkListItem(int item, const std::string& deleted, const std::string& damage) override;
  void SelectListItem(int item) override;
  void DeleteAllListItems() override;
  void DeleteSelectedListItems() override;
  int ListItemCount() override;
  int ListColumnCount() override;
  void ShowRecordsList(bool visible) override;
  void RepaintRecordsList() override;
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
  void RedrawTree(TreeId tree) override;
  void ShowTree(TreeId tree, bool visible) override;
  void InitialiseTree(TreeId tree) override;
  void SetTreeBackground(TreeId tree, uint32_t rgb) override;
  // Tree images from the desktop's icon provider: one for folders, one per
  // file extension, numbered from 1 (0: no image).
  int FolderIcon() override;
  int FileIcon(const std::string& fileName) override;

  // Runs `work` on the window thread and returns when it is done.
  void Run(const std::function<void()>& work);
  // Window thread: applies the row changes a finished worker left behind.
  void FlushPendingRows();
  // Runs `call` on the window thread in its place among the changes a
  // worker collected, without waiting (a worker may hold a lock the window
  // needs); from the window thread, queued as an event.
  void Post(std::function<void()> call);

 private:
  struct RowChange {
    // Rows: insert `text` at `row`, set cell (row, column), or mark `row`.
    // Trees: insert item `item` under `parent`, or set its `data`.
    // Latest wins: the caption bar's or the last log line's `text`, the
    // progress position in `data`.
    // Call: runs `call`.
    enum class Kind { Insert, Cell, Mark, TreeInsert, TreeData, Caption, LastLogLine, ProgressPosition, Call };
    Kind kind = Kind::Cell;
    int row = 0;
    int column = 0;
    std::string text;
    std::string damage;  // of a mark; its deleted text is `text`
    TreeId tree = TreeId::Object;
    TreeItem item = kNoTreeItem;
    TreeItem parent = kNoTreeItem;
    int image = 0;
    bool first = false;
    int64_t data = 0;
    std::function<void()> call{};
  };

  bool OnWindowThread() const;
  class CXHtmlTree* Tree(TreeId tree) const;
  // Worker side: hands the collected row changes to the window.
  void Flush();
  void ApplyRowChanges(const std::vector<RowChange>& changes);
  // Window thread: applies the batches handed over, oldest first.
  void ApplyHandedBatches();
  void ApplyTreeChange(const RowChange& change);
  // Window thread: inserts an item (with `handle` when not kNoTreeItem).
  TreeItem InsertTreeItemNow(TreeId tree, TreeItem parent, bool first, const std::string& text, int image,
                             TreeItem handle);
  // Worker side: the image for `key`, made on the window thread once.
  int RememberedIcon(const std::string& key, const std::function<int()>& make);
  void Collect(RowChange change);
  // Collects a latest-wins change, replacing one of its kind in the batch.
  void CollectLatest(RowChange change);
  void ApplyLatest(const RowChange& change);

  // Window thread: the image's number, added on its first use.
  int IconIndex(const std::string& key, const std::function<QIcon()>& make);

  CMainFrame& frame_;
  std::vector<QIcon> icons_;  // image n is icons_[n - 1]
  std::map<std::string, int> iconIndices_;
  std::mutex rememberedIconsMutex_;
  std::map<std::string, int> rememberedIcons_;  // worker side, by the same keys
  std::mutex pendingMutex_;
  std::vector<RowChange> pending_;
  std::deque<std::vector<RowChange>> handed_;  // handed over, not yet applied
  std::condition_variable batchApplied_;
  // Where the latest-wins changes stand in `pending_` (by kind), -1 for none.
  std::map<RowChange::Kind, ptrdiff_t> latestAt_;
  int mirroredRowCount_ = -1;  // row count as the collected changes leave it; -1 unknown
  std::chrono::steady_clock::time_point lastFlush_;
};

}  // namespace brinehold::ui
