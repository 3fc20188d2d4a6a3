// brinehold inventory FILE [--advanced]
#include <array>
#include <cstdio>
#include <map>

#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "session/app_state.h"
#include "storage/data_file.h"

namespace brinehold::cli {

namespace {

int RunInventory(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {"advanced"}, {});
  if (!parsed.error.empty() || parsed.positional.size() != 1) {
    std::fprintf(stderr, "brinehold inventory: %s\nusage: brinehold inventory FILE [--advanced]\n",
                 parsed.error.empty() ? "expected one FILE" : parsed.error.c_str());
    return 2;
  }
  // Page counts only: no text of the file is shown.
  auto opened = OpenFileForCommand(parsed.positional[0], parsed.Has("advanced"), "inventory", false);
  if (!opened) return InterruptRequested() ? 130 : 1;
  const CDataFile* file = opened->file.get();

  std::map<int32_t, std::array<size_t, 3>> counts;
  for (const auto& [owner, pages] : file->systemPages) counts[owner][0] = pages.size();
  for (const auto& [owner, pages] : file->dataPages) counts[owner][1] = pages.size();
  for (const auto& [owner, pages] : file->iamPages) counts[owner][2] = pages.size();
  std::printf("owner\tsystem\tdata\tiam\n");
  for (const auto& [owner, c] : counts) std::printf("%d\t%zu\t%zu\t%zu\n", owner, c[0], c[1], c[2]);
  std::printf("pages=%llu baseOffset=%llu\n", static_cast<unsigned long long>(file->pageCount),
              static_cast<unsigned long long>(file->baseOffset));
  if (InterruptRequested()) {
    // The pass ended early: the table holds only the pages met before.
    std::fflush(stdout);
    std::fprintf(stderr, "brinehold inventory: interrupted, the inventory is incomplete\n");
    return 130;
  }
  return 0;
}

CommandRegistration registration({10, "inventory", "inventory FILE [--advanced]",
                                  "Opens the data file, probes where its pages lie and lists, per owner\n"
                                  "object id, how many pages of base system tables, data pages and IAM\n"
                                  "pages carry that owner. Ends with the page count and the byte offset\n"
                                  "at which pages start. Status texts and progress go to stderr.\n"
                                  "Exit 1 when the file does not open; Ctrl-C ends the pass early and\n"
                                  "prints what was found so far, with exit status 130.",
                                  RunInventory});

}  // namespace

}  // namespace brinehold::cli
