#include "ui/application.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QPalette>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

#include "session/collation_table.h"
#include "ui/main_frame.h"
#include "ui/message_boxes.h"
#include "ui/open_dialog.h"
#include "ui/pictures.h"
#include "ui/splash_screen.h"
#include "ui/ui_texts.h"

namespace brinehold::ui {

SingleInstanceLock::SingleInstanceLock(const QString& path)
    : lock_(std::make_unique<QLockFile>(path.isEmpty() ? QDir::tempPath() + '/' + kInstanceLockName : path)) {
  lock_->setStaleLockTime(0);  // only a dead owner makes a lock stale
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::TryAcquire() { return lock_->tryLock(0); }

int ReadApplicationLook() {
  QSettings settings(kSettingsOrganisation, kSettingsApplication);
  bool ok = false;
  const int look = settings.value(kSettingApplicationLook, kDefaultApplicationLook).toInt(&ok);
  return ok ? look : kDefaultApplicationLook;
}

void StoreApplicationLook(int look) {
  QSettings settings(kSettingsOrganisation, kSettingsApplication);
  settings.setValue(kSettingApplicationLook, look);
}

void ApplyApplicationLook(QApplication& app, int look) {
  if (look < 210 || look > 218) look = kDefaultApplicationLook;
  app.setStyle(QStyleFactory::create("Fusion"));
  // Accent colours of the styles; 218 is the dark one.
  static const QColor kAccents[] = {{43, 87, 154},  {0, 120, 215}, {80, 80, 80},   {16, 124, 16}, {116, 77, 169},
                                    {28, 110, 140}, {196, 89, 17}, {0, 99, 177},   {28, 110, 140}};
  const QColor accent = kAccents[look - 210];
  QPalette palette = app.style()->standardPalette();
  if (look == 218) {
    palette.setColor(QPalette::Window, QColor(45, 45, 48));
    palette.setColor(QPalette::WindowText, QColor(230, 230, 230));
    palette.setColor(QPalette::Base, QColor(30, 30, 30));
    palette.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    palette.setColor(QPalette::Text, QColor(230, 230, 230));
    palette.setColor(QPalette::Button, QColor(55, 55, 58));
    palette.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  } else {
    palette.setColor(QPalette::Window, QColor(243, 245, 247));
    palette.setColor(QPalette::Button, QColor(236, 239, 242));
  }
  palette.setColor(QPalette::Highlight, accent);
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Link, accent);
  app.setPalette(palette);
}

int RunDesktopApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kSettingsApplication);
  QApplication::setOrganizationName(kSettingsOrganisation);
  QApplication::setApplicationDisplayName(kProductName);
  QApplication::setWindowIcon(ApplicationIcon());

  SingleInstanceLock instance;
  if (!instance.TryAcquire()) {
    ShowInformation(nullptr, kTextAnotherInstance);
    return 1;
  }
  LoadCollationTableBesideProgram();
  const int look = ReadApplicationLook();
  ApplyApplicationLook(app, look);

  CMainFrame frame;
  // Without a window manager maximizing does nothing: the window is given
  // the screen's working area first.
  if (QScreen* screen = QGuiApplication::primaryScreen()) frame.setGeometry(screen->availableGeometry());
  auto* splash = new CSplashScreenEx(SplashPicture(), &frame);
  splash->Start();
  frame.showMaximized();

  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    const QString path = QFileInfo(arguments.at(1)).absoluteFilePath();
    QTimer::singleShot(0, &frame, [&frame, path]() { frame.StartScanOf(path, DefaultLogFolder()); });
  }
  const int result = app.exec();
  StoreApplicationLook(look);
  return result;
}

}  // namespace brinehold::ui
