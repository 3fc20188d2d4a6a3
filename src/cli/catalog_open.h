// Opening a data file and rebuilding its catalog for the commands that read
// the catalog (objects, schema), the way the scan does it: the collation
// table beside the program, the stop handler, the console as window, the
// open with its alignment probe and inventory, then the whole catalog
// bootstrap with the layout decided by the data.
#pragma once

#include <memory>
#include <string>

#include "catalog/database_catalog.h"
#include "scan/session/headless_window.h"
#include "storage/data_file.h"

namespace brinehold::cli {

struct OpenedCatalog {
  std::unique_ptr<HeadlessWindow> window;  // the file reports to it; outlives the file
  std::unique_ptr<CDataFile> file;
  std::unique_ptr<CDatabaseCatalog> catalog;
};

struct CatalogOpenOptions {
  bool advanced = false;
  bool showDeleted = false;
};

// Null when the file does not open; the open's message has then been
// printed on stderr.
std::unique_ptr<OpenedCatalog> OpenCatalogForCommand(const std::string& path, const CatalogOpenOptions& options);

}  // namespace brinehold::cli
