#include "cli/catalog_open.h"

#include <cstdio>

#include "catalog/table_schema.h"
#include "cli/console.h"
#include "session/app_state.h"
#include "scan/snapshot_commands.h"
#include "session/collation_table.h"

namespace brinehold::cli {

namespace {
constexpr const char* kTextNoObjectsInCatalog = "the catalog holds no objects";
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

std::unique_ptr<OpenedCatalog> OpenCatalogForCommand(const DataSource& source, const CatalogOpenOptions& options) {
  InstallStopHandler();
  LoadCollationTableBesideProgram();
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

  auto opened = std::make_unique<OpenedCatalog>();
  opened->window = std::make_unique<HeadlessWindow>();
  AttachConsole(*opened->window, {});
  opened->file = OpenDataFile(path, options.advanced, opened->window.get());
  FinishProgressLine();
  if (!opened->file->IsValid()) {
    auto state = opened->window->Snapshot();
    std::fprintf(stderr, "%s\n", state.errorBoxes.empty() ? kTextNotValidMdf : state.errorBoxes.back().c_str());
    return nullptr;
  }
  opened->catalog = BuildCatalog(*opened->file);
  return opened;
}

std::unique_ptr<OpenedCatalog> OpenCatalogForCommand(const std::string& path, const CatalogOpenOptions& options) {
  return OpenCatalogForCommand(DataSource{path, {}, {}}, options);
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

std::optional<std::string> LoadTableForCommand(CDatabaseCatalog& catalog, const std::string& name,
                                               const char* command) {
  for (const char* typeCode : {"U ", "S "}) {
    LoadTableSchema(catalog, name, typeCode, {});
    if (catalog.tableSchema.found) return std::string(typeCode);
  }
  const TableSchema& schema = catalog.tableSchema;
  if (schema.currentObject.objectId == -1)
    std::fprintf(stderr, "brinehold %s: no table named '%s' in the catalog\n", command, name.c_str());
  else
    std::fprintf(stderr, "brinehold %s: '%s' is not a table (type '%s')\n", command, name.c_str(),
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
