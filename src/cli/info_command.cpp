// brinehold info FILE [--advanced]
#include <cstdio>
#include <string>

#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "session/app_state.h"
#include "storage/boot_page.h"
#include "storage/data_file.h"

namespace brinehold::cli {

namespace {

void PrintField(const char* key, const std::string& value) { std::printf("%s\t%s\n", key, value.c_str()); }

int RunInfo(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {"advanced"}, {});
  if (!parsed.error.empty() || parsed.positional.size() != 1) {
    std::fprintf(stderr, "brinehold info: %s\nusage: brinehold info FILE [--advanced]\n",
                 parsed.error.empty() ? "expected one FILE" : parsed.error.c_str());
    return 2;
  }
  auto opened = OpenFileForCommand(parsed.positional[0], parsed.Has("advanced"), "info");
  if (!opened) return 1;
  CDataFile* file = opened->file.get();

  CHalvardApp& app = TheApp();
  auto boot = ReadBootPage(*file);
  // Without a boot record the version and collation are unknown; the fields
  // are printed empty rather than invented.
  PrintField("format_version", boot ? std::to_string(boot->formatVersion) : "");
  PrintField("version_name", boot ? app.sqlVersionText : "");
  PrintField("database_name", file->databaseName);
  PrintField("collation_id", boot ? std::to_string(boot->collationId) : "");
  PrintField("collation_name", app.collation.known ? app.collationName : "");
  PrintField("code_page", app.collation.known ? std::to_string(app.collation.codePage) : "");
  PrintField("pages", std::to_string(file->pageCount));
  PrintField("base_offset", std::to_string(file->baseOffset));
  return 0;
}

CommandRegistration registration({20, "info", "info FILE [--advanced]",
                                  "Opens the data file and reads its boot page. Prints key<TAB>value lines:\n"
                                  "format_version (the number stored in the boot page), version_name,\n"
                                  "database_name, collation_id (as stored), collation_name and code_page\n"
                                  "(from collation.txt beside the program; empty when the id is not listed),\n"
                                  "pages and base_offset (the byte offset at which pages start). Fields the\n"
                                  "boot page could not supply are empty. Exit 1 when the file does not open.",
                                  RunInfo});

}  // namespace

}  // namespace brinehold::cli
