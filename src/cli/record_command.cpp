// brinehold record --columns "int, varchar(10)" HEX [--page-info HEX]
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/declared_type.h"
#include "cli/options.h"
#include "session/app_state.h"
#include "session/collation_table.h"
#include "storage/compressed_row.h"
#include "storage/compressed_row_rebuild.h"
#include "storage/primary_record.h"
#include "values/record_format.h"
#include "values/row_decoding_context.h"
#include "values/row_renderer.h"

namespace brinehold::cli {

namespace {

constexpr size_t kPageSize = 8192;
constexpr size_t kCompressionInfoStart = 96;

int Usage(const std::string& problem) {
  std::fprintf(stderr,
               "brinehold record: %s\nusage: brinehold record --columns \"int, varchar(10), ...\" HEX "
               "[--page-info HEX]\n",
               problem.c_str());
  return 2;
}

int Unreadable(const std::string& problem) {
  std::fprintf(stderr, "brinehold record: %s\n", problem.c_str());
  return 1;
}

// The table the record belongs to, as the catalog would describe it: each
// column in order, fixed-size ones at their place in the fixed data (bit
// columns sharing bytes, eight to a byte), variable-length ones numbered in
// order, every column nullable with its null bit.
struct ColumnList {
  std::vector<ColumnInfo> columns;
  int32_t fixedBytes = 0;
  std::string error;
};

ColumnList BuildColumns(const std::string& text) {
  ColumnList list;
  int32_t variableIndex = 0;
  int32_t bitsInByte = 8;
  int32_t bitByteOffset = 0;
  bool collationsLoaded = false;
  for (const std::string& item : SplitTypeList(text)) {
    auto declared = ParseDeclaredType(item);
    auto kind = declared ? KindOfDeclaredType(declared->name) : std::nullopt;
    if (!kind) {
      list.error = "column " + std::to_string(list.columns.size() + 1) + ": '" + item + "' is not a type";
      return list;
    }
    const int32_t maxBytes = MaxBytesOfType(*declared, *kind);
    std::string name = "c";  // appended, not "c" + ...: GCC 12 warns falsely on that form
    name += std::to_string(list.columns.size() + 1);
    ColumnInfo column = BuildColumnInfo(name, declared->name + "(" + std::to_string(maxBytes) + ")", *kind);
    column.kind = static_cast<int32_t>(*kind);  // the CLR kinds keep their own, as the schema reader does
    const int32_t ordinal = static_cast<int32_t>(list.columns.size()) + 1;
    column.columnId = column.hobtColumnId = column.nullBit = ordinal;
    column.stored = 1;
    column.nullable = 1;
    const int first = declared->arguments.empty() ? -1 : declared->arguments[0];
    if (*kind == ValueKind::Decimal || *kind == ValueKind::Numeric) {
      column.precision = static_cast<uint8_t>(first < 0 ? 18 : first);
      column.scale = static_cast<uint8_t>(declared->arguments.size() > 1 ? declared->arguments[1] : 0);
    } else if (*kind == ValueKind::Time || *kind == ValueKind::DateTime2 || *kind == ValueKind::DateTimeOffset) {
      column.scale = static_cast<uint8_t>(first < 0 ? 7 : first);
    }
    if (!declared->collation.empty()) {
      if (!collationsLoaded) LoadCollationTableBesideProgram();
      collationsLoaded = true;
      auto id = CollationIdOfName(declared->collation);
      if (!id) {
        list.error = "unknown collation '" + declared->collation + "'";
        return list;
      }
      column.collationId = static_cast<int32_t>(*id);
    }
    if (column.variableLength != 0) {
      column.leafOffset = static_cast<int16_t>(~variableIndex++);
    } else if (*kind == ValueKind::Bit) {
      if (bitsInByte == 8) {
        bitByteOffset = 4 + list.fixedBytes++;
        bitsInByte = 0;
      }
      ++bitsInByte;
      column.leafOffset = static_cast<int16_t>(bitByteOffset);
    } else {
      column.leafOffset = static_cast<int16_t>(4 + list.fixedBytes);
      list.fixedBytes += std::max(maxBytes, 0);
    }
    list.columns.push_back(std::move(column));
  }
  return list;
}

std::string At(size_t offset, const std::string& what) { return "offset " + std::to_string(offset) + ": " + what; }

// Where a plain row stops making sense, or nothing.
std::optional<std::string> PlainRowProblem(const ByteReader& row, int32_t fixedBytes) {
  if (row.size() < 4) return At(0, "a row needs at least 4 bytes, there are " + std::to_string(row.size()));
  const uint8_t status = row.GetOr<uint8_t>(0, 0);
  const size_t fixedEnd = row.GetOr<uint16_t>(2, 0);
  if (fixedEnd < 4 || fixedEnd + 2 > row.size())
    return At(2, "the fixed data would end at offset " + std::to_string(fixedEnd) + ", the row has " +
                     std::to_string(row.size()) + " bytes");
  if (static_cast<int32_t>(fixedEnd) - 4 < fixedBytes)
    return At(4, "the columns take " + std::to_string(fixedBytes) + " bytes of fixed data, the row holds " +
                     std::to_string(fixedEnd - 4));
  size_t position = fixedEnd + 2;
  if ((status & kStatusNullBitmap) != 0) {
    const size_t count = row.GetOr<uint16_t>(fixedEnd, 0);
    position += (count + 7) / 8;
    if (position > row.size()) return At(fixedEnd, "the null bitmap of " + std::to_string(count) + " columns runs past the end");
  }
  if ((status & kStatusVariableColumns) == 0) return std::nullopt;
  auto count = row.U16(position);
  if (!count) return At(position, "the count of variable-length columns is missing");
  const size_t offsets = position + 2;
  size_t previous = offsets + 2 * static_cast<size_t>(*count);
  if (previous > row.size()) return At(position, std::to_string(*count) + " variable-length column ends run past the end");
  for (size_t i = 0; i < *count; ++i) {
    const size_t end = row.GetOr<uint16_t>(offsets + 2 * i, 0) & 0x7FFF;
    if (end < previous || end > row.size())
      return At(offsets + 2 * i, "variable-length column " + std::to_string(i + 1) + " would end at offset " +
                                     std::to_string(end) + " (the row has " + std::to_string(row.size()) + " bytes)");
    previous = end;
  }
  return std::nullopt;
}

// Where a compressed row stops making sense, or nothing.
std::optional<std::string> CompressedRowProblem(const ByteReader& row) {
  const CompressedRow parsed = ParseCompressedRow(row, static_cast<int32_t>(row.size()));
  if (parsed.invalid) return At(1, "no plausible column count (1 to 1024)");
  const int32_t count = parsed.columnCount;
  const size_t descriptors = (row.GetOr<uint8_t>(1, 0) & 0x80) != 0 ? 3 : 2;
  if (parsed.parts.descriptorCodes.size() < static_cast<size_t>(count))
    return At(descriptors, "the descriptors of " + std::to_string(count) + " columns run past the end");
  const size_t shortStart = descriptors + static_cast<size_t>((count + 1) / 2 + ClusterBytes(count));
  size_t shortLength = 0;
  for (uint8_t code : parsed.parts.descriptorCodes) shortLength += static_cast<size_t>(ShortDataBytes(code));
  if (shortStart + shortLength > row.size())
    return At(shortStart, "the short data of " + std::to_string(shortLength) + " bytes runs past the end");
  size_t longCodes = 0;
  for (uint8_t code : parsed.parts.descriptorCodes) longCodes += code == kDescriptorLong ? 1 : 0;
  const size_t longStart = shortStart + shortLength;
  if (longCodes > 0 && (row.GetOr<uint8_t>(0, 0) & kCompressedLongData) == 0)
    return At(0, std::to_string(longCodes) + " long values but no long-data flag (0x20)");
  if (longCodes > 0 && parsed.longValues.size() < longCodes)
    return At(longStart, "the long-data region holds " + std::to_string(parsed.longValues.size()) + " of " +
                             std::to_string(longCodes) + " long values");
  for (size_t i = 0; i < parsed.longValues.size() && i < longCodes; ++i) {
    if (!parsed.longValues[i].HasBytes())
      return At(longStart, "long value " + std::to_string(i + 1) + " runs past the end or has no bytes");
  }
  return std::nullopt;
}

// The compression information block as it lies from page offset 96, in a
// page of its own.
std::unique_ptr<PageCompressionInfo> ReadInfo(const Bytes& block, size_t columnCount) {
  Bytes page(kPageSize, 0);
  std::copy(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(std::min(block.size(), kPageSize - kCompressionInfoStart)),
            page.begin() + kCompressionInfoStart);
  return ReadPageCompressionInfo(ByteReader(page), false, columnCount);
}

int RunRecord(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {}, {"columns", "page-info"});
  if (!parsed.error.empty()) return Usage(parsed.error);
  if (parsed.positional.empty()) return Usage("expected the record's bytes as HEX");
  auto columnText = parsed.Value("columns");
  if (!columnText) return Usage("--columns gives the record's column types");
  ColumnList list = BuildColumns(*columnText);
  if (!list.error.empty()) return Usage(list.error);
  std::string hex;  // the bytes may come in several arguments, as a dump shows them
  for (const std::string& part : parsed.positional) hex += part;
  auto bytes = ParseHexText(hex);
  if (!bytes || bytes->empty()) return Usage("HEX must be pairs of hexadecimal digits, with or without 0x");
  if (bytes->size() > kPageSize) return Usage("a record is at most 8192 bytes");
  std::optional<Bytes> pageInfo;
  if (auto text = parsed.Value("page-info")) {
    pageInfo = ParseHexText(*text);
    if (!pageInfo || pageInfo->empty()) return Usage("--page-info takes the compression information as HEX");
  }

