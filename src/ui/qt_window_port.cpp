#include "ui/qt_window_port.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableView>
#include <QThread>
#include <QToolButton>
#include <algorithm>
#include <climits>

#include "ui/check_tree.h"
#include "ui/main_frame.h"
#include "ui/panes.h"
#include "ui/records_model.h"
#include "ui/records_panel.h"

namespace brinehold::ui {

namespace {

constexpr size_t kBatchChanges = 4096;
constexpr auto kBatchInterval = std::chrono::milliseconds(50);
// Batches handed over and not yet applied before a worker waits: enough to
// keep both threads busy, few enough to bound what waits in memory.
constexpr size_t kMaxHandedBatches = 2;

QString Text(const std::string& text) { return QString::fromStdString(text); }

int ClampToInt(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

}  // namespace

QtWindowPort::QtWindowPort(CMainFrame& frame) : frame_(frame), lastFlush_(std::chrono::steady_clock::now()) {}

bool QtWindowPort::OnWindowThread() const { return QThread::currentThread() == frame_.thread(); }

void QtWindowPort::Run(const std::function<void()>& work) {
  if (OnWindowThread()) {
    work();
    return;
  }
  Flush();
  // The batches handed over before are applied first, whatever the order
  // in which the window thread meets the queued calls.
  QMetaObject::invokeMethod(
      &frame_,
      [this, &work]() {
        ApplyHandedBatches();
        work();
      },
      Qt::BlockingQueuedConnection);
}

void QtWindowPort::Flush() {
  if (OnWindowThread()) {
    ApplyHandedBatches();
    std::vector<RowChange> changes;
    {
      std::lock_guard<std::mutex> lock(pendingMutex_);
      changes.swap(pending_);
      latestAt_.clear();
      lastFlush_ = std::chrono::steady_clock::now();
    }
    ApplyRowChanges(changes);
    return;
  }
  {
    std::unique_lock<std::mutex> lock(pendingMutex_);
    lastFlush_ = std::chrono::steady_clock::now();
    if (pending_.empty()) return;
    batchApplied_.wait(lock, [this]() { return handed_.size() < kMaxHandedBatches; });
    handed_.push_back(std::move(pending_));
    pending_.clear();
    latestAt_.clear();
  }
  QMetaObject::invokeMethod(&frame_, [this]() { ApplyHandedBatches(); }, Qt::QueuedConnection);
}

void QtWindowPort::ApplyHandedBatches() {
  for (;;) {
    std::vector<RowChange> batch;
    {
      std::lock_guard<std::mutex> lock(pendingMutex_);
      if (handed_.empty()) return;
      batch = std::move(handed_.front());
      handed_.pop_front();
    }
    // The worker may collect its next batch while this one is applied.
    batchApplied_.notify_all();
    ApplyRowChanges(batch);
  }
}

void QtWindowPort::FlushPendingRows() { Flush(); }

void QtWindowPort::Post(std::function<void()> call) {
  if (OnWindowThread()) {
    QMetaObject::invokeMethod(&frame_, std::move(call), Qt::QueuedConnection);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    RowChange change;
    change.kind = RowChange::Kind::Call;
    change.call = std::move(call);
    pending_.push_back(std::move(change));
    // A call may touch what a latest-wins change sets (a log row, the row
    // a progress text replaces): later ones must not move before it.
    latestAt_.clear();
  }
  // Handed over by the window itself: the worker may not make another
  // request for a while.
  QMetaObject::invokeMethod(&frame_, [this]() { Flush(); }, Qt::QueuedConnection);
}

void QtWindowPort::ApplyRowChanges(const std::vector<RowChange>& changes) {
  RecordsModel& model = frame_.Panel()->Model();
  for (const RowChange& change : changes) {
    switch (change.kind) {
      case RowChange::Kind::Insert:
        model.InsertRow(change.row, Text(change.text));
        break;
      case RowChange::Kind::Cell:
        model.SetCell(change.row, change.column, Text(change.text));
        break;
      case RowChange::Kind::Mark:
        model.SetRowMark(change.row, {Text(change.text), Text(change.damage)});
        break;
      case RowChange::Kind::TreeInsert:
      case RowChange::Kind::TreeData:
        ApplyTreeChange(change);
        break;
      case RowChange::Kind::Caption:
      case RowChange::Kind::LastLogLine:
      case RowChange::Kind::ProgressPosition:
        ApplyLatest(change);
        break;
      case RowChange::Kind::Call:
        if (change.call) change.call();
        break;
    }
  }
}

void QtWindowPort::ApplyTreeChange(const RowChange& change) {
  if (change.kind == RowChange::Kind::TreeInsert) {
    InsertTreeItemNow(change.tree, change.parent, change.first, change.text, change.image, change.item);
  } else {
    Tree(change.tree)->SetData(Tree(change.tree)->Find(change.item), change.data);
  }
}

void QtWindowPort::Collect(RowChange change) {
  bool due = false;
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    pending_.push_back(std::move(change));
    due = pending_.size() >= kBatchChanges || std::chrono::steady_clock::now() - lastFlush_ >= kBatchInterval;
  }
  if (due) Flush();
}

void QtWindowPort::CollectLatest(RowChange change) {
  if (OnWindowThread()) {
    Flush();
    ApplyLatest(change);
    return;
  }
  bool due = false;
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    auto [at, added] = latestAt_.try_emplace(change.kind, static_cast<ptrdiff_t>(pending_.size()));
    if (added) pending_.push_back(std::move(change));
    else pending_[static_cast<size_t>(at->second)] = std::move(change);
    due = std::chrono::steady_clock::now() - lastFlush_ >= kBatchInterval;
  }
  if (due) Flush();
}

