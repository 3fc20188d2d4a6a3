#include "cli/catalog_open.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "catalog/table_schema.h"
#include "cli/console.h"
#include "cli/table_name.h"
#include "session/app_state.h"
#include "scan/snapshot_commands.h"
#include "session/collation_table.h"

namespace brinehold::cli {

namespace {
constexpr const char* kTextNoObjectsInCatalog = "the catalog holds no objects";

// Why `path` gave no data file, as far as the file system and the file's
// length tell.
std::string WhyNotOpened(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? "no such file" : std::strerror(errno);
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  if (::access(path.c_str(), R_OK) != 0) return std::strerror(errno);
  if (static_cast<uint64_t>(st.st_size) < kPageSize)
    return "too short for a data file (" + std::to_string(st.st_size) + " bytes, a page is " +
           std::to_string(kPageSize) + ")";
  if (InterruptRequested()) return "interrupted before a system page was found";
  return "no boot page or system table pages found";
}

}  // namespace

std::string TakeDataSource(ParsedArgs& parsed, size_t argumentsAfterFile, DataSource& source) {
  if (auto snapshot = parsed.Value("snapshot")) {
    if (parsed.positional.size() != argumentsAfterFile) return "give either FILE or --snapshot SNAP";
    for (const char* option : {"show-deleted", "advanced-deleted", "sql2000"})
      if (parsed.Has(option)) return std::string("--") + option + " comes from the snapshot";
    if (parsed.Value("collation")) return "--collation comes from the snapshot";
    source.snapshot = *snapshot;
    source.mdf = parsed.Value("mdf").value_or("");
    return {};
  }
  if (parsed.Value("mdf")) return "--mdf goes with --snapshot";
  if (parsed.positional.size() != argumentsAfterFile + 1) return {};  // the command names what it expects
  source.file = parsed.positional.front();
  parsed.positional.erase(parsed.positional.begin());
  return {};
}

std::unique_ptr<OpenedFile> OpenFileForCommand(const std::string& path, bool advanced, const char* command,
                                               bool needsCollations) {
  InstallStopHandler();
  if (needsCollations) LoadCollationTableBesideProgram();
  auto opened = std::make_unique<OpenedFile>();
  opened->window = std::make_unique<HeadlessWindow>();
  AttachConsole(*opened->window, {});
  opened->file = OpenDataFile(path, advanced, opened->window.get());
  FinishProgressLine();
  if (opened->file->IsValid()) return opened;
  const auto state = opened->window->Snapshot();
  std::fprintf(stderr, "brinehold %s: %s: %s\n%s\n", command, path.c_str(), WhyNotOpened(path).c_str(),
               state.errorBoxes.empty() ? kTextNotValidMdf : state.errorBoxes.back().c_str());
  return nullptr;
}

std::unique_ptr<OpenedCatalog> OpenCatalogForCommand(const DataSource& source, const CatalogOpenOptions& options,
                                                     const char* command) {
  // A snapshot's own choices replace these.
  TheApp().settings.showDeleted = options.showDeleted;
  std::string path = source.file;
  if (!source.snapshot.empty()) {
    std::string failure;
    if (!LoadSnapshotHeader(source.snapshot, failure)) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return nullptr;
    }
    TheApp().snapshotLoaded = true;
    path = source.mdf.empty() ? TheApp().settings.snapshotMdfPath : source.mdf;
  }
  TheApp().settings.legacyCatalog = false;
  auto file = OpenFileForCommand(path, options.advanced, command);
  if (!file) return nullptr;
  auto opened = std::make_unique<OpenedCatalog>();
  opened->window = std::move(file->window);
  opened->file = std::move(file->file);
  opened->catalog = BuildCatalog(*opened->file);
  return opened;
}

std::unique_ptr<OpenedCatalog> OpenCatalogForCommand(const std::string& path, const CatalogOpenOptions& options,
                                                     const char* command) {
  return OpenCatalogForCommand(DataSource{path, {}, {}}, options, command);
}

