#include "scan/snapshot_commands.h"

#include "platform/read_only_file.h"
#include "session/app_state.h"

namespace brinehold {

bool SaveSnapshot(const ScanSession& session, const std::string& snapshotPath, const std::string& mdfPath) {
  if (!session.dataFile || !session.dataFile->IsValid()) return false;
  const ScanSettings& settings = TheApp().settings;
  SnapshotHeader header;
  header.mdfPath = mdfPath;
  header.advanced = session.advanced;
  header.collationAuto = settings.collationAuto;
  header.manualCollation = settings.manualCollation;
  header.legacyCatalog = settings.legacyCatalog;
  header.showDeleted = settings.showDeleted;
  header.showAdvancedDeleted = settings.showAdvancedDeleted;
  return WriteSnapshotFile(snapshotPath, header, *session.dataFile);
}

bool LoadSnapshotHeader(const std::string& snapshotPath, std::string& failure) {
  std::optional<SnapshotHeader> header = ReadSnapshotHeader(snapshotPath, failure);
  if (!header) return false;
  ScanSettings& settings = TheApp().settings;
  settings.snapshotPath = snapshotPath;
  settings.snapshotMdfPath = header->mdfPath;
  settings.snapshotAdvanced = header->advanced;
  settings.collationAuto = header->collationAuto;
  settings.manualCollation = header->manualCollation;
  settings.legacyCatalog = header->legacyCatalog;
  settings.showDeleted = header->showDeleted;
  settings.showAdvancedDeleted = header->showAdvancedDeleted;
  return true;
}

std::string SnapshotDataFileProblem(const std::string& snapshotPath, const std::string& mdfPath) {
  ReadOnlyFile file;
  if (!file.Open(mdfPath)) return kTextSnapshotDataFileMissing + mdfPath;
  const std::optional<uint64_t> recorded = ReadSnapshotFileLength(snapshotPath, 1);
  if (recorded && *recorded != file.Length()) return kTextSnapshotDataFileChanged + mdfPath;
  return {};
}

bool CSnapshotCommands::RefuseWhileRunning() {
  if (TheApp().isRunning == 1) {
    Tell(kTextWaitForRunning);
    return true;
  }
  // A worker stopped by the user may still be finishing with the session.
  driver_.WaitForWorker();
  return false;
}

void CSnapshotCommands::Tell(const std::string& text) {
  if (driver_.hooks.messageBox) driver_.hooks.messageBox(text);
}

bool CSnapshotCommands::Save(const std::string& snapshotPath) {
  if (snapshotPath.empty() || RefuseWhileRunning()) return false;
  const ScanSession& session = driver_.Session();
  if (!session.dataFile || !session.dataFile->IsValid()) {
    log_.AppendLogList(kTextNothingToSave);
    Tell(kTextNothingToSave);
    return false;
  }
  CHalvardApp& app = TheApp();
  app.isRunning = 1;
  log_.AppendLogList(kTextSavingSnapshot);
  // The file the scan really read: after a scan started by a Load, the last
  // Open's path would name another file.
  bool saved = SaveSnapshot(session, snapshotPath, session.dataFile->path);
  app.isRunning = 0;
  const std::string text = saved ? kTextSnapshotSaved + snapshotPath : std::string(kTextSnapshotNotSaved);
  log_.AppendLogList(text);
  Tell(text);
  return saved;
}

bool CSnapshotCommands::Load(const std::string& snapshotPath, const std::string& mdfPath) {
  if (snapshotPath.empty() || RefuseWhileRunning()) return false;
  std::string failure;
  if (!LoadSnapshotHeader(snapshotPath, failure)) {
    log_.AppendLogList(failure);
    Tell(failure);
    return false;
  }
  CHalvardApp& app = TheApp();
  ScanSettings& settings = app.settings;
  if (!mdfPath.empty()) settings.snapshotMdfPath = mdfPath;
  app.stopRequested = false;
  app.isRunning = 1;
  log_.StartLogFile(LogVariant::Load, settings.snapshotMdfPath);
  app.snapshotLoaded = true;
  if (driver_.stages.clearBrowseView) driver_.stages.clearBrowseView();
  if (driver_.hooks.setCaption) driver_.hooks.setCaption(settings.snapshotMdfPath);
  if (driver_.hooks.showProgress) driver_.hooks.showProgress(true);
  driver_.StartWorker([this]() { driver_.RunScan(); });
  return true;
}

bool CSnapshotCommands::LoadLocatingDataFile(const std::string& snapshotPath,
                                             const std::function<std::string(const std::string& reason)>& locate) {
  if (snapshotPath.empty() || RefuseWhileRunning()) return false;
  std::string failure;
  const std::optional<SnapshotHeader> header = ReadSnapshotHeader(snapshotPath, failure);
  if (!header) return Load(snapshotPath);
  const std::string problem = SnapshotDataFileProblem(snapshotPath, header->mdfPath);
  if (problem.empty()) return Load(snapshotPath);
  log_.AppendLogList(problem);
  const std::string chosen = locate ? locate(problem) : std::string();
  if (chosen.empty()) {
    log_.AppendLogList(kTextSnapshotNotLoaded);
    Tell(kTextSnapshotNotLoaded);
    return false;
  }
  return Load(snapshotPath, chosen);
}

}  // namespace brinehold