void QtWindowPort::ApplyLatest(const RowChange& change) {
  switch (change.kind) {
    case RowChange::Kind::Caption:
      frame_.SetCaptionText(change.text);
      break;
    case RowChange::Kind::LastLogLine:
      frame_.ReplaceLastLogRow(Text(change.text));
      break;
    case RowChange::Kind::ProgressPosition:
      frame_.ProgressBar()->setValue(ClampToInt(change.data));
      break;
    default:
      break;
  }
}

int64_t QtWindowPort::SendMessage(const WindowMessage& message) {
  int64_t result = 0;
  Run([&]() { result = frame_.HandleMessage(message); });
  return result;
}

void QtWindowPort::InsertListColumn(int index, const std::string& heading, int width) {
  Run([&]() { frame_.Panel()->Model().InsertColumn(index, Text(heading), width); });
}

void QtWindowPort::DeleteListColumn(int index) {
  Run([&]() { frame_.Panel()->Model().DeleteColumn(index); });
}

int QtWindowPort::InsertListItem(int index, const std::string& text) {
  if (OnWindowThread()) {
    Flush();
    mirroredRowCount_ = -1;
    return frame_.Panel()->Model().InsertRow(index, Text(text));
  }
  if (mirroredRowCount_ < 0) mirroredRowCount_ = ListItemCount();
  const int at = (index < 0 || index > mirroredRowCount_) ? mirroredRowCount_ : index;
  ++mirroredRowCount_;
  Collect({RowChange::Kind::Insert, at, 0, text, {}});
  return at;
}

void QtWindowPort::SetListSubItem(int item, int subItem, const std::string& text) {
  if (OnWindowThread()) {
    Flush();
    frame_.Panel()->Model().SetCell(item, subItem, Text(text));
    return;
  }
  Collect({RowChange::Kind::Cell, item, subItem, text, {}});
}

void QtWindowPort::MarkListItem(int item, const std::string& deleted, const std::string& damage) {
  if (OnWindowThread()) {
    Flush();
    frame_.Panel()->Model().SetRowMark(item, {Text(deleted), Text(damage)});
    return;
  }
  Collect({RowChange::Kind::Mark, item, 0, deleted, damage});
}

