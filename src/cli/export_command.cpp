// brinehold export FILE --to DIR [--tables|--documents] [--null TEXT]
//                  [--all-versions] [--overwrite] and the table reading options
#include <cstdio>
#include <string>

#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "scan/database_export.h"
#include "scan/document_export.h"
#include "session/app_state.h"

namespace brinehold::cli {

namespace {

constexpr const char* kUsage =
    "usage: brinehold export FILE --to DIR [--tables|--documents] [--null TEXT] [--all-versions]\n"
    "                        [--overwrite] [--advanced] [--show-deleted] [--advanced-deleted]\n"
    "                        [--collation ID]\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "brinehold export: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

void PrintReport(const ExportReport& report, const std::string& folder, bool documents) {
  std::printf("Written to %s: ", folder.c_str());
  if (documents) {
    std::printf("%lld documents", static_cast<long long>(report.documents));
  } else {
    std::printf("%lld tables, %lld rows", static_cast<long long>(report.tables), static_cast<long long>(report.rows));
  }
  std::printf(", %zu files, %llu bytes\n", report.written.size(), static_cast<unsigned long long>(report.bytes));
  for (const std::string& problem : report.problems) std::printf("not written: %s\n", problem.c_str());
  if (report.stopped) std::printf("stopped: %s\n", report.stopReason.c_str());
  if (report.Complete()) std::printf("Everything found was written.\n");
}

int RunExport(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(
      args, {"tables", "documents", "all-versions", "overwrite", "advanced", "show-deleted", "advanced-deleted",
             "sql2000"},
      {"to", "null", "collation"});
  if (!parsed.error.empty()) return Usage(parsed.error);
  if (parsed.positional.size() != 1) return Usage("expected one FILE");
  auto folder = parsed.Value("to");
  if (!folder || folder->empty()) return Usage("--to DIR is required");
  if (parsed.Has("tables") && parsed.Has("documents")) return Usage("--tables and --documents exclude each other");
  if (std::string problem = ApplyTableReadOptions(parsed, TheApp().settings); !problem.empty()) {
    return Usage(problem);
  }

  auto opened = OpenCatalogForCommand(parsed.positional[0], {parsed.Has("advanced"), parsed.Has("show-deleted")});
  if (!opened) return 1;
  ExportSettings settings;
  settings.folder = *folder;
  settings.overwrite = parsed.Has("overwrite");
  settings.nullText = parsed.Value("null").value_or("");
  settings.allVersions = parsed.Has("all-versions");
  const ExportReport report = parsed.Has("documents")
                                  ? ExportDocuments(*opened->catalog, settings, *opened->window)
                                  : ExportTables(*opened->catalog, settings, *opened->window);
  PrintReport(report, settings.folder, parsed.Has("documents"));
  return report.Complete() ? 0 : 1;
}

CommandRegistration registration(
    {50, "export", "export FILE --to DIR [--tables|--documents] [--null TEXT] [--all-versions] [--overwrite]",
     "Opens the data file, rebuilds its catalog and writes what it holds\n"
     "into the folder DIR (created when missing):\n"
     "  --tables     (the default) one CSV file per user table (RFC 4180,\n"
     "               UTF-8, a header record, binary as 0x hex, NULL as an\n"
     "               empty field), schema.sql with statements that recreate\n"
     "               the tables, and summary.txt with the rows per table and\n"
     "               what could not be read\n"
     "  --documents  the documents of a SharePoint content database, each\n"
     "               under its folder path (DirName, then LeafName), with its\n"
     "               bytes from AllDocStreams or DocStreams and its time of\n"
     "               last change; documents whose bytes are not in the\n"
     "               database, or not all of them, are listed instead\n"
     "  --all-versions  with --documents: older versions too, as\n"
     "               \"name (vMAJOR.MINOR).ext\"\n"
     "  --null TEXT  write NULL as TEXT instead of an empty field\n"
     "  --overwrite  replace files that already exist (kept otherwise, and\n"
     "               reported)\n"
     "Names from the database are made safe as file names and never leave\n"
     "DIR. Files are written whole or not at all. Prints a summary; exit 0\n"
     "when everything was written, 1 when something was not, 2 on a usage\n"
     "error. Takes the reading options of rows (--advanced, --show-deleted,\n"
     "--advanced-deleted, --collation ID); with --show-deleted each CSV file\n"
     "starts with the column \"deleted\" as rows writes it.",
     RunExport});

}  // namespace

}  // namespace brinehold::cli
