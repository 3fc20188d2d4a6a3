// Opening a data file for a command, the way the scan does it: the
// collation table beside the program, the stop handler, the console as
// window, the open with its alignment probe and inventory; for the commands
// that read the catalog, then the whole catalog bootstrap with the layout
// decided by the data.
//
// A file that does not open is reported on stderr in two lines: the
// command, the file and why ("no such file", "not a regular file", too
// short for one page, no boot page or system table pages found, the
// system's reason for a file that cannot be read), then the open's own
// message.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "catalog/database_catalog.h"
#include "cli/options.h"
#include "scan/object_tree_stage.h"
#include "session/scan_settings.h"
#include "session/headless_window.h"
#include "storage/data_file.h"

namespace brinehold::cli {

struct OpenedFile {
  std::unique_ptr<HeadlessWindow> window;  // the file reports to it; outlives the file
  std::unique_ptr<CDataFile> file;
};

// Null when the file does not open (reported as above, with `command`).
// The collation table is loaded first unless the command shows no text of
// the file (`needsCollations` false).
std::unique_ptr<OpenedFile> OpenFileForCommand(const std::string& path, bool advanced, const char* command,
                                               bool needsCollations = true);

struct OpenedCatalog {
  std::unique_ptr<HeadlessWindow> window;  // the file reports to it; outlives the file
  std::unique_ptr<CDataFile> file;
  std::unique_ptr<CDatabaseCatalog> catalog;
};

// Where a command reads the database from: FILE, or a snapshot (its page
// inventory, its options and the data file it names, or `mdf` when that
// file has moved).
struct DataSource {
  std::string file;
  std::string snapshot;
  std::string mdf;
};

// Takes FILE (the first positional argument) or --snapshot SNAP [--mdf FILE]
// out of `parsed`, leaving `argumentsAfterFile` positional arguments.
// Returns the problem with them, empty when there is none. The options a
// snapshot brings (--show-deleted, --advanced-deleted, --sql2000,
// --collation) are refused beside it rather than silently replaced.
std::string TakeDataSource(ParsedArgs& parsed, size_t argumentsAfterFile, DataSource& source);

struct CatalogOpenOptions {
  bool advanced = false;
  bool showDeleted = false;
};

// Null when the file does not open (reported as above). `command` names
// the command in the report.
std::unique_ptr<OpenedCatalog> OpenCatalogForCommand(const DataSource& source, const CatalogOpenOptions& options,
                                                     const char* command = "open");
// The same for a data file named by its path.
std::unique_ptr<OpenedCatalog> OpenCatalogForCommand(const std::string& path, const CatalogOpenOptions& options,
                                                     const char* command = "open");

// Writes the reading options the table commands share (--collation ID,
// --advanced, --advanced-deleted) into `settings`. Returns the problem with
// them, empty when there is none. The catalog layout is decided by the data,
// so --sql2000 is accepted as by `scan` and changes nothing.
std::string ApplyTableReadOptions(const ParsedArgs& parsed, ScanSettings& settings);

// Loads the user table `name`, else the system table of that name (as the
// object tree offers them), into catalog.tableSchema and returns its type
// code. `name` is written as SQL users write it (table_name.h): with a
// schema it names the table of that schema; without one it must name one
// table only. Nothing, after saying why on stderr as `brinehold COMMAND`,
// when no table has that name or the name fits several (they are listed).
std::optional<std::string> LoadTableForCommand(CDatabaseCatalog& catalog, const std::string& name,
                                               const char* command);

// Builds the object tree on the opened catalog's window as the scan's
// completion stages do (skeleton with `rootText`, objects, sorted nodes,
// the scan's object values). Null, after saying why on stderr as
// `brinehold COMMAND`, when the catalog has no object.
std::unique_ptr<ObjectTreeStage> BuildObjectTreeForCommand(OpenedCatalog& opened, const std::string& rootText,
                                                           const char* command);

}  // namespace brinehold::cli
