#include "scan/recovery_log.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/read_only_file.h"
#include "platform/text_codec.h"
#include "session/app_state.h"

namespace brinehold {

namespace {

constexpr char16_t kCrLf[] = u"\r\n";

std::u16string Banner() {
  std::u16string banner = kCrLf;
  banner.append(80, u'*');
  banner += kCrLf;
  return banner;
}

bool SystemLocalTime(std::tm& out) {
  std::time_t now = std::time(nullptr);
  if (now == static_cast<std::time_t>(-1)) return false;
  return localtime_r(&now, &out) != nullptr;
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + "/" + name;
}

}  // namespace

std::string LogTimeStamp(const std::tm* t) {
  char buffer[96];
  if (t == nullptr) {
    std::snprintf(buffer, sizeof buffer, "%d-%d-%d-%d-%d-%d", 0, 0, 0, -1, -1, -1);
  } else {
    std::snprintf(buffer, sizeof buffer, "%d-%d-%d-%d-%d-%d", t->tm_mday, t->tm_mon + 1,
                  t->tm_year + 1900, t->tm_hour, t->tm_min, t->tm_sec);
  }
  return buffer;
}

CRecoveryLog::CRecoveryLog() : localTime(SystemLocalTime), programDirectory(ProgramDirectory()) {}

CRecoveryLog::~CRecoveryLog() = default;

bool CRecoveryLog::StartLogFile(LogVariant variant, const std::string& mdfPath) {
  ScanSettings& settings = TheApp().settings;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (variant == LogVariant::Load) settings.logFolder = programDirectory;

    std::tm now{};
    bool known = localTime && localTime(now);
    std::string name = std::string(variant == LogVariant::Open ? kLogPrefixOpen : kLogPrefixLoad) +
                       LogTimeStamp(known ? &now : nullptr) + ".txt";
    std::string path = JoinFolder(settings.logFolder, name);
    if (variant == LogVariant::Open) settings.logFilePath = path;

    file_.reset();
    filePath_ = path;
    failureReported_ = false;

    std::error_code error;
    bool exists = std::filesystem::exists(path, error);
    if (!exists) {
      file_.reset(std::fopen(path.c_str(), "w+b"));
      if (file_) {
        const unsigned char bom[2] = {0xFF, 0xFE};
        if (std::fwrite(bom, 1, 2, file_.get()) != 2) file_.reset();
      }
    } else {
      file_.reset(std::fopen(path.c_str(), "r+b"));
      if (file_ && std::fseek(file_.get(), 0, SEEK_END) != 0) file_.reset();
    }
    if (!file_) {
      ReportFailureLocked();
    } else {
      WriteLocked(Banner());
    }
  }
  if (variant == LogVariant::Open) AppendLogLine(mdfPath + kTextFileSelected);
  std::lock_guard<std::mutex> lock(mutex_);
  return file_ != nullptr && !failureReported_;
}

void CRecoveryLog::AppendLogLine(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  AddRowLocked(text, true);
  if (file_) {
    WriteLocked(Utf8ToUtf16(text));
    WriteLocked(kCrLf);
  }
}

void CRecoveryLog::AppendLogList(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  AddRowLocked(text, false);
}

void CRecoveryLog::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  file_.reset();
}

bool CRecoveryLog::IsOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return file_ != nullptr;
}

std::string CRecoveryLog::CurrentFilePath() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return filePath_;
}

std::vector<std::string> CRecoveryLog::ListRows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rows_;
}

void CRecoveryLog::ClearList() {
  std::lock_guard<std::mutex> lock(mutex_);
  rows_.clear();
}

void CRecoveryLog::AddRowLocked(const std::string& text, bool logLine) {
  rows_.push_back(text);
  ++TheApp().nextLogRow;
  if (onRow) onRow(text, logLine);
}

void CRecoveryLog::WriteLocked(const std::u16string& text) {
  if (!file_ || text.empty()) return;
  // UTF-16LE whatever the host byte order.
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
  }
  // Flushed per line so the log on disk is complete up to the last step
  // even when the process ends abruptly.
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size() ||
      std::fflush(file_.get()) != 0) {
    ReportFailureLocked();
    file_.reset();
  }
}

void CRecoveryLog::ReportFailureLocked() {
  if (failureReported_) return;
  failureReported_ = true;
  if (onWriteFailure) onWriteFailure(kTextLogNotWritten);
}

CRecoveryLog& TheRecoveryLog() {
  static CRecoveryLog log;
  return log;
}

}  // namespace brinehold