void QtWindowPort::SelectListItem(int item) {
  Run([&]() {
    QTableView* list = frame_.Panel()->RecordsList();
    if (item < 0 || item >= list->model()->rowCount()) return;
    list->selectRow(item);
  });
}

void QtWindowPort::DeleteAllListItems() {
  Run([&]() { frame_.Panel()->Model().DeleteAllRows(); });
  mirroredRowCount_ = -1;
}

void QtWindowPort::DeleteSelectedListItems() {
  Run([&]() {
    QTableView* list = frame_.Panel()->RecordsList();
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows()) rows.push_back(index.row());
    frame_.Panel()->Model().DeleteRows(rows);
  });
  mirroredRowCount_ = -1;
}

int QtWindowPort::ListColumnCount() {
  int count = 0;
  Run([&]() { count = frame_.Panel()->Model().columnCount(); });
  return count;
}

int QtWindowPort::ListItemCount() {
  int count = 0;
  Run([&]() { count = frame_.Panel()->Model().rowCount(); });
  return count;
}

void QtWindowPort::ShowRecordsList(bool visible) {
  Run([&]() { frame_.Panel()->RecordsList()->setVisible(visible); });
}

void QtWindowPort::RepaintRecordsList() {
  Run([&]() { frame_.Panel()->RecordsList()->viewport()->update(); });
}

void QtWindowPort::SetStatusLine(const std::string& text) {
  Run([&]() { frame_.Panel()->StatusLine()->setPlainText(Text(text)); });
}

void QtWindowPort::ShowStatusLine(bool visible) {
  Run([&]() { frame_.Panel()->StatusLine()->setVisible(visible); });
}

void QtWindowPort::SetPageCaption(const std::string& text) {
  Run([&]() { frame_.Panel()->PageCaption()->setText(Text(text)); });
}

void QtWindowPort::ShowPageCaption(bool visible) {
  Run([&]() { frame_.Panel()->PageCaption()->setVisible(visible); });
}

void QtWindowPort::ShowPagingButton(PagingButton button, bool visible) {
  Run([&]() {
    auto* panel = frame_.Panel();
    (button == PagingButton::Previous ? panel->PreviousButton() : panel->NextButton())->setVisible(visible);
  });
}

void QtWindowPort::EnablePagingButton(PagingButton button, bool enabled) {
  Run([&]() {
    auto* panel = frame_.Panel();
    (button == PagingButton::Previous ? panel->PreviousButton() : panel->NextButton())->setEnabled(enabled);
  });
}

void QtWindowPort::SetCaptionBar(const std::string& text) {
  RowChange change{RowChange::Kind::Caption, 0, 0, text, {}};
  CollectLatest(std::move(change));
}

void QtWindowPort::ReplaceLastLogLine(const std::string& text) {
  RowChange change{RowChange::Kind::LastLogLine, 0, 0, text, {}};
  CollectLatest(std::move(change));
}

void QtWindowPort::ShowProgressBar(bool visible) {
  Run([&]() { frame_.ShowProgress(visible); });
}

void QtWindowPort::SetProgressRange(int64_t low, int64_t high) {
  Run([&]() { frame_.ProgressBar()->setRange(ClampToInt(low), ClampToInt(std::max(low, high))); });
}

void QtWindowPort::SetProgressPosition(int64_t position) {
  RowChange change;
  change.kind = RowChange::Kind::ProgressPosition;
  change.data = position;
  CollectLatest(std::move(change));
}

CXHtmlTree* QtWindowPort::Tree(TreeId tree) const {
  return tree == TreeId::Document ? frame_.DocumentTree() : frame_.ObjectTree();
}

