// ui_screenshots DATABASE.mdf OUTPUT_DIR [TABLE]
//
// Drives the main window through its main states on DATABASE and saves a
// picture of each in OUTPUT_DIR: start, scan done, a table listed (TABLE,
// AllDocs by default; deleted rows included), a view's definition, a
// document folder listed, the open dialog, the About box, the application
// button's menu with the recent files and the splash. Message boxes are
// answered without showing; the settings (the recent files) are kept in
// OUTPUT_DIR, not in the user's own. Run by scripts/screenshots.sh; the
// pictures are for looking at, not compared.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <utility>
#include <vector>

#include "session/app_state.h"
#include "session/collation_table.h"
#include "ui/about_dialog.h"
#include "ui/application.h"
#include "ui/check_tree.h"
#include "ui/command_bar.h"
#include "ui/records_model.h"
#include "ui/records_panel.h"
#include "ui/main_frame.h"
#include "ui/message_boxes.h"
#include "ui/open_dialog.h"
#include "ui/splash_screen.h"
#include "ui/pictures.h"
#include "ui/ui_texts.h"

namespace ui = brinehold::ui;
using brinehold::TheApp;

namespace {

QDir output;

// Runs the event loop while `more` holds, waking at least every 10 ms to
// ask again; without the wait the loop would spin and take a core from
// the worker whose end it waits for.
template <typename Condition>
void RunEventsWhile(Condition more) {
  QTimer tick;
  tick.start(10);
  while (more()) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void Settle(ui::CMainFrame& frame) {
  QElapsedTimer timer;
  timer.start();
  RunEventsWhile([&] {
    return (TheApp().isRunning == 1 || frame.Driver().WorkerActive()) && timer.elapsed() < 60000;
  });
  frame.Port().FlushPendingRows();
  // The command bar follows the running state on a 100 ms timer.
  QElapsedTimer pause;
  pause.start();
  RunEventsWhile([&] { return pause.elapsed() < 250; });
}

// The process's resident and peak resident memory in MiB, from
// /proc/self/status ("VmRSS", "VmHWM"); -1 where it cannot be read.
std::pair<long, long> ResidentMiB() {
  std::pair<long, long> mib{-1, -1};
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return mib;
  for (const QByteArray& line : status.readAll().split('\n')) {
    const QList<QByteArray> words = line.simplified().split(' ');
    if (words.size() < 2) continue;
    if (words[0] == "VmRSS:") mib.first = words[1].toLong() / 1024;
    if (words[0] == "VmHWM:") mib.second = words[1].toLong() / 1024;
  }
  return mib;
}

void Save(QWidget& widget, const char* name) {
  // How long the steps before this picture took, and the memory held, for
  // timing the desktop on large files.
  static QElapsedTimer sinceLast;
  const auto [resident, peak] = ResidentMiB();
  std::fprintf(stderr, "%s: %lld ms, %ld MiB resident, peak %ld MiB\n", name,
               sinceLast.isValid() ? sinceLast.restart() : 0LL, resident, peak);
  if (!sinceLast.isValid()) sinceLast.start();
  const QString path = output.filePath(QString(name) + ".png");
  widget.grab().save(path);
  std::printf("%s\n", path.toUtf8().constData());
}

void Click(ui::CMainFrame& frame, ui::CXHtmlTree* tree, const QModelIndex& item) {
  for (QModelIndex up = item.parent(); up.isValid(); up = up.parent()) tree->expand(up);
  tree->SelectItem(item);
  tree->scrollTo(item);
  tree->onLabelClicked(item);
  Settle(frame);
}

void Click(ui::CMainFrame& frame, ui::CXHtmlTree* tree, const QString& text) {
  const QModelIndex item = tree->FindText(text);
  if (!item.isValid()) {
    std::fprintf(stderr, "no tree item \"%s\"\n", text.toUtf8().constData());
    return;
  }
  Click(frame, tree, item);
}

// Clicks the items named `text` in turn until one lists documents: a
// library's name may also stand for a site's list that holds none itself.
void ClickFolderWithDocuments(ui::CMainFrame& frame, ui::CXHtmlTree* tree, const QString& text) {
  std::vector<QModelIndex> items;
  tree->ForEachItem([&](const QModelIndex& item) {
    if (item.data().toString() == text) items.push_back(item);
    return true;
  });
  for (const QModelIndex& item : items) {
    Click(frame, tree, item);
    if (frame.Panel()->Model().rowCount() > 0) return;
  }
  std::fprintf(stderr, "no folder \"%s\" with documents\n", text.toUtf8().constData());
}

// Scrolls the records list to its first deleted or damaged row, if any.
void ShowFirstMarkedRow(ui::CMainFrame& frame) {
  const ui::RecordsModel& model = frame.Panel()->Model();
  for (int row = 0; row < model.rowCount(); ++row) {
    if (model.Mark(row) == ui::RecordsModel::RowMark{}) continue;
    frame.Panel()->RecordsList()->scrollTo(model.index(row, 0), QAbstractItemView::PositionAtCenter);
    Settle(frame);
    return;
  }
}

// The application button's menu, open, with the window behind it.
void SaveApplicationMenu(ui::CMainFrame& frame, const char* name) {
  QMenu* menu = frame.ApplicationMenu();
  QToolButton* button = frame.Commands()->ApplicationButton();
  menu->popup(button->mapToGlobal(QPoint(0, button->height())));
  Settle(frame);
  QPixmap picture = frame.grab(QRect(0, 0, 640, 360));
  QPainter painter(&picture);
  painter.drawPixmap(frame.mapFromGlobal(menu->pos()), menu->grab());
  painter.end();
  menu->hide();
  const QString path = output.filePath(QString(name) + ".png");
  picture.save(path);
  std::printf("%s\n", path.toUtf8().constData());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: ui_screenshots DATABASE.mdf OUTPUT_DIR [TABLE]\n");
    return 2;
  }
  const QString database = QFileInfo(argv[1]).absoluteFilePath();
  const QString table = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString("AllDocs");
  output = QDir(argv[2]);
  output.mkpath(".");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, output.filePath("settings"));
  TheApp().settings.showDeleted = true;
  TheApp().settings.showAdvancedDeleted = true;
  brinehold::LoadCollationTableBesideProgram();
  ui::ApplyApplicationLook(app, ui::kDefaultApplicationLook);
  ui::SetBoxAnswerer([](ui::BoxKind, const std::string&) { return true; });

