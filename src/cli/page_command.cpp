// brinehold page FILE FILEID:PAGE [--records] [--deleted] [--advanced-deleted]
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/catalog_open.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "session/app_state.h"
#include "storage/data_file.h"
#include "storage/primary_record_page.h"
#include "storage/record_shape.h"

namespace brinehold::cli {

namespace {

// "1:9" -> {1, 9}; nothing for anything else.
std::optional<PageAddress> ParseAddress(const std::string& text) {
  size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return std::nullopt;
  char* end = nullptr;
  long file = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + colon || file < -32768 || file > 32767) return std::nullopt;
  long long page = std::strtoll(text.c_str() + colon + 1, &end, 10);
  if (*end != '\0' || page < INT32_MIN || page > INT32_MAX) return std::nullopt;
  return PageAddress{static_cast<int16_t>(file), static_cast<int32_t>(page)};
}

void PrintHeader(const CPage_Header& h) {
  std::printf("header_version\t%u\n", h.headerVersion);
  std::printf("page_type\t%u\n", h.pageType);
  std::printf("type_flag_bits\t0x%02x\n", h.typeFlagBits);
  std::printf("level\t%u\n", h.level);
  std::printf("flag_bits\t0x%04x\n", h.flagBits);
  std::printf("index_id\t%d\n", h.indexId);
  std::printf("previous_page\t%s\n", h.previousPage.ToString().c_str());
  std::printf("minimum_fixed_length\t%d\n", h.minimumFixedLength);
  std::printf("next_page\t%s\n", h.nextPage.ToString().c_str());
  std::printf("slot_count\t%d\n", h.slotCount);
  std::printf("owner_object_id\t%" PRId32 "\n", h.ownerObjectId);
  std::printf("free_byte_count\t%d\n", h.freeByteCount);
  std::printf("free_data_offset\t%d\n", h.freeDataOffset);
  std::printf("this_page\t%s\n", h.thisPage.ToString().c_str());
  std::printf("reserved_count\t%d\n", h.reservedCount);
  std::printf("lsn\t%" PRIu32 ":%" PRIu32 ":%u\n", h.lsnFile, h.lsnBlock, h.lsnSlot);
  std::printf("transaction_reserved_count\t%d\n", h.transactionReservedCount);
  std::printf("transaction_id\t%" PRIu32 ":%u\n", h.transactionIdHigh, h.transactionIdLow);
  std::printf("ghost_record_count\t%d\n", h.ghostRecordCount);
  std::printf("torn_bits\t0x%08" PRIx32 "\n", h.tornBits);
}

void PrintVerification(const PageVerification& verification) {
  std::printf("verification\t%s\n", PageVerdictName(verification.verdict));
  if (verification.protection == PageProtection::Checksum)
    std::printf("computed_checksum\t0x%08" PRIx32 "\n", verification.computed);
}

std::string VariableLengths(const CPrimaryRecord& record) {
  std::string out;
  for (const ColumnValue& value : record.values) {
    if (!out.empty()) out += ',';
    out += std::to_string(value.length);
    if (value.complex) out += 'c';
  }
  return out.empty() ? "-" : out;
}

void PrintRecords(const PrimaryRecordPage& page) {
  std::printf("slot\toffset\ttype\tstatus\tfixed_length\tcolumns\tvariable\tvariable_lengths\tlength\tflags\n");
  const auto& slots = page.Slots();
  for (size_t i = 0; i < page.RecordCount(); ++i) {
    unsigned offset = i < slots.size() ? slots[i] : 0;
    const CPrimaryRecord* record = page.Record(i);
    if (!record) {
      std::printf("%zu\t%u\t-\t-\t-\t-\t-\t-\t-\tempty\n", i, offset);
      continue;
    }
    std::string flags;
    auto add = [&flags](bool on, const char* name) {
      if (!on) return;
      if (!flags.empty()) flags += ',';
      flags += name;
    };
    add(record->invalid, "invalid");
    add(record->hidden, "hidden");
    add(record->compressed, "compressed");
    add(record->hasSparseVector, "sparse");
    add(i >= page.OwnSlotCount(), "found");
    if (record->forwardedFrom) {
      if (!flags.empty()) flags += ',';
      flags += "forwarded_from=" + record->forwardedFrom->page.ToString() + "/" +
               std::to_string(record->forwardedFrom->slot);
    }
    std::printf("%zu\t%u\t%s\t0x%02x\t%d\t%d\t%d\t%s\t%d\t%s\n", i, offset,
                RecordTypeName(record->recordType), record->statusA, record->fixedLength,
                record->columnCount, record->variableColumnCount, VariableLengths(*record).c_str(),
                record->recordLength, flags.empty() ? "-" : flags.c_str());
  }
}

int RunPage(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {"records", "deleted", "advanced-deleted"}, {});
  std::optional<PageAddress> address;
  if (parsed.error.empty() && parsed.positional.size() == 2) address = ParseAddress(parsed.positional[1]);
  if (!address) {
    std::fprintf(stderr,
                 "brinehold page: %s\nusage: brinehold page FILE FILEID:PAGE [--records] [--deleted] "
                 "[--advanced-deleted]\n",
                 !parsed.error.empty() ? parsed.error.c_str()
                 : parsed.positional.size() != 2 ? "expected FILE and FILEID:PAGE"
                                                 : "the page address must look like 1:9");
    return 2;
  }
  auto opened = OpenFileForCommand(parsed.positional[0], false, "page");
  if (!opened) return 1;
  const CDataFile* file = opened->file.get();
  auto buffer = file->ReadPage(*address);
  if (!buffer) {
    std::fprintf(stderr, "brinehold page: page %s is not in the file\n", address->ToString().c_str());
    return 1;
  }
  ScanSettings& settings = TheApp().settings;
  settings.showDeleted = parsed.Has("deleted") || parsed.Has("advanced-deleted");
  settings.showAdvancedDeleted = parsed.Has("advanced-deleted");
  // Without a table, deleted rows are looked for in the shape the page's
  // header gives: its minimum record length as the end of the fixed data.
  RecordShapeScope shape(RecordShape{});
  PrimaryRecordPage page(std::move(*buffer), file);
  if (!page.HeaderValid()) {
    std::fprintf(stderr, "brinehold page: page %s has no header\n", address->ToString().c_str());
    return 1;
  }
  PrintHeader(page.Header());
  PrintVerification(page.Verification());
  if (parsed.Has("records")) PrintRecords(page);
  return 0;
}

CommandRegistration registration({30, "page", "page FILE FILEID:PAGE [--records] [--deleted] [--advanced-deleted]",
                                  "Prints the header fields of one page as key<TAB>value lines. With\n"
                                  "--records, one line per slot: offset, record type, status byte, fixed\n"
                                  "data length, column count, variable column count, the length of each\n"
                                  "variable column (c = complex), the record length and flags (invalid,\n"
                                  "hidden, compressed, sparse, found by the deleted-row search, the target\n"
                                  "of a forwarding stub). --deleted shows ghost rows; --advanced-deleted\n"
                                  "also searches the page's free bytes for deleted rows whose fixed data\n"
                                  "ends where the header's minimum record length says. The header lines\n"
                                  "end with whether the page's checksum or torn bits verify. Exit 1 when\n"
                                  "the file does not open or the page is not in it.",
                                  RunPage});

}  // namespace

}  // namespace brinehold::cli
