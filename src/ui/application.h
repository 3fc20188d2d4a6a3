// Start-up of the desktop application (CHalvardApp's window side).
//
// One instance per machine: a lock file in the shared temporary folder
// stands for the global named mutex; a second copy shows "Another instance
// of application is already running" and exits, leaving the first alone.
// A lock left by a process that died is taken over.
//
// Settings live in QSettings under the maker and product names; the one
// value kept is "ApplicationLook", the visual style (210 to 218, 215 by
// default).
//
// RunDesktopApplication: single-instance check, collation table from
// "collation.txt" beside the program, visual style, main window with the
// splash, shown maximized; `brinehold-gui FILE` then starts a Standard
// scan of FILE at once, logging to the desktop (or home) folder.
#pragma once

#include <QString>
#include <memory>

class QApplication;
class QLockFile;

namespace brinehold::ui {

inline constexpr const char* kInstanceLockName = "VANTRELSHAREPOINTREC.0_EXE_RUNNING1.lock";

class SingleInstanceLock {
 public:
  // `path`: the lock file; empty for the machine-wide one.
  explicit SingleInstanceLock(const QString& path = QString());
  ~SingleInstanceLock();
  // False when another running process holds the lock.
  bool TryAcquire();

 private:
  std::unique_ptr<QLockFile> lock_;
};

int ReadApplicationLook();
void StoreApplicationLook(int look);
// Applies style `look` (values outside 210..218 count as the default).
void ApplyApplicationLook(QApplication& app, int look);

int RunDesktopApplication(int argc, char** argv);

}  // namespace brinehold::ui
