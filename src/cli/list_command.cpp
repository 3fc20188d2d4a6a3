// brinehold list FILE|--snapshot SNAP [--mdf FILE] TABLE [--page N] [--advanced] [--show-deleted]
//                [--advanced-deleted] [--sql2000] [--collation ID]
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "catalog/table_schema.h"
#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "session/app_state.h"
#include "values/record_listing.h"

namespace brinehold::cli {

namespace {

constexpr const char* kUsage =
    "usage: brinehold list FILE|--snapshot SNAP [--mdf FILE] TABLE\n"
    "                                 [--page N] [--advanced] [--show-deleted] [--advanced-deleted]\n"
    "                                 [--sql2000] [--collation ID]\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "brinehold list: %s\n%s", problem.c_str(), kUsage);
  return 2;
}



void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

int RunList(const std::vector<std::string>& args) {
  ParsedArgs parsed =
      ParseArgs(args, {"advanced", "show-deleted", "advanced-deleted", "sql2000"}, {"page", "collation", "snapshot", "mdf"});
  if (!parsed.error.empty()) return Usage(parsed.error);
  DataSource source;
  if (std::string problem = TakeDataSource(parsed, 1, source); !problem.empty()) return Usage(problem);
  if (parsed.positional.size() != 1 || (source.file.empty() && source.snapshot.empty()))
    return Usage("expected FILE and TABLE");
  long long page = 1;
  if (auto text = parsed.Value("page")) {
    auto value = ParseNumber(*text);
    if (!value || *value < 1) return Usage("--page needs a list page number (1 or more)");
    page = *value;
  }
  ScanSettings& settings = TheApp().settings;
  if (std::string problem = ApplyTableReadOptions(parsed, settings); !problem.empty()) return Usage(problem);
  const bool advanced = parsed.Has("advanced");

  const std::string& table = parsed.positional[0];
  auto opened = OpenCatalogForCommand(source, {advanced, parsed.Has("show-deleted")}, "list");
  if (!opened) return 1;
  CDatabaseCatalog& catalog = *opened->catalog;
  auto typeCode = LoadTableForCommand(catalog, table, "list");
  if (!typeCode) return 1;

  HeadlessWindow& window = *opened->window;
  RecordListing listing(window);
  listing.ResetPagingCounters();
  TheApp().isRunning = 1;
  if (!listing.ListSelectedTable(catalog, table, *typeCode, advanced)) {
    std::fprintf(stderr, "brinehold list: '%s' has no columns to list\n", table.c_str());
    return 1;
  }
  for (long long shown = 1; shown < page; ++shown) {
    if (!listing.HasNextPage()) {
      std::fprintf(stderr, "brinehold list: '%s' has %lld list page(s); there is no page %lld\n", table.c_str(),
                   shown, page);
      return 1;
    }
    listing.ShowNextRecords(catalog);
  }

  const HeadlessWindow::State state = window.Snapshot();
  PrintLine(state.pageCaption);
  // With deleted rows shown, a first column says which rows are deleted,
  // as `rows` does.
  const bool markDeleted = TheApp().settings.showDeleted;
  std::string header = markDeleted ? "deleted\t" : "";
  for (size_t i = 0; i < state.listColumns.size(); ++i) {
    if (i > 0) header += '\t';
    header += EscapeCell(state.listColumns[i].heading);
  }
  PrintLine(header);
  for (const HeadlessWindow::State::ListItem& item : state.listItems) {
    std::string line = markDeleted ? item.deleted + '\t' : std::string();
    const size_t cells = std::max(state.listColumns.size(), size_t{1});
    for (size_t i = 0; i < cells; ++i) {
      if (i > 0) line += '\t';
      if (i < item.texts.size()) line += EscapeCell(item.texts[i]);
    }
    PrintLine(line);
  }
  std::fflush(stdout);
  return 0;
}

CommandRegistration registration(
    {46, "list", "list FILE|--snapshot SNAP [--mdf FILE] TABLE "
                 "[--page N] [--advanced] [--show-deleted] [--advanced-deleted] [--sql2000] "
                 "[--collation ID]",
     "Opens the data file, rebuilds its catalog and shows what the records\n"
     "list shows for the table TABLE (a user table, else a system table of\n"
     "that name) on list page N (default 1), reached by pressing Next Records\n"
     "N-1 times: the page caption, a line with the list's column headings,\n"
     "then the list's rows as tab-separated text, at most 1000. As in the\n"
     "list, large values on the first page show as <BINARY DATA> or\n"
     "<BIG BINARY DATA>, and rows whose values are all empty are left out.\n"
     "Tabs, line breaks and backslashes inside values are written as \\t,\n"
     "\\n, \\r and \\\\. Exit 1 when the file does not open, has no such table\n"
     "or the table has fewer list pages.\n"
     "  --page N         the list page to show\n"
     "  --advanced       read the table's pages from the page inventory\n"
     "  --show-deleted   include deleted rows (ghost rows, and the rows of\n"
     "                   pages the table has freed), with a first column\n"
     "                   \"deleted\": ghost, carved or freed (empty when live)\n"
     "  --advanced-deleted  also search free page space for deleted rows\n"
     "  --collation ID   use this collation id instead of the boot page's\n"
     "  --sql2000        accepted as by scan (the layout is decided by the data)\n"
     "  --snapshot SNAP  in place of FILE: the data file SNAP names, with the\n"
     "                   page inventory and the collation and deleted-record\n"
     "                   choices saved in SNAP\n"
     "  --mdf FILE       with --snapshot: the data file has moved to FILE",
     RunList});

}  // namespace

}  // namespace brinehold::cli
