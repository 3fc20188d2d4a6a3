// The session protocol: message numbers, the in-memory window's state rules,
// progress steps and the start values of the settings and status fields.
#include <gtest/gtest.h>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "session/scan_settings.h"
#include "session/window_port.h"

namespace brinehold {
namespace {

TEST(WindowMessages, NumbersAreFixed) {
  EXPECT_EQ(UM_PROGRESS_RESET, 1024u + 4);
  EXPECT_EQ(UM_STATUS_TEXT, 1024u + 5);
  EXPECT_EQ(UM_SCAN_FAILED, 1024u + 6);
  EXPECT_EQ(UM_TABLE_SELECTED, 1024u + 150);
  EXPECT_EQ(UM_FOLDER_SELECTED, 1024u + 154);
  EXPECT_EQ(UM_PROGRESS_POS, 1024u + 156);
  EXPECT_EQ(UM_LOG_LINE, 1024u + 183);
  EXPECT_EQ(UM_PREV_PAGE, 1024u + 190);
  EXPECT_EQ(UM_NEXT_PAGE, 1024u + 191);
  EXPECT_EQ(WindowMessageName(1207), "UM_LOG_LINE");
  EXPECT_EQ(WindowMessageName(1100), "UM_1100");
}

TEST(HeadlessWindow, ProgressResetZeroesPositionThenSetsRange) {
  HeadlessWindow window;
  window.ProgressReset(0, 500);
  window.ProgressPos(200);
  window.ProgressReset(0, 0);
  auto state = window.Snapshot();
  EXPECT_EQ(state.progressLow, 0);
  EXPECT_EQ(state.progressHigh, 0);
  EXPECT_EQ(state.progressPos, 0);
  window.ProgressReset(3, 9);
  state = window.Snapshot();
  EXPECT_EQ(state.progressLow, 3);
  EXPECT_EQ(state.progressHigh, 9);
}

TEST(HeadlessWindow, ScanFailedEmptiesStatusLineBeforeTheErrorBox) {
  HeadlessWindow window;
  std::string statusWhenFreed = "unset";
  int64_t positionWhenFreed = -1;
  window.onScanFailed = [&](const std::string& text) {
    auto state = window.Snapshot();
    statusWhenFreed = state.statusLine;
    positionWhenFreed = state.progressPos;
    EXPECT_EQ(text, "broken");
  };
  window.ProgressReset(0, 10);
  window.ProgressPos(7);
  window.StatusText("Mapping Database Objects...........");
  window.ScanFailed("broken");
  EXPECT_EQ(statusWhenFreed, "");
  EXPECT_EQ(positionWhenFreed, 0);
  auto state = window.Snapshot();
  EXPECT_EQ(state.errorBoxes, std::vector<std::string>{"broken"});
  EXPECT_EQ(state.statusLine, "");
}

TEST(HeadlessWindow, RecordsEveryMessageInOrderAndFeedsTheLog) {
  HeadlessWindow window;
  std::vector<std::string> sunk;
  std::vector<uint32_t> observed;
  window.logSink = [&](const std::string& line) { sunk.push_back(line); };
  window.observer = [&](const WindowMessage& m) { observed.push_back(m.id); };
  window.LogLine("application starts");
  window.StatusText("a");
  window.SendMessage({UM_NEXT_PAGE, 0, 0, {}});
  window.LogLine("second");
  std::vector<uint32_t> ids;
  for (const WindowMessage& m : window.Messages()) ids.push_back(m.id);
  EXPECT_EQ(ids, (std::vector<uint32_t>{UM_LOG_LINE, UM_STATUS_TEXT, UM_NEXT_PAGE, UM_LOG_LINE}));
  EXPECT_EQ(observed, ids);
  EXPECT_EQ(sunk, (std::vector<std::string>{"application starts", "second"}));
  EXPECT_EQ(window.Snapshot().logList, sunk);
  window.Clear();
  EXPECT_TRUE(window.Messages().empty());
}

TEST(ProgressStep, AboutAHundredStepsAndNeverZero) {
  EXPECT_EQ(ProgressStep(0), 1);
  EXPECT_EQ(ProgressStep(1), 1);
  EXPECT_EQ(ProgressStep(100), 1);
  EXPECT_EQ(ProgressStep(101), 2);
  EXPECT_EQ(ProgressStep(1000), 10);
  EXPECT_EQ(ProgressStep(262144), 2622);
}

TEST(ScanSettings, StartValues) {
  TheApp().ResetForTests();
  const ScanSettings& s = TheApp().settings;
  EXPECT_EQ(s.scanType, ScanType::DatabaseRecovery);
  EXPECT_EQ(s.recoveryMode, 0);
  EXPECT_FALSE(s.IsAdvanced()) << "the start value counts as Standard";
  EXPECT_TRUE(s.collationAuto);
  EXPECT_EQ(s.manualCollation, 0);
  EXPECT_FALSE(s.legacyCatalog || s.showDeleted || s.showAdvancedDeleted);
  EXPECT_EQ(static_cast<int32_t>(ScanType::DocumentRecovery), 2);
  EXPECT_EQ(static_cast<int32_t>(RecoveryMode::Advanced), 2);
  ScanSettings advanced;
  advanced.recoveryMode = 2;
  EXPECT_TRUE(advanced.IsAdvanced());
  EXPECT_EQ(TheApp().isRunning, 0);
  EXPECT_FALSE(TheApp().stopRequested);
  EXPECT_TRUE(TheApp().sqlVersionText.empty());
}

// The tree operations as the tree-building code uses them: first/last
// insertion, navigation, one-level sort, the selection kept visible through a
// collapse, the two trees kept apart, and foreign handles ignored.
TEST(HeadlessWindow, TreesKeepOrderSelectionAndTheirOwnItems) {
  HeadlessWindow window;
  const TreeId tree = TreeId::Object;
  const TreeItem root = window.InsertTreeItem(tree, kNoTreeItem, TreePosition::Last, "C:\\x.mdf", 0, 0);
  const TreeItem b = window.InsertTreeItem(tree, root, TreePosition::First, "b", 0, 0);
  const TreeItem a = window.InsertTreeItem(tree, root, TreePosition::Last, "A", 0, 0);
  const TreeItem c = window.InsertTreeItem(tree, root, TreePosition::First, "c", 0, 0);
  const TreeItem leaf = window.InsertTreeItem(tree, c, TreePosition::Last, "Columns", 0, 0);
  const TreeItem b2 = window.InsertTreeItem(tree, root, TreePosition::Last, "B", 0, 0);
  window.SetTreeItemBold(tree, c, true);
  window.SetTreeItemData(tree, c, 1);
  EXPECT_EQ(window.PrintTree(tree), "C:\\x.mdf\n  *c\n    Columns\n  b\n  A\n  B\n");

  window.SortTreeChildren(tree, root);
  EXPECT_EQ(window.TreeFirstChild(tree, root), a);
  EXPECT_EQ(window.TreeNextSibling(tree, a), b) << "texts equal but for case keep their order";
  EXPECT_EQ(window.TreeNextSibling(tree, b), b2);
  EXPECT_EQ(window.TreeNextSibling(tree, b2), c);
  EXPECT_EQ(window.TreeNextSibling(tree, c), kNoTreeItem);
  EXPECT_EQ(window.TreeItemParent(tree, leaf), c);
  EXPECT_EQ(window.TreeItemParent(tree, root), kNoTreeItem);
  EXPECT_EQ(window.TreeFirstChild(tree, kNoTreeItem), root);
  EXPECT_EQ(window.TreeItemData(tree, c), 1);
  EXPECT_EQ(window.TreeItemText(tree, leaf), "Columns");
  // All children at once: the same order and data as the walk above, and
  // the same as the port's generic walk gives.
  auto children = window.TreeChildren(tree, root);
  auto walked = window.WindowPort::TreeChildren(tree, root);
  ASSERT_EQ(children.size(), 4u);
  ASSERT_EQ(walked.size(), 4u);
  for (size_t i = 0; i < children.size(); ++i) {
    EXPECT_EQ(children[i].item, (std::vector<TreeItem>{a, b, b2, c}[i]));
    EXPECT_EQ(children[i].item, walked[i].item);
    EXPECT_EQ(children[i].data, walked[i].data);
  }
  EXPECT_EQ(children[3].data, 1);
  EXPECT_TRUE(window.TreeChildren(tree, leaf).empty());

  window.SelectTreeItem(tree, leaf);
  window.CollapseTreeKeepSelection(tree);
  auto state = window.Snapshot();
  EXPECT_TRUE(state.objectTree.Find(root)->expanded && state.objectTree.Find(c)->expanded);
  EXPECT_EQ(window.SelectedTreeItem(tree), leaf);

  // The document tree is another control: the object tree's handles mean
  // nothing there, and a parent it does not hold makes no item.
  EXPECT_FALSE(state.documentTree.visible);
  EXPECT_EQ(window.InsertTreeItem(TreeId::Document, root, TreePosition::Last, "x", 0, 0), kNoTreeItem);
  const TreeItem site = window.InsertTreeItem(TreeId::Document, kNoTreeItem, TreePosition::Last, "SharePointACTUAL",
                                              window.FolderIcon(), window.FolderIcon());
  EXPECT_NE(site, kNoTreeItem);
  EXPECT_EQ(window.TreeItemText(TreeId::Document, c), "");
  EXPECT_EQ(window.FileIcon("a.DOCX"), window.FileIcon("b.docx"));
  EXPECT_NE(window.FileIcon("a.pdf"), window.FileIcon("a.docx"));
  EXPECT_NE(window.FileIcon("a.pdf"), window.FolderIcon());

  window.DeleteAllTreeItems(tree);
  EXPECT_EQ(window.PrintTree(tree), "");
  EXPECT_EQ(window.SelectedTreeItem(tree), kNoTreeItem);
  EXPECT_EQ(window.PrintTree(TreeId::Document), "SharePointACTUAL\n");
}

}  // namespace
}  // namespace brinehold
