// brinehold rows FILE|--snapshot SNAP [--mdf FILE] TABLE [--limit N] [--advanced] [--show-deleted]
//                [--advanced-deleted] [--mark-damaged] [--sql2000] [--collation ID]
//                [--format tsv|csv|jsonl]
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
#include "values/record_format.h"
#include "values/table_rows.h"

namespace brinehold::cli {

namespace {

constexpr const char* kUsage =
    "usage: brinehold rows FILE|--snapshot SNAP [--mdf FILE] TABLE\n"
    "                                 [--limit N] [--advanced] [--show-deleted] [--advanced-deleted]\n"
    "                                 [--mark-damaged] [--sql2000] [--collation ID] [--format tsv|csv|jsonl]\n";

constexpr size_t kFlushBytes = 1 << 20;

// Leading columns: whether a row was deleted (when deleted rows are shown)
// and whether its page failed verification (when asked).
std::vector<std::string> ColumnNames(const TableSchema& schema, const std::vector<size_t>& shown, bool markDeleted,
                                     bool markDamaged) {
  std::vector<std::string> names;
  if (markDeleted) names.push_back("deleted");
  if (markDamaged) names.push_back("damaged");
  for (size_t index : shown) names.push_back(schema.columns[index].name);
  return names;
}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "brinehold rows: %s\n%s", problem.c_str(), kUsage);
  return 2;
}



int RunRows(const std::vector<std::string>& args) {
  ParsedArgs parsed =
      ParseArgs(args, {"advanced", "show-deleted", "advanced-deleted", "mark-damaged", "sql2000"},
                {"limit", "collation", "snapshot", "mdf", "format"});
  if (!parsed.error.empty()) return Usage(parsed.error);
  DataSource source;
  if (std::string problem = TakeDataSource(parsed, 1, source); !problem.empty()) return Usage(problem);
  if (parsed.positional.size() != 1 || (source.file.empty() && source.snapshot.empty()))
    return Usage("expected FILE and TABLE");
  long long limit = -1;
  if (auto text = parsed.Value("limit")) {
    auto value = ParseNumber(*text);
    if (!value || *value < 0) return Usage("--limit needs a number of rows (0 or more)");
    limit = *value;
  }
  ScanSettings& settings = TheApp().settings;
  if (std::string problem = ApplyTableReadOptions(parsed, settings); !problem.empty()) return Usage(problem);

  auto format = ParseRecordFormat(parsed.Value("format").value_or("tsv"));
  if (!format) return Usage("--format takes tsv, csv or jsonl");

  const std::string& table = parsed.positional[0];
  auto opened = OpenCatalogForCommand(source, {parsed.Has("advanced"), parsed.Has("show-deleted")}, "rows");
  if (!opened) return 1;
  CDatabaseCatalog& catalog = *opened->catalog;
  if (!LoadTableForCommand(catalog, table, "rows")) return 1;
  const TableSchema& schema = catalog.tableSchema;
  const std::vector<size_t> shown = ShownColumns(schema);
  // Rows without columns would print as empty lines (the catalog rows that
  // describe the columns are lost).
  if (shown.empty()) {
    std::fprintf(stderr, "brinehold rows: '%s' has no columns to list\n", table.c_str());
    return 1;
  }

  const bool markDeleted = settings.showDeleted;
  const bool markDamaged = parsed.Has("mark-damaged");
  RecordWriter writer(*format, ColumnNames(schema, shown, markDeleted, markDamaged));
  std::string out = writer.Header();
  long long printed = 0;
  std::vector<RecordCell> cells;
  const bool tsv = *format == RecordFormat::Tsv;
  ForEachTableRow(catalog, [&](const RenderedRow& row, const TableRowSource& from) {
    if (limit >= 0 && printed >= limit) return false;
    cells.clear();
    if (markDeleted) cells.push_back({RowOriginName(from.origin), false});
    if (markDamaged) cells.push_back({from.damage, false});
    for (size_t index : shown) {
      if (index >= row.size()) break;
      // tsv is the listing itself; the other forms write values.
      if (tsv) cells.push_back({row[index].valueText, false});
      else cells.push_back({CellValueText(row[index]), IsNullCell(row[index])});
    }
    writer.AppendRow(cells, out);
    if (out.size() >= kFlushBytes) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
    ++printed;
    return true;
  });
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  if (TheApp().stopRequested) return 1;
  return 0;
}

CommandRegistration registration(
    {45, "rows", "rows FILE|--snapshot SNAP [--mdf FILE] TABLE "
                 "[--limit N] [--advanced] [--show-deleted] [--advanced-deleted] [--mark-damaged] [--sql2000] "
                 "[--collation ID] [--format tsv|csv|jsonl]",
     "Opens the data file, rebuilds its catalog and prints the rows of the\n"
     "table TABLE (a user table, else a system table of that name) as\n"
     "tab-separated text: a header line with the column names, then one line\n"
     "per row in the order the table listing reads its pages (allocation\n"
     "maps, page chain or page inventory). Large values are read in full.\n"
     "Tabs, line breaks and backslashes inside values are written as \\t,\n"
     "\\n, \\r and \\\\. TABLE is written as in SQL: Orders, sales.Orders,\n"
     "[Order Details], \"x\"; a name that several schemas hold needs its schema.\n"
     "Exit 1 when the file does not open, has no such table or none of its\n"
     "columns can be read (a damaged catalog).\n"
     "  --format F       tsv (the default, as above), csv (RFC 4180, UTF-8,\n"
     "                   CRLF, NULL as an empty field) or jsonl (one JSON\n"
     "                   object per row, NULL as null)\n"
     "  --limit N        stop after N rows\n"
     "  --advanced       read the table's pages from the page inventory\n"
     "  --show-deleted   include deleted rows (ghost rows, and the rows of\n"
     "                   pages the table has freed); a first column\n"
     "                   \"deleted\" says ghost, carved (found in free page\n"
     "                   space), freed (on a page the table freed) or\n"
     "                   nothing for a live row\n"
     "  --advanced-deleted  also search free page space for deleted rows of\n"
     "                   the table's own shape\n"
     "  --mark-damaged   a column \"damaged\" names the failed check (checksum\n"
     "                   mismatch, torn) of the page a row came from\n"
     "  --collation ID   use this collation id instead of the boot page's\n"
     "  --sql2000        accepted as by scan (the layout is decided by the data)\n"
     "  --snapshot SNAP  in place of FILE: the data file SNAP names, with the\n"
     "                   page inventory and the collation and deleted-record\n"
     "                   choices saved in SNAP\n"
     "  --mdf FILE       with --snapshot: the data file has moved to FILE",
     RunRows});

}  // namespace

}  // namespace brinehold::cli