std::string ApplyTableReadOptions(const ParsedArgs& parsed, ScanSettings& settings) {
  if (auto id = parsed.Value("collation")) {
    auto value = ParseNumber(*id);
    if (!value) return "--collation needs a decimal collation id";
    settings.collationAuto = false;
    settings.manualCollation = *value;
  }
  settings.recoveryMode =
      static_cast<int32_t>(parsed.Has("advanced") ? RecoveryMode::Advanced : RecoveryMode::Standard);
  settings.showAdvancedDeleted = parsed.Has("advanced-deleted");
  return {};
}

namespace {

bool SameName(const std::string& a, const std::string& b, bool ignoreCase) {
  if (!ignoreCase) return a == b;
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The objects of `typeCode` that `wanted` names: by exact name, else (as a
// server with the usual case-insensitive collation would) ignoring case.
std::vector<const ObjectRow*> TablesNamed(const CDatabaseCatalog& catalog, const TableName& wanted,
                                          const std::string& typeCode,
                                          const std::map<int32_t, std::string>& schemas) {
  std::vector<const ObjectRow*> found;
  for (const bool ignoreCase : {false, true}) {
    for (const ObjectRow& row : catalog.objects) {
      if (row.type != typeCode || !SameName(row.name, wanted.name, ignoreCase)) continue;
      auto schema = schemas.find(row.schemaId);
      if (!wanted.schema.empty() && (schema == schemas.end() || !SameName(schema->second, wanted.schema, true)))
        continue;
      found.push_back(&row);
    }
    if (!found.empty()) break;
  }
  return found;
}

std::string QualifiedName(const ObjectRow& row, const std::map<int32_t, std::string>& schemas) {
  auto schema = schemas.find(row.schemaId);
  return (schema != schemas.end() ? schema->second : "schema " + std::to_string(row.schemaId)) + "." + row.name;
}

}  // namespace

std::optional<std::string> LoadTableForCommand(CDatabaseCatalog& catalog, const std::string& text,
                                               const char* command) {
  const std::optional<TableName> wanted = ParseTableName(text);
  if (!wanted) {
    std::fprintf(stderr, "brinehold %s: '%s' is not a table name\n", command, text.c_str());
    return std::nullopt;
  }
  const std::map<int32_t, std::string> schemas =
      catalog.dataFile ? SchemaNames(*catalog.dataFile, TheApp().settings.legacyCatalog)
                       : std::map<int32_t, std::string>{};
  for (const char* typeCode : {"U ", "S "}) {
    const std::vector<const ObjectRow*> tables = TablesNamed(catalog, *wanted, typeCode, schemas);
    if (tables.size() > 1) {
      std::string names;
      for (const ObjectRow* row : tables) names += "\n  " + QualifiedName(*row, schemas);
      std::fprintf(stderr, "brinehold %s: more than one table is named '%s'; name one with its schema:%s\n",
                   command, text.c_str(), names.c_str());
      return std::nullopt;
    }
    if (tables.size() == 1) {
      LoadObjectSchema(catalog, *tables.front(), {});
      if (catalog.tableSchema.found) return std::string(typeCode);
    }
  }
  // No table: say whether the name belongs to something else.
  LoadTableSchema(catalog, wanted->name, "U ", {});
  const TableSchema& schema = catalog.tableSchema;
  if (schema.currentObject.objectId == -1 || schema.currentObject.type == "U " || schema.currentObject.type == "S ")
    std::fprintf(stderr, "brinehold %s: no table named '%s' in the catalog\n", command, text.c_str());
  else
    std::fprintf(stderr, "brinehold %s: '%s' is not a table (type '%s')\n", command, text.c_str(),
                 schema.currentObject.type.c_str());
  return std::nullopt;
}

std::unique_ptr<ObjectTreeStage> BuildObjectTreeForCommand(OpenedCatalog& opened, const std::string& rootText,
                                                           const char* command) {
  auto stage = std::make_unique<ObjectTreeStage>(*opened.window);
  stage->BuildSkeleton(rootText);
  if (!stage->Finish(*opened.catalog)) {
    FinishProgressLine();
    std::fprintf(stderr, "brinehold %s: %s\n", command, kTextNoObjectsInCatalog);
    return nullptr;
  }
  FinishProgressLine();
  return stage;
}

}  // namespace brinehold::cli