TreeItem QtWindowPort::InsertTreeItemNow(TreeId tree, TreeItem parent, bool first, const std::string& text,
                                         int image, TreeItem handle) {
  CXHtmlTree* t = Tree(tree);
  const QModelIndex parentItem = parent == kNoTreeItem ? QModelIndex() : t->Find(parent);
  if (parent != kNoTreeItem && !parentItem.isValid()) return kNoTreeItem;
  const QModelIndex item = t->InsertUtf8Item(parentItem, text, first, handle);
  if (image > 0 && static_cast<size_t>(image) <= icons_.size()) t->SetIcon(item, icons_[static_cast<size_t>(image) - 1]);
  return t->HandleOf(item);
}

TreeItem QtWindowPort::InsertTreeItem(TreeId tree, TreeItem parent, TreePosition position, const std::string& text,
                                      int image, int /*selectedImage*/) {
  const bool first = position == TreePosition::First;
  if (OnWindowThread()) return InsertTreeItemNow(tree, parent, first, text, image, kNoTreeItem);
  RowChange change;
  change.kind = RowChange::Kind::TreeInsert;
  change.tree = tree;
  change.item = CXHtmlTree::ReserveHandle();
  change.parent = parent;
  change.text = text;
  change.image = image;
  change.first = first;
  const TreeItem handle = change.item;
  Collect(std::move(change));
  return handle;
}

void QtWindowPort::SetTreeItemData(TreeId tree, TreeItem item, int64_t data) {
  if (OnWindowThread()) {
    Tree(tree)->SetData(Tree(tree)->Find(item), data);
    return;
  }
  RowChange change;
  change.kind = RowChange::Kind::TreeData;
  change.tree = tree;
  change.item = item;
  change.data = data;
  Collect(std::move(change));
}

int64_t QtWindowPort::TreeItemData(TreeId tree, TreeItem item) {
  int64_t data = 0;
  Run([&]() { data = Tree(tree)->DataOf(Tree(tree)->Find(item)); });
  return data;
}

void QtWindowPort::SetTreeItemBold(TreeId tree, TreeItem item, bool bold) {
  Run([&]() {
    Tree(tree)->SetBold(Tree(tree)->Find(item), bold);
  });
}

std::string QtWindowPort::TreeItemText(TreeId tree, TreeItem item) {
  std::string text;
  Run([&]() {
    text = Tree(tree)->TextOf(Tree(tree)->Find(item));
  });
  return text;
}

TreeItem QtWindowPort::TreeItemParent(TreeId tree, TreeItem item) {
  TreeItem parent = kNoTreeItem;
  Run([&]() {
    parent = Tree(tree)->HandleOf(Tree(tree)->Find(item).parent());
  });
  return parent;
}

TreeItem QtWindowPort::TreeFirstChild(TreeId tree, TreeItem item) {
  TreeItem child = kNoTreeItem;
  Run([&]() {
    CXHtmlTree* t = Tree(tree);
    const QModelIndex parent = item == kNoTreeItem ? QModelIndex() : t->Find(item);
    if (item == kNoTreeItem || parent.isValid()) child = t->HandleOf(t->Child(parent, 0));
  });
  return child;
}

std::vector<WindowPort::TreeChild> QtWindowPort::TreeChildren(TreeId tree, TreeItem item) {
  std::vector<TreeChild> children;
  Run([&]() {
    CXHtmlTree* t = Tree(tree);
    const QModelIndex parent = item == kNoTreeItem ? QModelIndex() : t->Find(item);
    if (item != kNoTreeItem && !parent.isValid()) return;
    const int count = t->ChildCount(parent);
    children.reserve(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) {
      const QModelIndex child = t->Child(parent, row);
      children.push_back({t->HandleOf(child), t->DataOf(child)});
    }
  });
  return children;
}

TreeItem QtWindowPort::TreeNextSibling(TreeId tree, TreeItem item) {
  TreeItem sibling = kNoTreeItem;
  Run([&]() {
    CXHtmlTree* t = Tree(tree);
    const QModelIndex found = t->Find(item);
    if (found.isValid()) sibling = t->HandleOf(found.siblingAtRow(found.row() + 1));
  });
  return sibling;
}

