// ui_screenshots DATABASE.mdf OUTPUT_DIR
//
// Drives the main window through its main states on DATABASE and saves a
// picture of each in OUTPUT_DIR: start, scan done, a table listed, a view's
// definition, a document folder listed, the open dialog and the About box.
// Message boxes are answered without showing. Run by
// scripts/screenshots.sh; the pictures are for looking at, not compared.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTreeWidgetItemIterator>
#include <cstdio>

#include "session/app_state.h"
#include "session/collation_table.h"
#include "ui/about_dialog.h"
#include "ui/application.h"
#include "ui/check_tree.h"
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

void Settle(ui::CMainFrame& frame) {
  QElapsedTimer timer;
  timer.start();
  while ((TheApp().isRunning == 1 || frame.Driver().WorkerActive()) && timer.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  frame.Port().FlushPendingRows();
  // The command bar follows the running state on a 100 ms timer.
  QElapsedTimer pause;
  pause.start();
  while (pause.elapsed() < 250) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Save(QWidget& widget, const char* name) {
  const QString path = output.filePath(QString(name) + ".png");
  widget.grab().save(path);
  std::printf("%s\n", path.toUtf8().constData());
}

// The first item of `tree` whose text is `text`, or nullptr.
QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& text) {
  for (QTreeWidgetItemIterator it(tree); *it; ++it)
    if ((*it)->text(0) == text) return *it;
  return nullptr;
}

void Click(ui::CMainFrame& frame, ui::CXHtmlTree* tree, const QString& text) {
  QTreeWidgetItem* item = FindItem(tree, text);
  if (!item) {
    std::fprintf(stderr, "no tree item \"%s\"\n", text.toUtf8().constData());
    return;
  }
  tree->SelectItem(item);
  tree->onLabelClicked(item);
  Settle(frame);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: ui_screenshots DATABASE.mdf OUTPUT_DIR\n");
    return 2;
  }
  const QString database = QFileInfo(argv[1]).absoluteFilePath();
  output = QDir(argv[2]);
  output.mkpath(".");
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
  Save(frame, "2-scan-done");

  Click(frame, frame.ObjectTree(), "AllDocs");
  Save(frame, "3-table-listed");

  Click(frame, frame.ObjectTree(), "Docs");
  Save(frame, "4-view-definition");

  frame.StartScanOf(database, output.path(), brinehold::ScanType::DocumentRecovery);
  Settle(frame);
  Click(frame, frame.DocumentTree(), "Shared Documents");
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

  QPixmap splash = ui::SplashPicture();
  splash.setMask(splash.createMaskFromColor(ui::kKeyColour, Qt::MaskInColor));
  splash.save(output.filePath("8-splash.png"));

  frame.Driver().WaitForWorker();
  ui::SetBoxAnswerer({});
  return 0;
}
