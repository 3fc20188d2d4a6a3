// The desktop application end to end under the offscreen platform: the
// window at start, Open through the dialog and a scan of the sample, a
// table listed 1000 rows at a time with Next and Previous, Stop during a
// listing, refusals while an operation runs, the tree's check and click
// rules, deleted rows and zero characters marked in the list, the recent
// files, Save, Save Records and a snapshot saved and loaded again (its data
// file moved too), and the close sequence. Message boxes and file choosers are answered by seams.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "scan/recovery_log.h"
#include "session/app_state.h"
#include "ui/application.h"
#include "ui/check_tree.h"
#include "ui/command_bar.h"
#include "ui/main_frame.h"
#include "ui/message_boxes.h"
#include "ui/panes.h"
#include "ui/qt_window_port.h"
#include "ui/recent_files.h"
#include "ui/records_model.h"
#include "writer/content_database.h"
#include "writer/sharepoint_sample.h"
#include "writer/user_table_writer.h"

namespace brinehold::ui {

namespace {

constexpr int kLedgerRows = 2500;
constexpr int kLedgerColumns = 50;

// "Orders": four rows; the second deleted and still named by its slot (a
// ghost), the fourth deleted with its slot zeroed (found by carving); the
// third's name holds a zero character.
writer::UserTableBlueprint OrdersTable() {
  writer::UserTableBlueprint orders;
  orders.table.id = 565577101;
  orders.table.name = "Orders";
  orders.pageOwner = 0x3100;
  orders.columns = {{"Id", 56, 4, false}, {"Name", 231, 40, true}};
  const std::string names[] = {"first", "second", std::string("th\0ird", 6), "fourth"};
  for (int i = 0; i < 4; ++i)
    orders.rows.push_back({writer::Cell::Value(writer::Int32Bytes(i + 1)), writer::Cell::Value(writer::NVarCharBytes(names[i]))});
  orders.deleted = {{1, writer::DeleteStyle::Ghost}, {3, writer::DeleteStyle::SlotZeroed}};
  return orders;
}

// The sample database with three more tables: "Ledger", of 2500 rows by 50
// int columns (three list pages, the last one partial), "Orders" and
// "Damaged".
bool WriteTestDatabase(const QString& path) {
  writer::CatalogFileBuilder builder = writer::BuildSharePointSample();
  writer::UserTableBlueprint ledger;
  ledger.table.id = 565577053;
  ledger.table.name = "Ledger";
  ledger.pageOwner = 0x3000;
  for (int c = 1; c <= kLedgerColumns; ++c) ledger.columns.push_back({"Amount" + std::to_string(c), 56, 4, false});
  for (int r = 0; r < kLedgerRows; ++r) {
    std::vector<writer::Cell> row;
    for (int c = 0; c < kLedgerColumns; ++c) row.push_back(writer::Cell::Value(writer::Int32Bytes(r * 100 + c)));
    ledger.rows.push_back(std::move(row));
  }
  writer::AddUserTable(builder, ledger);
  writer::AddUserTable(builder, OrdersTable());
  // "Damaged": two rows on a page whose checksum no longer matches.
  writer::UserTableBlueprint damaged;
  damaged.table.id = 565577149;
  damaged.table.name = "Damaged";
  damaged.pageOwner = 0x3200;
  damaged.columns = {{"Id", 56, 4, false}};
  damaged.rows = {{writer::Cell::Value(writer::Int32Bytes(1))}, {writer::Cell::Value(writer::Int32Bytes(2))}};
  const PageAddress page = writer::AddUserTable(builder, damaged).dataPages.at(0);
  Bytes bytes = builder.Build();
  bytes.at(static_cast<size_t>(page.pageNumber) * kPageSize + 4000) ^= 0x5A;  // in the free space
  QFile file(path);
  return file.open(QIODevice::WriteOnly) &&
         file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
             static_cast<qint64>(bytes.size());
}

bool Running() { return TheApp().isRunning == 1; }

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString database_;
  std::vector<std::string> boxes_;
  QStringList scannedTree_;
  bool answerYes_ = true;
  std::unique_ptr<CMainFrame> frame_;

