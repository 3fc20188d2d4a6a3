#include "cli/catalog_open.h"

#include <cstdio>

#include "cli/console.h"
#include "scan/session/app_state.h"
#include "scan/session/collation_table.h"

namespace brinehold::cli {

std::unique_ptr<OpenedCatalog> OpenCatalogForCommand(const std::string& path, const CatalogOpenOptions& options) {
  InstallStopHandler();
  LoadCollationTableBesideProgram();
  TheApp().settings.showDeleted = options.showDeleted;
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

}  // namespace brinehold::cli
