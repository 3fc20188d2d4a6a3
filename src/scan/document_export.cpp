#include "scan/document_export.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ctime>
#include <map>
#include <optional>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "platform/output_file.h"
#include "platform/safe_file_name.h"
#include "session/app_state.h"
#include "session/window_port.h"
#include "values/table_rows.h"

namespace brinehold {

namespace {

constexpr const char* kDocumentsTable = "AllDocs";
constexpr const char* kWholeStreamsTable = "AllDocStreams";
constexpr const char* kPieceStreamsTable = "DocStreams";
constexpr const char* kVersionsTable = "AllDocVersions";
constexpr const char* kPieceMapTable = "DocsToStreams";
constexpr int kFileType = 0;
constexpr int kPublishedLevel = 1;
constexpr int kVersionsPerMajor = 512;

struct DocumentRow {
  std::string id;
  std::string dirName;
  std::string leafName;
  int64_t size = -1;
  std::string internalVersion;
  int level = kPublishedLevel;
  int uiVersion = 0;
  bool current = true;
  int64_t modified = 0;
  bool hasModified = false;
};

// Index of each column of the current table by lower-case name.
class ColumnIndex {
 public:
  explicit ColumnIndex(const TableSchema& schema) {
    for (size_t i = 0; i < schema.columns.size(); ++i) byName_[Lower(schema.columns[i].name)] = i;
  }
  std::optional<size_t> Find(const std::string& name) const {
    auto it = byName_.find(Lower(name));
    if (it == byName_.end()) return std::nullopt;
    return it->second;
  }
  // The cell's text, or nothing when the column is missing or NULL.
  std::optional<std::string> Text(const RenderedRow& row, const std::string& name) const {
    auto index = Find(name);
    if (!index || *index >= row.size() || IsNullCell(row[*index])) return std::nullopt;
    return std::string(CellValueText(row[*index]));
  }
  std::optional<int64_t> Number(const RenderedRow& row, const std::string& name) const {
    auto text = Text(row, name);
    if (!text) return std::nullopt;
    int64_t value = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
    return value;
  }

 private:
  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
  std::map<std::string, size_t> byName_;
};

// "YYYY-MM-DD HH:MM:SS[.fff]" as seconds since 1970 (the stored times are UTC).
std::optional<int64_t> UnixSeconds(const std::string& text) {
  std::tm parts{};
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                  &parts.tm_hour, &parts.tm_min, &parts.tm_sec) != 6) {
    return std::nullopt;
  }
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  return static_cast<int64_t>(timegm(&parts));
}

bool LoadTable(CDatabaseCatalog& catalog, const char* name) {
  LoadTableSchema(catalog, name, "U ", {});
  return catalog.tableSchema.found && !catalog.tableSchema.columns.empty();
}

std::string VersionText(int uiVersion) {
  return std::to_string(uiVersion / kVersionsPerMajor) + "." + std::to_string(uiVersion % kVersionsPerMajor);
}

class DocumentExporter {
 public:
  DocumentExporter(CDatabaseCatalog& catalog, const ExportSettings& settings, ExportReport& report)
      : catalog_(catalog), settings_(settings), report_(report) {}

  void Run(WindowPort& window) {
    window_ = &window;
    if (!ReadDocumentRows()) return;
    if (settings_.allVersions) ReadVersionRows();
    ChooseVersions();
    window.ProgressReset(0, static_cast<int64_t>(wanted_.size()));
    if (LoadTable(catalog_, kWholeStreamsTable)) {
      ReadWholeStreams();
    } else if (LoadTable(catalog_, kPieceStreamsTable)) {
      ReadPieceStreams();
    }
    ReportMissing();
  }

 private:
  bool ReadDocumentRows();
  void ReadVersionRows();
  void ChooseVersions();
  void ReadWholeStreams();
  void ReadPieceStreams();
  std::map<std::string, std::vector<int64_t>> ReadPieceMap();
  void DeliverPieces(const std::string& id, std::map<int64_t, std::string>& pieces,
                     const std::map<std::string, std::vector<int64_t>>& pieceMap);
  void Deliver(const DocumentRow& document, const std::string& bytes);
  void ReportMissing();
  std::string TargetPath(const DocumentRow& document, bool older);