  std::vector<std::string> TakeBoxes() { return std::exchange(boxes_, {}); }
  QStringList LogRows() const {
    QStringList rows;
    for (int i = 0; i < frame_->LogList()->count(); ++i) rows << frame_->LogList()->item(i)->text();
    return rows;
  }
  // Waits until no worker runs and the window has taken everything it sent.
  bool WaitForIdle(int timeoutMs = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (Running() || frame_->Driver().WorkerActive()) {
      if (timer.elapsed() > timeoutMs) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QCoreApplication::processEvents();
    frame_->Port().FlushPendingRows();
    return true;
  }
  // Opens the dialog with `open` (the Open command unless given) and lets
  // `fill` work on it.
  void OpenWithDialog(const std::function<void(QDialog&)>& fill, std::function<void()> open = {}) {
    QTimer::singleShot(0, this, [fill]() {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      fill(*dialog);
    });
    if (open) {
      open();
    } else {
      frame_->OnOpen();
    }
  }
  static QStringList TreeTexts(const CXHtmlTree* tree) {
    QStringList texts;
    tree->ForEachItem([&](const QModelIndex& item) {
      texts << item.data().toString();
      return true;
    });
    return texts;
  }
  QList<QStringList> ListedRows() const {
    const RecordsModel& model = frame_->Panel()->Model();
    QList<QStringList> rows;
    for (int row = 0; row < model.rowCount(); ++row) rows << (QStringList(model.RowTexts(row)) << model.Mark(row).deleted);
    return rows;
  }
  static QStringList FileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
  }
  static QModelIndex FindItem(const CXHtmlTree* tree, const QString& text) { return tree->FindText(text); }
  // A left click on the label of the item named `text`.
  void ClickLabel(CXHtmlTree* tree, const QString& text) {
    const QModelIndex item = FindItem(tree, text);
    QVERIFY2(item.isValid(), qPrintable(text));
    ClickItem(tree, item);
  }
  void ClickItem(CXHtmlTree* tree, const QModelIndex& item) {
    for (QModelIndex up = item.parent(); up.isValid(); up = up.parent()) tree->expand(up);
    tree->scrollTo(item);
    const QRect rect = tree->visualRect(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 40, rect.center().y()));
  }
  void ListTable(const char* name) { ClickLabel(frame_->ObjectTree(), name); }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    // The recent-file list lives in settings of the test's own.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath("settings"));
    database_ = dir_.filePath("sample.mdf");
    QVERIFY(WriteTestDatabase(database_));
    SetBoxAnswerer([this](BoxKind, const std::string& text) {
      boxes_.push_back(text);
      return answerYes_;
    });
    TheApp().ResetForTests();
    frame_ = std::make_unique<CMainFrame>();
    frame_->resize(1200, 800);
    frame_->show();
  }

  void cleanupTestCase() {
    WaitForIdle();
    frame_.reset();
    SetBoxAnswerer({});
    TheApp().ResetForTests();
  }

  void startUpState() {
    QCoreApplication::processEvents();
    QCOMPARE(frame_->CaptionBar()->text(), QString("Select MDF database file to continue the recovery process."));
    QCOMPARE(LogRows(), QStringList{"application starts"});
    QCOMPARE(frame_->FileView()->windowTitle(), QString("Sharepoint Database Objects"));
    QCOMPARE(frame_->OutputWnd()->windowTitle(), QString("Output"));
    QVERIFY(frame_->FileView()->isVisible() && frame_->OutputWnd()->isVisible());
    QVERIFY(!frame_->Commands()->Button(ID_STOP)->isEnabled());
    QVERIFY(frame_->Commands()->Button(ID_OPEN)->isEnabled());
    QVERIFY(!frame_->ProgressBar()->isVisible());
    QVERIFY(frame_->ObjectTree()->isVisible() && !frame_->DocumentTree()->isVisible());
    QVERIFY(frame_->Panel()->StatusLine()->isVisible() && !frame_->Panel()->RecordsList()->isVisible());
    QVERIFY(!frame_->Panel()->NextButton()->isVisible());
  }

  void openDialogChecksThenScans() {
    OpenWithDialog([this](QDialog& dialog) {
      auto* ok = dialog.findChild<QPushButton*>("ok");
      ok->click();  // no file chosen
      dialog.findChild<QLineEdit*>("dataFilePath")->setText(dir_.filePath("missing.mdf"));
      ok->click();
      dialog.findChild<QLineEdit*>("dataFilePath")->setText(database_);
      dialog.findChild<QLineEdit*>("logFolder")->setText(dir_.filePath("no such folder"));
      ok->click();
      dialog.findChild<QLineEdit*>("logFolder")->setText(dir_.path());
      dialog.findChild<QCheckBox*>("showDeleted")->setChecked(true);
      dialog.findChild<QCheckBox*>("showAdvancedDeleted")->setChecked(true);
      ok->click();
    });
    QVERIFY(Running() || frame_->Driver().WorkerActive());
    QVERIFY(WaitForIdle());
    const std::vector<std::string> expected = {
        "Please select valid SQL file path to continue the recovery process.",
        "Please select valid SQL file path to continue the recovery process.",
        "Please select valid Log file path to continue the recovery process.", "Scanning process completed."};
    QCOMPARE(TakeBoxes(), expected);
    const QStringList rows = LogRows();
    QVERIFY(rows.contains("Scanning of file starts..."));
    QCOMPARE(rows.last(), QString("Scanning completed for selected mdf file."));
    QCOMPARE(frame_->CaptionBar()->text(), QString("Scanning completed for selected mdf file"));
    QVERIFY(!frame_->ProgressBar()->isVisible());
    QTRY_VERIFY(!frame_->Commands()->Button(ID_STOP)->isEnabled());
    QVERIFY(QFileInfo::exists(QString::fromStdString(TheApp().settings.logFilePath)));
    QCOMPARE(frame_->ObjectTree()->Child({}, 0).data().toString(), database_);
    QVERIFY(FindItem(frame_->ObjectTree(), "Ledger").isValid() &&
            FindItem(frame_->ObjectTree(), "proc_GetDocsInFolder").isValid());
    scannedTree_ = TreeTexts(frame_->ObjectTree());
  }

  void tableListsPagesOfAThousandRows() {
    RecordsModel& model = frame_->Panel()->Model();
    ListTable("Ledger");
    QVERIFY(WaitForIdle());
    QCOMPARE(model.rowCount(), 1000);
    QCOMPARE(model.columnCount(), kLedgerColumns);
    QCOMPARE(model.RowTexts(0).value(1), QString("1"));
    QCOMPARE(frame_->Panel()->PageCaption()->text(), QString("Page1 - [1000](1-1000) Records"));
    QVERIFY(frame_->Panel()->RecordsList()->isVisible() && frame_->Panel()->NextButton()->isVisible());

    frame_->Panel()->NextButton()->click();
    QVERIFY(WaitForIdle());
    QCOMPARE(model.rowCount(), 1000);
    QCOMPARE(model.RowTexts(0).value(0), QString("100000"));
    QCOMPARE(frame_->Panel()->PageCaption()->text(), QString("Page2 - [1000](1001-2000) Records"));
    frame_->Panel()->NextButton()->click();
    QVERIFY(WaitForIdle());
    QCOMPARE(model.rowCount(), kLedgerRows - 2000);
    frame_->Panel()->PreviousButton()->click();
    QVERIFY(WaitForIdle());
    QCOMPARE(model.RowTexts(0).value(0), QString("100000"));
    QCOMPARE(TakeBoxes(), std::vector<std::string>{});
  }

  void stopEndsALongListing() {
    RecordsModel& model = frame_->Panel()->Model();
    // Stop when the first rows reach the window, while the worker waits.
    auto connection = connect(&model, &QAbstractItemModel::rowsInserted, this, [this]() {
      if (Running()) frame_->OnStop();
    });
    ListTable("Ledger");
    QVERIFY(WaitForIdle());
    disconnect(connection);
    QCOMPARE(TakeBoxes(), std::vector<std::string>{"Are you sure to stop the running process?"});
    QVERIFY(model.rowCount() > 0 && model.rowCount() < 1000);
    QVERIFY(!TheApp().stopRequested);
    // The next listing runs in full.
    ListTable("Ledger");
    QVERIFY(WaitForIdle());
    QCOMPARE(model.rowCount(), 1000);
  }

  void commandsAreRefusedWhileRunning() {
    TheApp().isRunning = 1;
    frame_->OnOpen();
    frame_->OnSave();
    frame_->OnSaveRecords();
    frame_->OnLoadSnapshot();
    frame_->OnSaveSnapshot();
    frame_->OnHelp();
    frame_->OnAbout();
    frame_->Panel()->NextButton()->click();
    ListTable("Ledger");
    QVERIFY(!frame_->close());
    // The command bar follows the running state on a timer.
    QTRY_VERIFY(frame_->Commands()->Button(ID_STOP)->isEnabled());
    TheApp().isRunning = 0;
    const std::string wait = "Please wait for the running process.";
    const std::string stop = "Please stop the running process to continue the process.";
    const std::vector<std::string> expected = {wait, wait, wait, wait, wait, stop, stop, wait, wait,
                                               "Please stop the running process to close the application."};
    QCOMPARE(TakeBoxes(), expected);
    QVERIFY(frame_->isVisible());
  }

  void viewShowsItsDefinition() {
    ClickLabel(frame_->ObjectTree(), "Docs");
    QVERIFY(WaitForIdle());
    QVERIFY(frame_->Panel()->StatusLine()->isVisible() && !frame_->Panel()->RecordsList()->isVisible());
    QVERIFY(frame_->Panel()->StatusLine()->toPlainText().startsWith("CREATE VIEW dbo.Docs"));
    QCOMPARE(TakeBoxes(), std::vector<std::string>{});
    // Folders show as folders, empty or not; objects do not.
    const CXHtmlTree* tree = frame_->ObjectTree();
    const qint64 folder = tree->IconOf(FindItem(tree, "Tables")).cacheKey();
    QCOMPARE(tree->IconOf(FindItem(tree, "Triggers")).cacheKey(), folder);
    QVERIFY(tree->IconOf(FindItem(tree, "Docs")).cacheKey() != folder);
  }

  void deletedRowsAndZerosAreMarked() {
    ListTable("Orders");
    QVERIFY(WaitForIdle());
    const RecordsModel& model = frame_->Panel()->Model();
    QCOMPARE(model.rowCount(), 4);
    QStringList ids, marks;
    for (int row = 0; row < model.rowCount(); ++row) {
      ids << model.RowTexts(row).value(0);
      marks << model.Mark(row).deleted;
      const bool grey = model.data(model.index(row, 1), Qt::ForegroundRole).isValid();
      QCOMPARE(grey, !model.Mark(row).deleted.isEmpty());
    }
    QCOMPARE(ids, (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(marks, (QStringList{"", "ghost", "", "carved"}));
    // Shown with a visible mark, kept as stored.
    QCOMPARE(model.data(model.index(2, 1), Qt::DisplayRole).toString(), QString::fromUtf16(u"th\u2400ird"));
    QCOMPARE(model.RowTexts(2).value(1), QString::fromStdString(std::string("th\0ird", 6)));

    ListTable("Damaged");
    QVERIFY(WaitForIdle());
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.Mark(1), (RecordsModel::RowMark{"", "checksum mismatch"}));
    QVERIFY(model.data(model.index(1, 0), Qt::BackgroundRole).isValid());
  }

  void recentFilesAreKeptAndReopened() {
    // Read again as a new start of the program reads it.
    QCOMPARE(RecentFileList().Paths(), QStringList{database_});
    QMenu* menu = frame_->ApplicationMenu();
    emit menu->aboutToShow();
    QStringList tips;
    for (QAction* action : menu->actions()) tips << action->toolTip();
    QVERIFY(tips.contains(database_));

    const QString gone = dir_.filePath("gone.mdf");
    frame_->RecentFiles().Add(gone);
    frame_->OnOpenRecent(gone);
    QCOMPARE(TakeBoxes(), std::vector<std::string>{"The file " + gone.toStdString() +
                                                   " no longer exists. It was removed from the list of recent files."});
    QCOMPARE(RecentFileList().Paths(), QStringList{database_});

    QString chosen;
    OpenWithDialog([&chosen](QDialog& dialog) {
      chosen = dialog.findChild<QLineEdit*>("dataFilePath")->text();
      dialog.reject();
    }, [this]() { frame_->OnOpenRecent(database_); });
    QCOMPARE(chosen, database_);
    QVERIFY(!Running());
  }

  void saveWritesTheDatabaseAndTheListedTable() {
    const QString folder = dir_.filePath("export");
    QDir().mkpath(folder);
    frame_->chooseExportFolder = [folder]() { return folder; };
    frame_->OnSave();
    QVERIFY(WaitForIdle());
    QCOMPARE(TakeBoxes(), std::vector<std::string>{"The recovered data was saved in " + folder.toStdString()});
    QCOMPARE(FileLines(folder + "/Ledger.csv").size(), kLedgerRows + 1);
    QVERIFY(FileLines(folder + "/Orders.csv").value(0).endsWith("Id,Name"));  // after "deleted," when deleted rows are shown
    QVERIFY(FileLines(folder + "/schema.sql").join('\n').contains("CREATE TABLE"));
    QVERIFY(QFileInfo(folder + "/summary.txt").size() > 0);

    // Save Records: every row of the table listed, not only the list page.
    ListTable("Ledger");
    QVERIFY(WaitForIdle());
    const QString csv = dir_.filePath("ledger.csv");
    frame_->chooseCsvPath = [csv]() { return csv; };
    frame_->OnSaveRecords();
    QVERIFY(WaitForIdle());
    QCOMPARE(TakeBoxes(), std::vector<std::string>{"Records saved to " + csv.toStdString()});
    const QStringList lines = FileLines(csv);
    QCOMPARE(lines.size(), kLedgerRows + 1);
    QVERIFY(lines.value(1).section(",", lines.value(0).startsWith("deleted,") ? 1 : 0).startsWith("0,1,2,"));
  }

  void snapshotIsSavedAndLoadedAgain() {
    ListTable("Orders");
    QVERIFY(WaitForIdle());
    const QList<QStringList> rows = ListedRows();
    frame_->chooseSnapshotToSave = [this]() { return dir_.filePath("scan"); };
    frame_->OnSaveSnapshot();
    const QString snapshot = dir_.filePath("scan.MDBVTL");
    QVERIFY(QFileInfo(snapshot).size() > 0);
    QCOMPARE(TakeBoxes(), std::vector<std::string>{"Snapshot Saved successfully in path " + snapshot.toStdString()});

    frame_->ResetBrowseView();
    frame_->chooseSnapshotToLoad = [snapshot]() { return snapshot; };
    frame_->OnLoadSnapshot();
    QVERIFY(WaitForIdle());
    // As the scan left it (listing a table adds its columns and keys).
    QCOMPARE(TreeTexts(frame_->ObjectTree()), scannedTree_);
    ListTable("Orders");
    QVERIFY(WaitForIdle());
    QCOMPARE(ListedRows(), rows);
    QCOMPARE(TakeBoxes(), std::vector<std::string>{"Scanning process completed."});

    // The data file has moved: Load asks where it is now, and loads nothing
    // when the user cancels.
    const QString moved = dir_.filePath("moved.mdf");
    QVERIFY(QFile::rename(database_, moved));
    const std::pair<QString, std::string> answers[] = {
        {QString(), "The snapshot was not loaded: no data file was chosen."},
        {moved, "Scanning process completed."},
    };
    for (const auto& [answer, box] : answers) {
      QString reason;
      frame_->chooseSnapshotDataFile = [&reason, answer](const QString& why) {
        reason = why;
        return answer;
      };
      frame_->OnLoadSnapshot();
      QVERIFY(WaitForIdle());
      QCOMPARE(reason, "The data file named by the snapshot cannot be opened: " + database_);
      QCOMPARE(TakeBoxes(), std::vector<std::string>{box});
    }
    ListTable("Orders");
    QVERIFY(WaitForIdle());
    QCOMPARE(ListedRows(), rows);
    QVERIFY(QFile::rename(moved, database_));
  }

  void treeChecksAndClicks() {
    CXHtmlTree* tree = frame_->ObjectTree();
    const QModelIndex tables = FindItem(tree, "User Tables");
    const QModelIndex ledger = FindItem(tree, "Ledger");
    const QModelIndex sites = FindItem(tree, "Sites");
    const QModelIndex root = tree->Child({}, 0);
    QVERIFY(tables.isValid() && ledger.isValid() && sites.isValid() && root.isValid());
    tree->expand(tables);
    tree->SetChecked(tables, true);
    QCOMPARE(tree->StateIndex(sites), 2);
    QCOMPARE(tree->StateIndex(tree->Child(ledger, 0)), 2);
    tree->SetChecked(ledger, false);
    QCOMPARE(tree->StateIndex(tables), 3);
    QCOMPARE(tree->StateIndex(root), 3);
    // Space on the checked box of Sites; checking it again fills the node.
    tree->SelectItem(sites);
    QTest::keyClick(tree, Qt::Key_Space);
    QCOMPARE(tree->StateIndex(sites), 1);
    tree->SetChecked(tables, false);
    QCOMPARE(tree->StateIndex(root), 1);
    // Down skips a disabled item.
    tree->SetDisabled(ledger, true);
    tree->SelectItem(tree->indexAbove(ledger));
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->currentIndex(), tree->indexBelow(ledger));
    QCOMPARE(tree->StateIndex(ledger), 5);
    tree->SetDisabled(ledger, false);

    // A click on a box checks it and lists nothing; a click on a label lists.
    RecordsModel& model = frame_->Panel()->Model();
    model.DeleteAllRows();
    tree->scrollTo(ledger);
    const QRect rect = tree->visualRect(ledger);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 8, rect.center().y()));
    QVERIFY(tree->IsChecked(ledger));
    QVERIFY(!Running() && model.rowCount() == 0);
    ClickLabel(tree, "Ledger");
    QCOMPARE(tree->currentIndex(), ledger);
    QVERIFY(WaitForIdle());
    QCOMPARE(model.rowCount(), 1000);
    // Refused while running: the previous item is selected again.
    TheApp().isRunning = 1;
    ClickLabel(tree, "Sites");
    TheApp().isRunning = 0;
    QCOMPARE(tree->currentIndex(), ledger);
    QCOMPARE(TakeBoxes(), std::vector<std::string>{"Please wait for the running process."});
  }

  void newItemsComeInUncheckedAndTheStatesAboveFollow() {
    CXHtmlTree tree;
    const QModelIndex top = tree.InsertItem({}, "top");
    const QModelIndex folder = tree.InsertItem(top, "folder");
    tree.InsertItem(folder, "a");
    const QModelIndex leaf = tree.InsertItem(top, "leaf");
    struct Case {
      QModelIndex parent;  // gets a new child after `top` was checked
      int parentState, topState;
    };
    for (const Case& c : {Case{folder, 3, 3}, Case{leaf, 1, 3}}) {
      tree.SetChecked(top, true);
      tree.InsertItem(c.parent, "new");
      QCOMPARE(tree.StateIndex(c.parent), c.parentState);
      QCOMPARE(tree.StateIndex(top), c.topState);
    }
    tree.SetChecked(top, false);
    tree.InsertItem(folder, "more");
    QCOMPARE(tree.StateIndex(top), 1);
  }

  void itemsAreFoundByHandleInAnyInsertOrderAndKeepTheirRoles() {
    CXHtmlTree tree;
    const TreeItem first = tree.ReserveHandle(), second = tree.ReserveHandle();
    // The later handle used first, as a worker's batches may do.
    const QModelIndex late = tree.InsertItem({}, "late", false, second);
    const QModelIndex early = tree.InsertItem(late, "early", false, first);
    const QModelIndex own = tree.InsertItem(late, "own");
    QCOMPARE(tree.Find(first), early);
    QCOMPARE(tree.Find(second), late);
    QCOMPARE(tree.Find(tree.HandleOf(own)), own);
    QCOMPARE(tree.Find(tree.HandleOf(own) + 1), QModelIndex());
    QCOMPARE(tree.Find(kNoTreeItem), QModelIndex());

    QCOMPARE(early.data().toString(), QString("early"));
    QCOMPARE(early.data(Qt::ToolTipRole).toString(), QString("early"));
    QCOMPARE(early.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    // Texts are kept in UTF-8: one beyond ASCII must come back the same.
    const QString named = QString::fromUtf8("b \u00FC \u2713");
    const QModelIndex other = tree.InsertItem(late, named);
    QCOMPARE(other.data().toString(), named);
    const QIcon icon(QPixmap(16, 16));
    tree.SetIcon(other, icon);
    tree.SetBold(other, true);
    QCOMPARE(tree.IconOf(other).cacheKey(), icon.cacheKey());
    QVERIFY(other.data(Qt::FontRole).value<QFont>().bold() && !early.data(Qt::FontRole).isValid());
    // Sorting moves rows; items and the view's kept indexes follow.
    const QPersistentModelIndex kept(own);
    tree.SortChildren(late);
    QCOMPARE(TreeTexts(&tree), (QStringList{"late", named, "early", "own"}));
    QCOMPARE(tree.Find(tree.HandleOf(own)).row(), 2);
    QCOMPARE(QModelIndex(kept), tree.Find(tree.HandleOf(own)));
    QCOMPARE(tree.HandleOf(tree.Find(first).siblingAtRow(2)), tree.HandleOf(own));
    tree.Initialise();
    QCOMPARE(tree.Find(first), QModelIndex());
    QVERIFY(!kept.isValid());
  }

  void latestWinsChangesFromAWorkerAreAllTakenBeforeItsNextRequest() {
    QVERIFY(WaitForIdle());
    QtWindowPort& port = frame_->Port();
    std::atomic<int> rows{-1};
    std::thread worker([&] {
      port.SetProgressRange(0, 1000);
      for (int i = 1; i <= 300; ++i) {
        port.SetCaptionBar("caption " + std::to_string(i));
        port.ReplaceLastLogLine("line " + std::to_string(i));
        port.SetProgressPosition(i);
        // A row written now is the one the next progress text replaces.
        if (i % 10 == 9) TheRecoveryLog().AppendLogList("row of the log");
      }
      rows = port.ListItemCount();  // a request: served after every change before it
    });
    QElapsedTimer timer;
    timer.start();
    while (rows < 0 && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    worker.join();
    QVERIFY(rows >= 0);
    QCOMPARE(frame_->CaptionBar()->text(), QString("caption 300"));
    QStringList lastTexts;
    for (int i = 9; i < 300; i += 10) lastTexts << QString("line %1").arg(i);
    lastTexts << "line 300";
    QCOMPARE(LogRows().mid(LogRows().size() - lastTexts.size()), lastTexts);
    QCOMPARE(frame_->ProgressBar()->value(), 300);
  }

  void closeAsksAndShowsTheLogPath() {
    answerYes_ = false;
    QVERIFY(!frame_->close());
    QCOMPARE(TakeBoxes(), std::vector<std::string>{"Do you want to close the application?"});
    answerYes_ = true;
    const std::string logPath = TheApp().settings.logFilePath;
    QVERIFY(frame_->close());
    const std::vector<std::string> expected = {"Do you want to close the application?", "Log file path : " + logPath};
    QCOMPARE(TakeBoxes(), expected);
    // Every line reached the file: the last one too.
    QFile log(QString::fromStdString(logPath));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    QVERIFY(text.contains("Please wait while Ledger folder is scanning."));
  }

  void documentFolderListsItsDocuments() {
    const QString path = dir_.filePath("content.mdf");
    QVERIFY(writer::BuildContentDatabase(writer::SampleContent(), writer::ContentLayout::SharePoint2010)
                .WriteTo(path.toStdString()));
    frame_->show();
    QVERIFY(frame_->StartScanOf(path, dir_.path(), ScanType::DocumentRecovery));
    QVERIFY(WaitForIdle());
    CXHtmlTree* tree = frame_->DocumentTree();
    QVERIFY(tree->isVisible() && !frame_->ObjectTree()->isVisible());
    const QModelIndex shared = FindItem(tree, "Shared Documents");
    QVERIFY(shared.isValid() && !tree->IconOf(shared).isNull());
    QModelIndex reports;
    tree->ForEachItem([&](const QModelIndex& item) {
      if (item.data().toString() == "Reports" && item.parent().data().toString() == "Shared Documents") reports = item;
      return true;
    });
    QVERIFY(reports.isValid());
    ClickItem(tree, reports);
    QVERIFY(WaitForIdle());
    const RecordsModel& model = frame_->Panel()->Model();
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("File Name "));
    QCOMPARE(model.rowCount(), 3);
    QVERIFY(frame_->Panel()->RecordsList()->isVisible());
    QCOMPARE(frame_->CaptionBar()->text(), QString("Reports"));
    QCOMPARE(TakeBoxes(), std::vector<std::string>{"Scanning process completed."});
    WaitForIdle();
    frame_->Driver().ResetSession();
  }

  void secondInstanceIsRefused() {
    const QString path = dir_.filePath("instance.lock");
    SingleInstanceLock first(path);
    QVERIFY(first.TryAcquire());
    SingleInstanceLock second(path);
    QVERIFY(!second.TryAcquire());
  }
};

}  // namespace brinehold::ui

QTEST_MAIN(brinehold::ui::MainWindowTest)
#include "main_window_test.moc"
