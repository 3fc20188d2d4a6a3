#include "scan/database_export.h"

#include <map>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "platform/output_file.h"
#include "platform/safe_file_name.h"
#include "scan/schema_script.h"
#include "session/app_state.h"
#include "session/window_port.h"
#include "values/record_format.h"
#include "values/table_rows.h"

namespace brinehold {

namespace {

constexpr size_t kFlushBytes = 1 << 20;
constexpr const char* kSchemaFileName = "schema.sql";

std::vector<const ObjectRow*> UserTables(const CDatabaseCatalog& catalog) {
  std::vector<const ObjectRow*> tables;
  for (const ObjectRow& object : catalog.objects) {
    if (object.type == "U ") tables.push_back(&object);
  }
  return tables;
}

std::string CatalogRowCount(const TableSchema& schema) {
  const int64_t count = schema.CatalogRowCount();
  return count >= 0 ? std::to_string(count) : "unknown";
}

}  // namespace

// Writes `text` as the file `name` of the export folder.
bool WriteWholeFile(const ExportSettings& settings, const std::string& name, const std::string& text,
                    ExportReport& report) {
  std::string error;
  auto file = OutputFile::Create(settings.folder + "/" + name, settings.overwrite, error);
  if (!file) {
    report.Problem(error);
    return false;
  }
  if (!file->Write(text) || !file->Commit()) {
    report.stopped = true;
    report.stopReason = file->error();
    return false;
  }
  report.written.push_back(name);
  report.bytes += text.size();
  return true;
}

namespace {

class TableExporter {
 public:
  TableExporter(CDatabaseCatalog& catalog, const ExportSettings& settings, ExportReport& report, WindowPort& window)
      : catalog_(catalog), settings_(settings), report_(report), script_(catalog, window) {}

  void Run(const ObjectRow& table) {
    LoadTableSchema(catalog_, table.name, table.type, {});
    const TableSchema& schema = catalog_.tableSchema;
    if (!schema.found || schema.columns.empty()) {
      report_.Problem("table " + table.name + ": no column descriptions in the catalog, rows cannot be read");
      return;
    }
    script_.AddTable(schema);
    const std::string fileName = names_.Allocate(SafeFileName(table.name + ".csv"));
    std::string error;
    auto file = OutputFile::Create(settings_.folder + "/" + fileName, settings_.overwrite, error);
    if (!file) {
      report_.Problem("table " + table.name + ": " + error);
      return;
    }
    const int64_t rows = WriteRecordsCsv(catalog_, *file, settings_.nullText);
    if (rows < 0 || !file->Commit()) {
      report_.stopped = true;
      report_.stopReason = file->error();
      return;
    }
    ++report_.tables;
    report_.rows += rows;
    report_.bytes += file->bytesWritten();
    report_.written.push_back(fileName);
    tableLines_.push_back(table.name + "\t" + std::to_string(rows) + "\t" + CatalogRowCount(schema) + "\t" +
                          fileName);
  }

  // Reads definitions: the catalog's current table changes.
  std::string SchemaText() { return script_.Text(); }
  const std::vector<std::string>& tableLines() const { return tableLines_; }

 private:
  CDatabaseCatalog& catalog_;
  const ExportSettings& settings_;
  ExportReport& report_;
  NameAllocator names_;
  SchemaScript script_;
  std::vector<std::string> tableLines_;
};

}  // namespace

int64_t WriteRecordsCsv(CDatabaseCatalog& catalog, OutputFile& file, const std::string& nullText) {
  const TableSchema& schema = catalog.tableSchema;
  const std::vector<size_t> shown = ShownColumns(schema);
  // With deleted rows shown, a first column says which rows are deleted
  // (ghost, carved, freed), as the rows command writes it.
  const bool markDeleted = TheApp().settings.showDeleted;
  std::vector<std::string> names;
  if (markDeleted) names.push_back("deleted");
  for (size_t index : shown) names.push_back(schema.columns[index].name);
  RecordWriter writer(RecordFormat::Csv, names, nullText);
  std::string out = writer.Header();
  std::vector<RecordCell> cells;
  int64_t rows = 0;
  bool failed = false;
  ForEachTableRow(catalog, [&](const RenderedRow& row, const TableRowSource& from) {
    cells.clear();
    if (markDeleted) cells.push_back({RowOriginName(from.origin), false});
    for (size_t index : shown) {
      if (index >= row.size()) break;
      cells.push_back({CellValueText(row[index]), IsNullCell(row[index])});
    }
    writer.AppendRow(cells, out);
    ++rows;
    if (out.size() >= kFlushBytes) {
      failed = !file.Write(out);
      out.clear();
    }
    return !failed;
  });
  if (failed || !file.Write(out)) return -1;
  return rows;
}

std::string SummaryText(const ExportReport& report, const std::vector<std::string>& tableLines) {
  std::string text;
  if (!tableLines.empty()) {
    text += "table\trows written\trows in catalog\tfile\n";
    for (const std::string& line : tableLines) text += line + "\n";
    text += "\ntables written: " + std::to_string(report.tables) + "\nrows written: " + std::to_string(report.rows) +
            "\n";
  }
  if (report.documents > 0) text += "documents written: " + std::to_string(report.documents) + "\n";
  if (report.problems.empty() && !report.stopped) return text + "\nEverything found was written.\n";
  text += "\nNot written:\n";
  for (const std::string& problem : report.problems) text += problem + "\n";
  if (report.stopped) text += "The export stopped early: " + report.stopReason + "\n";
  return text;
}

bool PrepareExportFolder(const ExportSettings& settings, ExportReport& report) {
  std::string error;
  if (MakeFolders(settings.folder, error)) return true;
  report.stopped = true;
  report.stopReason = error;
  return false;
}

ExportReport ExportTables(CDatabaseCatalog& catalog, const ExportSettings& settings, WindowPort& window) {
  ExportReport report;
  if (!PrepareExportFolder(settings, report)) return report;
  const std::vector<const ObjectRow*> tables = UserTables(catalog);
  window.ProgressReset(0, static_cast<int64_t>(tables.size()));
  TableExporter exporter(catalog, settings, report, window);
  for (size_t i = 0; i < tables.size() && !report.stopped; ++i) {
    if (TheApp().stopRequested) {
      report.stopped = true;
      report.stopReason = "stopped by the user";
      break;
    }
    exporter.Run(*tables[i]);
    window.ProgressPos(static_cast<int64_t>(i + 1));
  }
  if (!report.stopped) WriteWholeFile(settings, kSchemaFileName, exporter.SchemaText(), report);
  // The summary is written even after a stop: it says what the folder holds.
  WriteWholeFile(settings, kSummaryFileName, SummaryText(report, exporter.tableLines()), report);
  return report;
}

}  // namespace brinehold