  CDatabaseCatalog& catalog_;
  const ExportSettings& settings_;
  ExportReport& report_;
  std::vector<DocumentRow> documents_;
  // Key (id and internal version, or id alone) -> index into documents_.
  std::multimap<std::string, size_t> wanted_;
  std::map<std::string, NameAllocator> folders_;
  std::vector<bool> delivered_;
  WindowPort* window_ = nullptr;
};

bool DocumentExporter::ReadDocumentRows() {
  if (!LoadTable(catalog_, kDocumentsTable)) {
    report_.Problem(std::string("no readable ") + kDocumentsTable + " table: this is not a content database, or its catalog rows are lost");
    return false;
  }
  const ColumnIndex columns(catalog_.tableSchema);
  ForEachTableRow(catalog_, [&](const RenderedRow& row) {
    if (columns.Number(row, "Type").value_or(-1) != kFileType) return true;
    DocumentRow document;
    document.id = columns.Text(row, "Id").value_or("");
    document.dirName = columns.Text(row, "DirName").value_or("");
    document.leafName = columns.Text(row, "LeafName").value_or("");
    document.size = columns.Number(row, "Size").value_or(-1);
    document.internalVersion = columns.Text(row, "InternalVersion").value_or("");
    document.level = static_cast<int>(columns.Number(row, "Level").value_or(kPublishedLevel));
    document.uiVersion = static_cast<int>(columns.Number(row, "UIVersion").value_or(0));
    document.current = columns.Number(row, "IsCurrentVersion").value_or(1) != 0;
    if (auto time = columns.Text(row, "TimeLastModified")) {
      if (auto seconds = UnixSeconds(*time)) document.modified = *seconds, document.hasModified = true;
    }
    documents_.push_back(std::move(document));
    return true;
  });
  return true;
}

// The earlier versions kept in AllDocVersions, each under the folder path
// and name of its document's row in AllDocs.
void DocumentExporter::ReadVersionRows() {
  std::map<std::string, size_t> byId;
  for (size_t i = 0; i < documents_.size(); ++i) byId.emplace(documents_[i].id, i);
  if (!LoadTable(catalog_, kVersionsTable)) return;
  const ColumnIndex columns(catalog_.tableSchema);
  std::vector<DocumentRow> versions;
  ForEachTableRow(catalog_, [&](const RenderedRow& row) {
    auto owner = byId.find(columns.Text(row, "Id").value_or(""));
    if (owner == byId.end()) return true;  // not a file of AllDocs
    DocumentRow version = documents_[owner->second];
    version.current = false;
    version.uiVersion = static_cast<int>(columns.Number(row, "UIVersion").value_or(0));
    version.internalVersion = columns.Text(row, "InternalVersion").value_or("");
    version.size = columns.Number(row, "Size").value_or(-1);
    version.level = static_cast<int>(columns.Number(row, "Level").value_or(kPublishedLevel));
    version.hasModified = false;
    if (auto time = columns.Text(row, "TimeCreated")) {
      if (auto seconds = UnixSeconds(*time)) version.modified = *seconds, version.hasModified = true;
    }
    versions.push_back(std::move(version));
    return true;
  });
  documents_.insert(documents_.end(), versions.begin(), versions.end());
}

// Current versions only, unless all are asked for; of several current rows
// of one document (published, draft, checked out) the published one.
void DocumentExporter::ChooseVersions() {
  std::map<std::string, size_t> best;
  for (size_t i = 0; i < documents_.size(); ++i) {
    const DocumentRow& document = documents_[i];
    if (!settings_.allVersions) {
      if (!document.current) continue;
      auto [it, inserted] = best.emplace(document.id, i);
      if (!inserted && documents_[it->second].level != kPublishedLevel && document.level == kPublishedLevel) {
        it->second = i;
      }
      continue;
    }
    best.emplace(document.id + "|" + std::to_string(i), i);
  }
  delivered_.assign(documents_.size(), false);
  for (const auto& [key, index] : best) wanted_.emplace(documents_[index].id, index);
}