  ui::CMainFrame frame;
  frame.resize(1280, 800);
  frame.show();
  Settle(frame);
  Save(frame, "1-start");

  frame.StartScanOf(database, output.path());
  Settle(frame);
  // Programmability open: its folders show as folders, empty or not.
  frame.ObjectTree()->expand(frame.ObjectTree()->FindText("Programmability"));
  Save(frame, "2-scan-done");

  Click(frame, frame.ObjectTree(), table);
  // The table open too, with the key and constraint folders it got.
  frame.ObjectTree()->expand(frame.ObjectTree()->FindText(table));
  ShowFirstMarkedRow(frame);
  Save(frame, "3-table-listed");

  Click(frame, frame.ObjectTree(), "Docs");
  Save(frame, "4-view-definition");

  frame.StartScanOf(database, output.path(), brinehold::ScanType::DocumentRecovery);
  Settle(frame);
  Save(frame, "5a-document-scan-done");
  ClickFolderWithDocuments(frame, frame.DocumentTree(), "Shared Documents");
  Save(frame, "5-document-folder");

  ui::CVantrelFileSettingDlg dialog(TheApp().settings, TheApp().collations, &frame);
  dialog.findChild<QLineEdit*>("dataFilePath")->setText(database);
  dialog.show();
  Settle(frame);
  Save(dialog, "6-open-dialog");
  dialog.hide();

  ui::CVantrelAboutDlg about(&frame);
  about.show();
  Settle(frame);
  Save(about, "7-about-box");
  about.hide();

  SaveApplicationMenu(frame, "8-recent-files");

  QPixmap splash = ui::SplashPicture();
  splash.setMask(splash.createMaskFromColor(ui::kKeyColour, Qt::MaskInColor));
  splash.save(output.filePath("9-splash.png"));

  frame.Driver().WaitForWorker();
  ui::SetBoxAnswerer({});
  return 0;
}
