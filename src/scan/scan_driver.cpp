#include "scan/scan_driver.h"

#include "session/app_state.h"

namespace brinehold {

std::string DoubleBackslashes(const std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    out.push_back(c);
    if (c == '\\') out.push_back('\\');
  }
  return out;
}

CScanDriver::CScanDriver(WindowPort& window, CRecoveryLog& log) : objectTree(window), window_(window), log_(log) {
  // Until a front end installs its own stages, they build the object tree
  // alone.
  stages.buildTreeAndSites = [this](const std::string& rootText) { objectTree.BuildSkeleton(rootText); };
  stages.finishTree = [this] { return session_.catalog && objectTree.Finish(*session_.catalog); };
  stages.resetBrowseState = [this] { objectTree.Reset(); };
}

CScanDriver::~CScanDriver() { WaitForWorker(); }

void CScanDriver::StartWorker(std::function<void()> work) {
  std::lock_guard<std::mutex> lock(workerMutex_);
  if (worker_.joinable()) worker_.join();
  workerActive_ = true;
  worker_ = std::thread([this, work = std::move(work)]() {
    work();
    workerActive_ = false;
  });
}

void CScanDriver::WaitForWorker() {
  std::lock_guard<std::mutex> lock(workerMutex_);
  if (worker_.joinable()) worker_.join();
}

bool CScanDriver::StartScan() {
  CHalvardApp& app = TheApp();
  if (app.isRunning == 1) {
    MessageBox(kTextWaitForRunning);
    return false;
  }
  // A worker stopped by the user may still be finishing its sequence; the
  // session and the settings are its until it has ended. Its stop request
  // must not cut short the new scan either, so the flag is cleared once it
  // is gone.
  WaitForWorker();
  if (obtainSettings && !obtainSettings(app.settings)) return false;
  app.stopRequested = false;

  app.isRunning = 1;
  mdfPath_ = app.settings.mdfPath;
  if (stages.clearBrowseView) stages.clearBrowseView();
  if (hooks.setCaption) hooks.setCaption(mdfPath_);
  ShowProgress(true);
  log_.StartLogFile(LogVariant::Open, mdfPath_);
  app.snapshotLoaded = false;
  ResetSession();
  StartWorker([this]() { RunScan(); });
  return true;
}

void CScanDriver::RequestStop() {
  CHalvardApp& app = TheApp();
  if (app.isRunning != 1) return;
  if (hooks.askYesNo && !hooks.askYesNo(kTextAskStop)) return;
  app.isRunning = 0;
  app.stopRequested = true;
}

void CScanDriver::ResetSession() {
  if (stages.resetBrowseState) stages.resetBrowseState();
  if (session_.catalog) session_.catalog->ClearCatalog();
  // The catalog reads the data file: it goes first.
  session_.catalog.reset();
  session_.dataFile.reset();
}

void CScanDriver::OnScanFailed() { ResetSession(); }

int CScanDriver::Fail(ScanOutcome outcome) {
  CHalvardApp& app = TheApp();
  outcome_ = outcome;
  switch (outcome) {
    case ScanOutcome::OpenFailed:
      EmptyObjectTree();
      app.isRunning = 0;
      ShowProgress(false);
      Log(kTextScanAborted);
      MessageBox(kTextScanAborted);
      break;
    case ScanOutcome::NoObjects:
      Log(kTextNoObjects);
      EmptyObjectTree();
      app.isRunning = 0;
      ShowProgress(false);
      break;
    case ScanOutcome::TreeFailed:
      EmptyObjectTree();
      ShowProgress(false);
      app.isRunning = 0;
      Log(kTextTreeFailed);
      MessageBox(kTextTreeFailed);
      break;
    default:
      break;
  }
  return 0;
}

int CScanDriver::RunScan() {
  CHalvardApp& app = TheApp();
  ScanSettings& settings = app.settings;
  outcome_ = ScanOutcome::NotRun;

  settings.legacyCatalog = false;
  ResetSession();

  if (stages.prepareLayout) stages.prepareLayout();

  const std::string chosenPath = app.snapshotLoaded ? settings.snapshotMdfPath : mdfPath_;
  const std::string workingPath = DoubleBackslashes(chosenPath);
  if (!workingPath.empty()) Log(std::string(kTextBrowseFilePath) + workingPath + "\r\n");

  session_.mainWindow = &window_;
  if (settings.IsAdvanced()) {
    Log(kTextAdvancedMode);
    advancedMode_ = true;
    session_.advanced = true;
  } else {
    Log(kTextStandardMode);
    advancedMode_ = false;
    session_.advanced = false;
  }
  Log(kTextScanStarts);

  // The path is opened as chosen: on this platform a backslash is an
  // ordinary file-name character, so the doubled form (kept for the log)
  // would name another file.
  std::unique_ptr<CDataFile> file = OpenDataFile(chosenPath, session_.advanced, &window_);
  bool opened = file && file->IsValid();
  session_.dataFile = std::move(file);
  if (!opened) return Fail(ScanOutcome::OpenFailed);
  // Pages whose checksum or torn bits disagree with their bytes are still
  // read; the log says which they are.
  const PageVerificationTally& verification = session_.dataFile->verification;
  if (verification.checked > 0 || verification.displaced > 0)
    for (const std::string& line : VerificationReport(verification)) Log(line);

  {
    auto catalog = std::make_unique<CDatabaseCatalog>(session_.dataFile.get());
    catalog->reader->onTableStart = onCatalogTable;
    session_.catalog = std::move(catalog);
  }
  BuildCatalogInto(*session_.dataFile, *session_.catalog);
  if (session_.catalog->objects.empty()) return Fail(ScanOutcome::NoObjects);

  if (app.sqlVersionText.empty()) {
    app.sqlVersionText = kTextUnknownVersionLine;
    Log(app.sqlVersionText);
  } else {
    Log(kTextDatabaseVersion + app.sqlVersionText);
  }

  if (stages.buildTreeAndSites) stages.buildTreeAndSites(chosenPath);

  if (app.collationName.empty()) app.collationName = kTextUnknownCollation;
  Log(kTextCollationType + app.collationName);

  if (stages.finishTree && !stages.finishTree()) return Fail(ScanOutcome::TreeFailed);

  ShowProgress(false);
  app.isRunning = 0;
  if (hooks.setCaption) hooks.setCaption(kTextScanCompletedCaption);
  outcome_ = ScanOutcome::Completed;
  window_.LogLine(kTextScanCompletedLine);
  MessageBox(kTextScanProcessCompleted);
  return 1;
}

}  // namespace brinehold