std::string DocumentExporter::TargetPath(const DocumentRow& document, bool older) {
  std::string folder = settings_.folder;
  for (const std::string& part : FolderPathParts(document.dirName)) folder += "/" + part;
  std::string name = SafeFileName(document.leafName);
  if (older) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) dot = name.size();
    name = name.substr(0, dot) + " (v" + VersionText(document.uiVersion) + ")" + name.substr(dot);
  }
  return folder + "/" + folders_[folder].Allocate(name);
}

void DocumentExporter::Deliver(const DocumentRow& document, const std::string& bytes) {
  const std::string label = document.dirName + "/" + document.leafName;
  if (document.size >= 0 && static_cast<int64_t>(bytes.size()) != document.size) {
    report_.Problem("document " + label + ": " + std::to_string(bytes.size()) + " of " +
                    std::to_string(document.size) + " bytes found (pages lost), not written");
    return;
  }
  const std::string path = TargetPath(document, settings_.allVersions && !document.current);
  std::string error;
  if (!MakeFolders(path.substr(0, path.rfind('/')), error)) {
    report_.Problem("document " + label + ": " + error);
    return;
  }
  auto file = OutputFile::Create(path, settings_.overwrite, error);
  if (!file) {
    report_.Problem("document " + label + ": " + error);
    return;
  }
  file->Write(bytes);
  if (document.hasModified) file->SetModificationTime(document.modified);
  if (!file->Commit()) {
    report_.stopped = true;
    report_.stopReason = file->error();
    return;
  }
  ++report_.documents;
  if (window_) window_->ProgressPos(report_.documents);
  report_.bytes += bytes.size();
  report_.written.push_back(path.substr(settings_.folder.size() + 1));
}

void DocumentExporter::ReadWholeStreams() {
  const ColumnIndex columns(catalog_.tableSchema);
  const bool streamsHaveVersion = columns.Find("InternalVersion").has_value();
  const auto content = columns.Find("Content");
  if (!content) return;  // every document is reported missing
  ForEachTableRow(catalog_, {*content}, [&](const RenderedRow& row, const TableRowSource&) {
    const std::string id = columns.Text(row, "Id").value_or("");
    const std::string version = columns.Text(row, "InternalVersion").value_or("");
    auto [first, last] = wanted_.equal_range(id);
    for (auto it = first; it != last; ++it) {
      const DocumentRow& document = documents_[it->second];
      if (delivered_[it->second]) continue;
      if (streamsHaveVersion && !document.internalVersion.empty() && version != document.internalVersion) continue;
      if (*content >= row.size() || IsNullCell(row[*content])) continue;
      const std::string& bytes = row[*content].valueText;
      if (bytes.empty()) continue;  // stored outside the database: reported at the end
      delivered_[it->second] = true;
      Deliver(document, bytes);
    }
    return !report_.stopped;
  });
}

// DocsToStreams: the pieces (BSN) that make up each version of a document,
// by "DocId|HistVersion" (HistVersion is the version's UIVersion). Empty
// when the database has no such table.
std::map<std::string, std::vector<int64_t>> DocumentExporter::ReadPieceMap() {
  std::map<std::string, std::vector<int64_t>> pieceMap;
  if (!LoadTable(catalog_, kPieceMapTable)) return pieceMap;
  const ColumnIndex columns(catalog_.tableSchema);
  ForEachTableRow(catalog_, [&](const RenderedRow& row) {
    const std::string id = columns.Text(row, "DocId").value_or("");
    auto version = columns.Number(row, "HistVersion");
    auto bsn = columns.Number(row, "BSN");
    if (wanted_.count(id) == 0 || !version || !bsn) return true;
    pieceMap[id + "|" + std::to_string(*version)].push_back(*bsn);
    return true;
  });
  for (auto& [key, list] : pieceMap) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  return pieceMap;
}

