// brinehold scan FILE [--document-recovery] [--advanced] [--show-deleted]
//                [--advanced-deleted] [--sql2000] [--collation ID] [--log-dir DIR]
//                [--save-snapshot SNAP]
// brinehold scan --snapshot SNAP [--mdf FILE] [--document-recovery] [--advanced]
//                [--log-dir DIR] [--save-snapshot SNAP]
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "scan/completion_stages.h"
#include "scan/recovery_log.h"
#include "scan/scan_driver.h"
#include "scan/snapshot_commands.h"
#include "session/app_state.h"
#include "session/collation_table.h"

namespace brinehold::cli {

namespace {

// The open-file dialog's refusal of a folder that does not exist.
constexpr const char* kTextInvalidLogFolder = "Please select valid Log file path to continue the recovery process.";

constexpr const char* kUsage =
    "usage: brinehold scan FILE [--document-recovery] [--advanced] [--show-deleted]\n"
    "                           [--advanced-deleted] [--sql2000] [--collation ID] [--log-dir DIR]\n"
    "                           [--save-snapshot SNAP]\n"
    "       brinehold scan --snapshot SNAP [--mdf FILE] [--document-recovery] [--advanced]\n"
    "                           [--log-dir DIR] [--save-snapshot SNAP]\n";

// Options the snapshot brings with it; given beside --snapshot they would
// be silently replaced.
constexpr const char* kSnapshotOptions[] = {"show-deleted", "advanced-deleted", "sql2000"};

int Usage(const std::string& problem) {
  std::fprintf(stderr, "brinehold scan: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

int RunScanCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(
      args, {"document-recovery", "advanced", "show-deleted", "advanced-deleted", "sql2000"},
      {"collation", "log-dir", "snapshot", "mdf", "save-snapshot"});
  if (!parsed.error.empty()) return Usage(parsed.error);
  const std::optional<std::string> snapshot = parsed.Value("snapshot");
  if (snapshot) {
    if (!parsed.positional.empty()) return Usage("give either FILE or --snapshot SNAP");
    for (const char* option : kSnapshotOptions)
      if (parsed.Has(option)) return Usage(std::string("--") + option + " comes from the snapshot");
    if (parsed.Value("collation")) return Usage("--collation comes from the snapshot");
  } else {
    if (parsed.positional.size() != 1) return Usage("expected one FILE");
    if (parsed.Value("mdf")) return Usage("--mdf goes with --snapshot");
  }

  CHalvardApp& app = TheApp();
  ScanSettings chosen = app.settings;
  if (!snapshot) chosen.mdfPath = parsed.positional[0];
  chosen.scanType = parsed.Has("document-recovery") ? ScanType::DocumentRecovery : ScanType::DatabaseRecovery;
  chosen.recoveryMode = static_cast<int32_t>(parsed.Has("advanced") ? RecoveryMode::Advanced : RecoveryMode::Standard);
  chosen.showDeleted = parsed.Has("show-deleted");
  chosen.showAdvancedDeleted = parsed.Has("advanced-deleted");
  chosen.legacyCatalog = parsed.Has("sql2000");
  if (auto id = parsed.Value("collation")) {
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(id->c_str(), &end, 10);
    if (id->empty() || *end != '\0' || errno != 0) return Usage("--collation needs a decimal collation id");
    chosen.collationAuto = false;
    chosen.manualCollation = value;
  }
  std::error_code error;
  std::string logDir = parsed.Value("log-dir").value_or(std::filesystem::current_path(error).string());
  if (!std::filesystem::is_directory(logDir, error)) {
    std::fprintf(stderr, "%s\n", kTextInvalidLogFolder);
    return 2;
  }
  chosen.logFolder = logDir;

  InstallStopHandler();
  LoadCollationTableBesideProgram();

  CRecoveryLog& log = TheRecoveryLog();
  log.onRow = [](const std::string& text, bool logLine) {
    if (!logLine) return;
    FinishProgressLine();
    std::fprintf(stdout, "%s\n", text.c_str());
    std::fflush(stdout);
  };
  log.onWriteFailure = [](const std::string& text) {
    FinishProgressLine();
    std::fprintf(stderr, "%s\n", text.c_str());
  };
  log.AppendLogList(kTextApplicationStarts);

  HeadlessWindow window;
  AttachConsole(window, {});
  auto console = window.observer;
  window.observer = [console](const WindowMessage& message) {
    if (console) console(message);
    if (message.id == UM_SCAN_FAILED) {
      FinishProgressLine();
      std::fprintf(stderr, "%s\n", message.text.c_str());
    }
  };
  window.logSink = [&log](const std::string& text) { log.AppendLogLine(text); };

  log.programDirectory = logDir;  // where a scan started from a snapshot logs
  CScanDriver driver(window, log);
  window.onScanFailed = [&driver](const std::string&) { driver.OnScanFailed(); };
  driver.obtainSettings = [&chosen](ScanSettings& settings) {
    settings = chosen;
    return true;
  };
  driver.hooks.messageBox = [](const std::string& text) {
    FinishProgressLine();
    std::fprintf(stderr, "%s\n", text.c_str());
  };
  driver.hooks.askYesNo = [](const std::string&) { return true; };
  RecordListing listing(window);
  SharePointHierarchy hierarchy(window);
  CompletionStages stages(driver, window, listing, hierarchy);
  stages.Install();

  CSnapshotCommands snapshots(driver, log);
  if (snapshot) {
    // The dialog's choices that a snapshot does not hold.
    app.settings.scanType = chosen.scanType;
    app.settings.recoveryMode = chosen.recoveryMode;
    app.settings.logFolder = chosen.logFolder;
    if (!snapshots.Load(*snapshot, parsed.Value("mdf").value_or(""))) return 1;
  } else if (!driver.StartScan()) {
    return 1;
  }
  driver.WaitForWorker();
  FinishProgressLine();
  ScanOutcome outcome = driver.LastOutcome();
  if (outcome == ScanOutcome::NoObjects) std::fprintf(stderr, "%s\n", kTextNoObjects);
  bool saveFailed = false;
  if (auto target = parsed.Value("save-snapshot"); target && outcome == ScanOutcome::Completed)
    saveFailed = !snapshots.Save(*target);
  log.Close();
  // What the application shows when it closes.
  const std::string& logPath = app.settings.logFilePath;
  if (!logPath.empty() && std::filesystem::exists(logPath, error))
    std::fprintf(stderr, "Log file path : %s\n", logPath.c_str());
  return outcome == ScanOutcome::Completed && !saveFailed ? 0 : 1;
}

CommandRegistration registration(
    {20, "scan",
     "scan FILE [--document-recovery] [--advanced] [--show-deleted] [--advanced-deleted] [--sql2000] "
     "[--collation ID] [--log-dir DIR] [--save-snapshot SNAP]\n"
     "  scan --snapshot SNAP [--mdf FILE] [--document-recovery] [--advanced] [--log-dir DIR] "
     "[--save-snapshot SNAP]",
     "Runs the whole scan as the desktop application does: opens the data file,\n"
     "rebuilds the catalog, reports version and collation and runs the\n"
     "completion stages. Every log line is printed on stdout as it is written\n"
     "to the log file (in DIR, by default the current directory); status,\n"
     "progress and messages go to stderr. Exit 0 when the scan completes, 1\n"
     "when it fails (the failure's text is on stderr).\n"
     "  --collation ID   use this collation id instead of the boot page's\n"
     "  --sql2000        the dialog's \"Is SQL 2000\" choice (the layout is\n"
     "                   decided by the data all the same)\n"
     "  --save-snapshot SNAP  after a completed scan, save its page inventory,\n"
     "                   the data file's path and the options to SNAP (.MDBVTL)\n"
     "  --snapshot SNAP  scan the data file SNAP names, taking the page\n"
     "                   inventory from SNAP instead of reading every page;\n"
     "                   the collation and deleted-record choices come from\n"
     "                   SNAP, and the log is named as for a snapshot load\n"
     "  --mdf FILE       with --snapshot: the data file has moved to FILE",
     RunScanCommand});

}  // namespace

}  // namespace brinehold::cli
