#include "session/app_state.h"

namespace brinehold {

void CHalvardApp::ResetForTests() {
  settings = ScanSettings();
  isRunning = 0;
  stopRequested = false;
  tableLoadActive = false;
  snapshotLoaded = false;
  nextLogRow = 0;
  spillMode = 0;
  spillLargeRoots = 0;
  spillFolder.clear();
  spillCounter = 0;
  sqlVersionText.clear();
  collationName.clear();
  collation = CurrentCollation();
}

CHalvardApp& TheApp() {
  static CHalvardApp app;
  return app;
}

}  // namespace brinehold
