// brinehold pages FILE [--bad]
#include <cstdio>
#include <string>

#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "session/app_state.h"
#include "storage/page_stream.h"
#include "storage/page_verification.h"

namespace brinehold::cli {

namespace {

const char* PageTypeName(uint8_t type) {
  switch (type) {
    case 0: return "empty";
    case 1: return "data";
    case 2: return "index";
    case 3: return "text mix";
    case 4: return "text tree";
    case 7: return "sort";
    case 8: return "GAM";
    case 9: return "SGAM";
    case 10: return "IAM";
    case 11: return "PFS";
    case 13: return "boot";
    case 15: return "file header";
    case 16: return "DCM";
    case 17: return "BCM";
    default: return "unknown";
  }
}

const char* ProtectionName(PageProtection protection) {
  switch (protection) {
    case PageProtection::Checksum: return "checksum";
    case PageProtection::TornBits: return "torn bits";
    case PageProtection::None: break;
  }
  return "none";
}

struct Totals {
  uint64_t pages = 0;
  uint64_t checked = 0;
  uint64_t failed = 0;
};

// One line per page of one file, at its physical place.
void ListFilePages(const ReadOnlyFile& file, int16_t fileId, uint64_t baseOffset, uint64_t pageCount,
                   bool onlyBad, Totals& totals) {
  PageStream stream(file, baseOffset, 0, pageCount);
  for (ByteReader page = stream.Next(); !page.empty(); page = stream.Next()) {
    if (TheApp().stopRequested) return;
    const PageVerification verification = VerifyPage(page);
    ++totals.pages;
    if (verification.protection != PageProtection::None) ++totals.checked;
    if (verification.Failed()) ++totals.failed;
    if (onlyBad && !verification.Failed()) continue;
    const uint8_t type = page.GetOr<uint8_t>(1, 0);
    std::printf("%d:%llu\t%u %s\t%d\t%s\t%s\n", fileId, static_cast<unsigned long long>(stream.Index()), type,
                PageTypeName(type), page.GetOr<int32_t>(24, 0), ProtectionName(verification.protection),
                PageVerdictName(verification.verdict));
  }
}

int RunPages(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {"bad"}, {});
  if (!parsed.error.empty() || parsed.positional.size() != 1) {
    std::fprintf(stderr, "brinehold pages: %s\nusage: brinehold pages FILE [--bad]\n",
                 parsed.error.empty() ? "expected one FILE" : parsed.error.c_str());
    return 2;
  }
  // The catalog names the secondary files; their pages are listed too.
  auto opened = OpenCatalogForCommand(parsed.positional[0], {});
  if (!opened) return 1;
  CDataFile& file = *opened->file;
  const bool onlyBad = parsed.Has("bad");
  Totals totals;
  std::printf("page\ttype\towner\tprotection\tresult\n");
  ListFilePages(file.PrimaryFile(), 1, file.baseOffset, file.pageCount, onlyBad, totals);
  for (const auto& [fileId, info] : file.secondaryFiles) {
    ReadOnlyFile secondary;
    if (info.path.empty() || !secondary.Open(info.path)) continue;
    ListFilePages(secondary, fileId, info.baseOffset, info.pageCount, onlyBad, totals);
  }
  std::printf("pages=%llu protected=%llu failed=%llu\n", static_cast<unsigned long long>(totals.pages),
              static_cast<unsigned long long>(totals.checked), static_cast<unsigned long long>(totals.failed));
  std::fflush(stdout);
  return TheApp().stopRequested ? 130 : 0;
}

CommandRegistration registration(
    {12, "pages", "pages FILE [--bad]",
     "Opens the data file (and the secondary files its catalog names) and\n"
     "lists every page where it physically lies: FILEID:PAGE, the page type,\n"
     "the owner object id of its header, how the page is protected (checksum,\n"
     "torn bits or none) and whether its bytes agree with that protection\n"
     "(verified, checksum mismatch, torn, unprotected). Ends with the number\n"
     "of pages, of protected pages and of pages that failed. Rows of a page\n"
     "that failed are still read by the other commands.\n"
     "  --bad   list only the pages that failed",
     RunPages});

}  // namespace

}  // namespace brinehold::cli
