// Writing a recovered database out as files.
//
// ExportTables writes, into one folder:
// - one CSV file per user table (RFC 4180, UTF-8, header record; every row
//   the table listing finds, large values in full, binary as 0x hex, NULL
//   as an empty field or the chosen text; with deleted rows shown, a first
//   column "deleted" says ghost, carved, freed or nothing for a live row),
//   named after the table (SafeFileName; two tables that map to one name
//   both kept);
// - "schema.sql": statements that would recreate the tables (columns,
//   types, nullability, identity, keys, foreign keys, defaults, checks)
//   and the definitions of views, procedures, functions and triggers
//   (SchemaScript);
// - "summary.txt": per table its rows written, the row count the catalog
//   holds, and the file; then everything that could not be read or
//   written, with the reason.
// WriteRecordsCsv writes the current table alone (the "Save Records"
// command), with the same rules.
//
// Files are written whole or not at all (OutputFile); an existing file is
// kept unless `overwrite` is set, and is then reported. A failed write
// (disk full, permissions) ends the export at once: what was written before
// it stays, whole, and is listed. A stop request ends it the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brinehold {

class CDatabaseCatalog;
class OutputFile;
class WindowPort;

struct ExportSettings {
  std::string folder;
  bool overwrite = false;
  std::string nullText;  // a NULL's text in CSV files
  bool allVersions = false;
};

struct ExportReport {
  std::vector<std::string> written;   // paths, relative to the folder
  std::vector<std::string> problems;  // one line each: what, and why
  int64_t tables = 0;
  int64_t rows = 0;
  int64_t documents = 0;
  uint64_t bytes = 0;
  bool stopped = false;   // a stop request or a failed write ended it
  std::string stopReason;

  bool Complete() const { return problems.empty() && !stopped; }
  void Problem(std::string line) { problems.push_back(std::move(line)); }
};

ExportReport ExportTables(CDatabaseCatalog& catalog, const ExportSettings& settings, WindowPort& window);

// The catalog's current table into `file` as CSV; returns the rows written,
// or -1 when a write failed (the file's error says why).
int64_t WriteRecordsCsv(CDatabaseCatalog& catalog, OutputFile& file, const std::string& nullText);

// Writes `text` as the file `name` of the export folder, whole or not at
// all; a refusal is a problem of the report, a failed write stops it.
bool WriteWholeFile(const ExportSettings& settings, const std::string& name, const std::string& text,
                    ExportReport& report);

// Creates the export folder; false, with the report stopped and the reason
// given, when it cannot be made.
bool PrepareExportFolder(const ExportSettings& settings, ExportReport& report);

inline constexpr const char* kSummaryFileName = "summary.txt";

// The text of summary.txt for a finished export.
std::string SummaryText(const ExportReport& report, const std::vector<std::string>& tableLines);

}  // namespace brinehold
