// The Save and Load commands of the "Recovery SnapShot" panel.
//
// Save writes the page inventory of the data file the last scan opened, with
// its path and the current options, to a snapshot (format in
// storage/snapshot_file.h). Load reads a snapshot's header into the
// settings, sets TheApp().snapshotLoaded and starts the scan, whose open
// then takes the inventory from the snapshot instead of reading every page;
// everything after the inventory is rebuilt from the data file.
//
// Both run on the window thread, refuse while a worker runs (the inventory
// must not be read while a scan builds it) and wait for a stopped worker to
// end. Save without a scanned file writes nothing and says so; a Load whose
// snapshot cannot be read starts no scan and says why.
#pragma once

#include <functional>
#include <string>

#include "scan/recovery_log.h"
#include "scan/scan_driver.h"
#include "storage/snapshot_file.h"

namespace brinehold {

inline constexpr const char* kTextSavingSnapshot = "Saving Snapshot..Please wait....";
inline constexpr const char* kTextSnapshotSaved = "Snapshot Saved successfully in path ";
inline constexpr const char* kTextSnapshotNotSaved = "Snapshot cannot be saved.";
inline constexpr const char* kTextNothingToSave = "There is no scanned data file to save in a snapshot.";
inline constexpr const char* kTextSnapshotNotLoaded = "The snapshot was not loaded: no data file was chosen.";
// The file dialogs' filter for both commands.
inline constexpr const char* kSnapshotFileFilter = ".VantrelMDB Files (*.MDBVTL)|*MDBVTL||";

// Writes the inventory of the session's data file, the session's recovery
// mode and the current options, naming `mdfPath` as the data file. False
// when there is no opened file or the snapshot cannot be written.
bool SaveSnapshot(const ScanSession& session, const std::string& snapshotPath, const std::string& mdfPath);

// Reads the header of the snapshot at `snapshotPath` into the settings
// (snapshotPath, snapshotMdfPath, snapshotAdvanced, collation and deleted
// record choices). False, with `failure` set, when it cannot be read; the
// settings are then left as they were.
bool LoadSnapshotHeader(const std::string& snapshotPath, std::string& failure);

// Why the data file at `mdfPath` cannot be scanned with the snapshot at
// `snapshotPath`: it does not open, or its length differs from the one the
// snapshot recorded (its pages would not be where the inventory says).
// Empty when it can.
std::string SnapshotDataFileProblem(const std::string& snapshotPath, const std::string& mdfPath);

class CSnapshotCommands {
 public:
  CSnapshotCommands(CScanDriver& driver, CRecoveryLog& log) : driver_(driver), log_(log) {}

  // Save command, after the user chose `snapshotPath`.
  bool Save(const std::string& snapshotPath);
  // Load command, after the user chose `snapshotPath`: starts the scan on
  // the driver's worker. `mdfPath`, when not empty, replaces the data file
  // path the snapshot names (the file has moved). False when refused or the
  // snapshot cannot be read (no scan started).
  bool Load(const std::string& snapshotPath, const std::string& mdfPath = {});
  // Load command for a data file that may have moved: when the file the
  // snapshot names cannot be scanned with it (SnapshotDataFileProblem),
  // the problem is logged and `locate` is asked for the data file, with
  // the problem as its reason; an empty answer loads nothing and says so.
  // A snapshot that cannot be read is refused by Load as before.
  bool LoadLocatingDataFile(const std::string& snapshotPath,
                            const std::function<std::string(const std::string& reason)>& locate);

 private:
  bool RefuseWhileRunning();
  void Tell(const std::string& text);

  CScanDriver& driver_;
  CRecoveryLog& log_;
};

}  // namespace brinehold