void QtWindowPort::SortTreeChildren(TreeId tree, TreeItem item) {
  Run([&]() {
    CXHtmlTree* t = Tree(tree);
    const QModelIndex found = item == kNoTreeItem ? QModelIndex() : t->Find(item);
    if (item == kNoTreeItem || found.isValid()) t->SortChildren(found);
  });
}

void QtWindowPort::SelectTreeItem(TreeId tree, TreeItem item) {
  Run([&]() { Tree(tree)->SelectItem(item == kNoTreeItem ? QModelIndex() : Tree(tree)->Find(item)); });
}

TreeItem QtWindowPort::SelectedTreeItem(TreeId tree) {
  TreeItem selected = kNoTreeItem;
  Run([&]() {
    selected = Tree(tree)->HandleOf(Tree(tree)->SelectedItem());
  });
  return selected;
}

void QtWindowPort::ExpandTreeItem(TreeId tree, TreeItem item) {
  Run([&]() {
    if (const QModelIndex found = Tree(tree)->Find(item); found.isValid()) Tree(tree)->expand(found);
  });
}

void QtWindowPort::CollapseTreeKeepSelection(TreeId tree) {
  Run([&]() { Tree(tree)->CollapseTopLevel(); });
}

void QtWindowPort::DeleteAllTreeItems(TreeId tree) {
  Run([&]() { Tree(tree)->Initialise(); });
}

void QtWindowPort::RedrawTree(TreeId tree) {
  Run([&]() { Tree(tree)->viewport()->update(); });
}

void QtWindowPort::ShowTree(TreeId tree, bool visible) {
  Run([&]() { frame_.FileView()->ShowDocumentTree((tree == TreeId::Document) == visible); });
}

void QtWindowPort::InitialiseTree(TreeId tree) {
  Run([&]() { Tree(tree)->Initialise(); });
}

int QtWindowPort::IconIndex(const std::string& key, const std::function<QIcon()>& make) {
  auto found = iconIndices_.find(key);
  if (found != iconIndices_.end()) return found->second;
  icons_.push_back(make());
  const int index = static_cast<int>(icons_.size());
  iconIndices_.emplace(key, index);
  return index;
}

int QtWindowPort::RememberedIcon(const std::string& key, const std::function<int()>& make) {
  {
    std::lock_guard<std::mutex> lock(rememberedIconsMutex_);
    auto found = rememberedIcons_.find(key);
    if (found != rememberedIcons_.end()) return found->second;
  }
  const int index = make();
  std::lock_guard<std::mutex> lock(rememberedIconsMutex_);
  rememberedIcons_.emplace(key, index);
  return index;
}

int QtWindowPort::FolderIcon() {
  return RememberedIcon("/", [this]() {
    int index = 0;
    Run([&]() { index = IconIndex("/", []() { return QFileIconProvider().icon(QFileIconProvider::Folder); }); });
    return index;
  });
}

int QtWindowPort::FileIcon(const std::string& fileName) {
  // One image per extension: the provider's icon for the file type, from
  // the name alone (the file is not on this disk).
  const QString suffix = QFileInfo(Text(fileName)).suffix().toLower();
  const std::string key = QString(QLatin1Char('.') + suffix).toStdString();
  return RememberedIcon(key, [&]() {
    int index = 0;
    Run([&]() {
      index = IconIndex(key, [&suffix]() {
        QFileIconProvider provider;
        provider.setOptions(QFileIconProvider::DontUseCustomDirectoryIcons);
        QIcon icon = provider.icon(QFileInfo("document." + (suffix.isEmpty() ? QString("bin") : suffix)));
        return icon.isNull() ? provider.icon(QFileIconProvider::File) : icon;
      });
    });
    return index;
  });
}

void QtWindowPort::SetTreeBackground(TreeId tree, uint32_t rgb) {
  Run([&]() {
    CXHtmlTree* t = Tree(tree);
    QPalette palette = t->palette();
    // COLORREF order: red in the low byte.
    palette.setColor(QPalette::Base, QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
    t->setPalette(palette);
  });
}

}  // namespace brinehold::ui