void DocumentExporter::ReadPieceStreams() {
  const std::map<std::string, std::vector<int64_t>> pieceMap = ReadPieceMap();
  if (!LoadTable(catalog_, kPieceStreamsTable)) return;
  const ColumnIndex columns(catalog_.tableSchema);
  const auto content = columns.Find("Content");
  if (!content) return;
  std::map<std::string, std::map<int64_t, std::string>> pieces;  // document id -> BSN -> bytes
  ForEachTableRow(catalog_, {*content}, [&](const RenderedRow& row, const TableRowSource&) {
    const std::string id = columns.Text(row, "DocId").value_or("");
    if (wanted_.count(id) == 0 || *content >= row.size() || IsNullCell(row[*content])) return true;
    pieces[id][columns.Number(row, "BSN").value_or(0)] = row[*content].valueText;
    return !TheApp().stopRequested;
  });
  for (auto& [id, byOrder] : pieces) {
    if (report_.stopped) break;
    DeliverPieces(id, byOrder, pieceMap);
    std::map<int64_t, std::string>().swap(byOrder);
  }
}

// Every wanted version of one document from its pieces in BSN order: the
// pieces DocsToStreams names for that version, or, for the current version
// of a document it names no pieces for, all of them. A piece no later
// version needs is freed as soon as it is copied.
void DocumentExporter::DeliverPieces(const std::string& id, std::map<int64_t, std::string>& pieces,
                                     const std::map<std::string, std::vector<int64_t>>& pieceMap) {
  auto [first, last] = wanted_.equal_range(id);
  std::vector<std::pair<size_t, std::vector<int64_t>>> plans;
  std::map<int64_t, int> uses;
  for (auto it = first; it != last; ++it) {
    const DocumentRow& document = documents_[it->second];
    std::vector<int64_t> order;
    if (auto mapped = pieceMap.find(id + "|" + std::to_string(document.uiVersion)); mapped != pieceMap.end()) {
      order = mapped->second;
    } else if (document.current) {
      for (const auto& [bsn, bytes] : pieces) order.push_back(bsn);
    }
    for (int64_t bsn : order) ++uses[bsn];
    plans.emplace_back(it->second, std::move(order));
  }
  for (auto& [index, order] : plans) {
    std::string whole;
    bool complete = !order.empty();
    for (int64_t bsn : order) {
      auto piece = pieces.find(bsn);
      if (piece == pieces.end()) {
        complete = false;  // a lost piece: the size check reports it
        continue;
      }
      whole += piece->second;
      if (--uses[bsn] == 0) pieces.erase(piece);
    }
    if (whole.empty() && !complete) continue;  // reported as not in the database
    if (report_.stopped) return;
    delivered_[index] = true;
    Deliver(documents_[index], whole);
  }
}

void DocumentExporter::ReportMissing() {
  for (const auto& [id, index] : wanted_) {
    const DocumentRow& document = documents_[index];
    if (delivered_[index] || document.size == 0) continue;
    report_.Problem("document " + document.dirName + "/" + document.leafName +
                    ": its bytes are not in the database (stored outside it, or their rows are lost)");
  }
  // Empty documents have no stream to find: they are written empty.
  for (const auto& [id, index] : wanted_) {
    if (!delivered_[index] && documents_[index].size == 0 && !report_.stopped) {
      delivered_[index] = true;
      Deliver(documents_[index], {});
    }
  }
}

}  // namespace

ExportReport ExportDocuments(CDatabaseCatalog& catalog, const ExportSettings& settings, WindowPort& window) {
  ExportReport report;
  if (!PrepareExportFolder(settings, report)) return report;
  DocumentExporter(catalog, settings, report).Run(window);
  WriteWholeFile(settings, kSummaryFileName, SummaryText(report, {}), report);
  return report;
}

}  // namespace brinehold
