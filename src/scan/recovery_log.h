// CRecoveryLog: the scan log, written to a UTF-16LE text file and shown as
// the rows of the log list.
//
// One log file is open at a time. StartLogFile opens a new one, named by the
// folder, a prefix that tells an Open from a snapshot Load, and the local
// date and time; a new file starts with the byte-order mark FF FE, an
// existing file of the same name is appended to without a second mark. Every
// opening writes the banner (CR LF, 80 asterisks, CR LF).
//
// AppendLogLine adds a list row and writes the text plus CR LF to the file;
// AppendLogList adds a row only. Lines appended before the first start go to
// the list only.
//
// A folder that cannot be written never fails a scan: the rows still reach
// the list, and `onWriteFailure` is called once per log file with
// kTextLogNotWritten so the front end can tell the user.
//
// Safe to call from the window thread and the worker at once (one mutex).
#pragma once

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace brinehold {

enum class LogVariant {
  Open,  // a scan started by the Open command: log in the chosen folder
  Load,  // a scan started by a snapshot Load: log beside the program
};

inline constexpr const char* kLogPrefixOpen = "VantrelSharepointDatabaseRec_log_";
inline constexpr const char* kLogPrefixLoad = "VantrelSQLDatabaseRec_log_";
inline constexpr const char* kTextFileSelected = " File is selected for recovery....";
inline constexpr const char* kTextLogNotWritten =
    "The log file cannot be written; log lines are kept in the log list only.";
inline constexpr const char* kTextApplicationStarts = "application starts";

// "%d-%d-%d-%d-%d-%d" of day, month (1-12), four-digit year, hour, minute,
// second. Without a time (nullptr) the date fields are 0 and the time fields
// -1, as for a clock that cannot be read.
std::string LogTimeStamp(const std::tm* localTime);

class CRecoveryLog {
 public:
  CRecoveryLog();
  ~CRecoveryLog();
  CRecoveryLog(const CRecoveryLog&) = delete;
  CRecoveryLog& operator=(const CRecoveryLog&) = delete;

  // Opens a new log file (closing the current one) and writes the banner.
  // Open: the folder is TheApp().settings.logFolder, the full name is stored
  // in settings.logFilePath and the line `mdfPath` + kTextFileSelected is
  // appended. Load: settings.logFolder becomes `programDirectory`;
  // logFilePath is left alone. Returns false when the file could not be
  // opened (the failure has then been reported through onWriteFailure).
  bool StartLogFile(LogVariant variant, const std::string& mdfPath);

  void AppendLogLine(const std::string& text);
  void AppendLogList(const std::string& text);

  void Close();
  bool IsOpen() const;
  // Name of the file opened by the last StartLogFile (either variant).
  std::string CurrentFilePath() const;
  std::vector<std::string> ListRows() const;
  // Empties the list (the log list of a new window).
  void ClearList();

  // Called for every new list row, in order, with the row's text;
  // `logLine` is false for list-only rows. Runs under the log's lock: it
  // must not call back into the log.
  std::function<void(const std::string& text, bool logLine)> onRow;
  // Called once per log file that cannot be opened or written.
  std::function<void(const std::string&)> onWriteFailure;
  // The clock; tests replace it. Returns false when no time is known.
  std::function<bool(std::tm&)> localTime;
  // Folder of the Load variant; the program's directory unless replaced.
  std::string programDirectory;

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };

  void AddRowLocked(const std::string& text, bool logLine);
  void WriteLocked(const std::u16string& text);
  void ReportFailureLocked();

  mutable std::mutex mutex_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::string filePath_;
  bool failureReported_ = false;
  std::vector<std::string> rows_;
};

// The log of the application (owned for the process).
CRecoveryLog& TheRecoveryLog();

}  // namespace brinehold