  TheApp().settings.showDeleted = true;  // a carved ghost decodes as well
  const ByteReader row(*bytes);
  const bool compressed = (row.GetOr<uint8_t>(0, 0) & kStatusCompressed) != 0;
  auto problem = compressed ? CompressedRowProblem(row) : PlainRowProblem(row, list.fixedBytes);
  if (problem) return Unreadable(*problem);
  CPrimaryRecord record(row, nullptr, static_cast<int32_t>(row.size()));
  if (record.invalid) return Unreadable(At(0, "the status byte does not describe a data row"));

  RowDecodingContext context = BuildRowDecodingContext(list.columns);
  if (compressed) {
    std::unique_ptr<PageCompressionInfo> info;
    if (pageInfo) {
      info = ReadInfo(*pageInfo, context.compressedLayout.size());
      const bool anchor = info && info->anchorRecord && !info->anchorRecord->invalid;
      if (!info || (!anchor && info->dictionary.empty()))
        return Unreadable("the page information holds no readable anchor record or dictionary");
    }
    ApplyRebuiltRow(record, RebuildCompressedRow(record, info.get(), context.compressedLayout));
  }
  auto rendered = RenderRecord(record, nullptr, context, RenderVariant::RowsetTable);
  if (!rendered) return Unreadable(At(0, "the record gives no row"));
  std::vector<RecordCell> cells;
  for (const ColumnInfo& column : *rendered) cells.push_back({column.valueText, false});
  std::vector<std::string> names;
  for (const ColumnInfo& column : list.columns) names.push_back(column.name);
  std::string out;
  RecordWriter(RecordFormat::Tsv, names).AppendRow(cells, out);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

CommandRegistration registration(
    {86, "record", "record --columns \"TYPE, TYPE, ...\" HEX [--page-info HEX]",
     "Decodes one record carved by hand, plain or compressed (told by its status\n"
     "byte), against the given column types written as in SQL (int, varchar(10),\n"
     "decimal(12,2), nvarchar(max) ...), and prints its values tab-separated as\n"
     "`rows` does. --page-info takes the page's compression information as it\n"
     "lies from page offset 96 (flags, anchor record, dictionary) for a\n"
     "page-compressed row. A record that does not parse is named with the offset\n"
     "where it fails; exit 1.",
     RunRecord});

}  // namespace

}  // namespace brinehold::cli
