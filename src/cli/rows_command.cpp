// brinehold rows FILE TABLE [--limit N] [--advanced] [--show-deleted]
//                [--advanced-deleted] [--mark-damaged] [--sql2000] [--collation ID]
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
#include "values/page_rows.h"
#include "values/row_decoding_context.h"
#include "values/table_page_source.h"

namespace brinehold::cli {

namespace {

constexpr const char* kUsage =
    "usage: brinehold rows FILE TABLE [--limit N] [--advanced] [--show-deleted] [--advanced-deleted]\n"
    "                                 [--mark-damaged] [--sql2000] [--collation ID]\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "brinehold rows: %s\n%s", problem.c_str(), kUsage);
  return 2;
}



int RunRows(const std::vector<std::string>& args) {
  ParsedArgs parsed =
      ParseArgs(args, {"advanced", "show-deleted", "advanced-deleted", "mark-damaged", "sql2000"}, {"limit", "collation"});
  if (!parsed.error.empty()) return Usage(parsed.error);
  if (parsed.positional.size() != 2) return Usage("expected FILE and TABLE");
  long long limit = -1;
  if (auto text = parsed.Value("limit")) {
    auto value = ParseNumber(*text);
    if (!value || *value < 0) return Usage("--limit needs a number of rows (0 or more)");
    limit = *value;
  }
  ScanSettings& settings = TheApp().settings;
  if (std::string problem = ApplyTableReadOptions(parsed, settings); !problem.empty()) return Usage(problem);

  const std::string& table = parsed.positional[1];
  auto opened = OpenCatalogForCommand(parsed.positional[0], {parsed.Has("advanced"), parsed.Has("show-deleted")});
  if (!opened) return 1;
  CDatabaseCatalog& catalog = *opened->catalog;
  if (!LoadTableForCommand(catalog, table, "rows")) return 1;
  const TableSchema& schema = catalog.tableSchema;

  // Columns without a stored value get no list column in the modern layout.
  const bool legacy = settings.legacyCatalog;
  auto shown = [legacy](const ColumnInfo& column) {
    return legacy || column.hobtColumnId != ColumnInfo::kNoStoredValue;
  };
  // Leading columns: whether a row was deleted (when deleted rows are
  // shown) and whether its page failed verification (when asked).
  const bool markDeleted = settings.showDeleted;
  const bool markDamaged = parsed.Has("mark-damaged");
  std::string header;
  if (markDeleted) header += "deleted\t";
  if (markDamaged) header += "damaged\t";
  bool first = true;
  for (const ColumnInfo& column : schema.columns) {
    if (!shown(column)) continue;
    if (!first) header += '\t';
    header += EscapeCell(column.name);
    first = false;
  }
  std::printf("%s\n", header.c_str());

  TheApp().tableLoadActive = false;  // large values in full
  RowDecodingContext context = BuildRowDecodingContext(schema.columns);
  const CDataFile& file = *opened->file;
  long long printed = 0;
  ListTablePages(catalog, [&](PageSource, const std::vector<PageAddress>& pages) {
    bool any = false;
    for (const PageAddress& address : pages) {
      if (TheApp().stopRequested || (limit >= 0 && printed >= limit)) break;
      const PageRows page = ReadPageRows(file, address, schema, context);
      const std::string damage = page.verification.Failed() ? PageVerdictName(page.verification.verdict) : "";
      for (size_t r = 0; r < page.rows.size(); ++r) {
        const RenderedRow& row = page.rows[r];
        if (limit >= 0 && printed >= limit) break;
        any = true;
        std::string line;
        if (markDeleted) line += std::string(RowOriginName(page.origins[r])) + '\t';
        if (markDamaged) line += damage + '\t';
        bool firstCell = true;
        // The header was made from the schema's list; the context's copy
        // lines up with it column for column.
        for (size_t i = 0; i < row.size() && i < schema.columns.size(); ++i) {
          if (!shown(schema.columns[i])) continue;
          if (!firstCell) line += '\t';
          line += EscapeCell(row[i].valueText);
          firstCell = false;
        }
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        ++printed;
      }
    }
    return any;
  });
  std::fflush(stdout);
  if (TheApp().stopRequested) return 1;
  return 0;
}

CommandRegistration registration(
    {45, "rows", "rows FILE TABLE [--limit N] [--advanced] [--show-deleted] [--advanced-deleted] [--mark-damaged] "
                 "[--sql2000] [--collation ID]",
     "Opens the data file, rebuilds its catalog and prints the rows of the\n"
     "table TABLE (a user table, else a system table of that name) as\n"
     "tab-separated text: a header line with the column names, then one line\n"
     "per row in the order the table listing reads its pages (allocation\n"
     "maps, page chain or page inventory). Large values are read in full.\n"
     "Tabs, line breaks and backslashes inside values are written as \\t,\n"
     "\\n, \\r and \\\\. Exit 1 when the file does not open or has no such\n"
     "table.\n"
     "  --limit N        stop after N rows\n"
     "  --advanced       read the table's pages from the page inventory\n"
     "  --show-deleted   include deleted (ghost) rows; a first column \"deleted\"\n"
     "                   says ghost, carved (found in free page space) or\n"
     "                   nothing for a live row\n"
     "  --advanced-deleted  also search free page space for deleted rows of\n"
     "                   the table's own shape\n"
     "  --mark-damaged   a column \"damaged\" names the failed check (checksum\n"
     "                   mismatch, torn) of the page a row came from\n"
     "  --collation ID   use this collation id instead of the boot page's\n"
     "  --sql2000        accepted as by scan (the layout is decided by the data)",
     RunRows});

}  // namespace

}  // namespace brinehold::cli
