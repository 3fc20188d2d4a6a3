#include "writer/compression_builder.h"

#include <algorithm>

#include "writer/record_builder.h"

namespace brinehold::writer {

namespace {

std::vector<char32_t> CodePoints(const std::string& utf8) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < utf8.size();) {
    const uint8_t b = static_cast<uint8_t>(utf8[i]);
    size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < n && i + k < utf8.size(); ++k) c = (c << 6) | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
    out.push_back(c);
    i += n;
  }
  return out;
}

}  // namespace

CompressedValue CompressedValue::Short(Bytes bytes) {
  const uint8_t code = static_cast<uint8_t>(std::clamp<size_t>(bytes.size(), 1, 8) + 1);
  return {code, std::move(bytes), {}, false};
}

CompressedValue StoredValue(Bytes bytes) {
  if (bytes.empty()) return CompressedValue::Empty();
  if (bytes.size() <= 8) return CompressedValue::Short(std::move(bytes));
  return CompressedValue::Long(std::move(bytes));
}

CompressedRowBuilder& CompressedRowBuilder::Add(CompressedValue value) {
  values_.push_back(std::move(value));
  return *this;
}

CompressedRowBuilder& CompressedRowBuilder::SetStatus(uint8_t status) {
  status_ = status;
  return *this;
}

uint8_t CompressedRowStatus(uint8_t recordType, bool longData, bool versioning) {
  // The compressed format numbers the types on its own: primary 0, ghost
  // empty 1, forwarding stub 2, ghost data 3, forwarded 4, ghost forwarded 5,
  // index 6, ghost index 7.
  constexpr uint8_t kCodeOfPlainType[8] = {0, 4, 2, 6, 1, 7, 3, 5};
  uint8_t status = static_cast<uint8_t>(0x01 | (kCodeOfPlainType[recordType & 0x07] << 2));
  if (longData) status |= 0x20;
  if (versioning) status |= 0x02;
  return status;
}

Bytes CompressedRowBuilder::Build() const {
  const size_t count = values_.size();
  std::vector<const CompressedValue*> longs;
  for (const CompressedValue& value : values_)
    if (value.code == 10) longs.push_back(&value);
  const uint8_t status = status_.value_or(CompressedRowStatus(0, !longs.empty()));

  Bytes row{status};
  if (count < 0x80) {
    row.push_back(static_cast<uint8_t>(count));
  } else {
    row.push_back(static_cast<uint8_t>(0x80 | ((count >> 8) & 0x7F)));
    row.push_back(static_cast<uint8_t>(count & 0xFF));
  }
  for (size_t i = 0; i < count; i += 2) {
    uint8_t b = values_[i].code & 0x0F;
    if (i + 1 < count) b = static_cast<uint8_t>(b | (values_[i + 1].code << 4));
    row.push_back(b);
  }
  const size_t clusters = count > 0 ? (count - 1) / 30 : 0;
  row.insert(row.end(), clusters, 0);
  for (const CompressedValue& value : values_) row.insert(row.end(), value.shortBytes.begin(), value.shortBytes.end());
  if (!longs.empty()) {
    row.push_back(0x01);
    AppendLE(row, longs.size(), 2);
    uint32_t end = 0;
    for (const CompressedValue* value : longs) {
      end += static_cast<uint32_t>(value->longBytes.size());
      AppendLE(row, (end & 0x7FFF) | (value->complex ? 0x8000 : 0), 2);
    }
    row.insert(row.end(), clusters, 0);
    for (const CompressedValue* value : longs) row.insert(row.end(), value->longBytes.begin(), value->longBytes.end());
  }
  return row;
}

Bytes CompressedInteger(int64_t value) {
  Bytes big;
  for (int i = 7; i >= 0; --i) big.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i)));
  // Leave out leading sign bytes while the next byte still carries the sign.
  size_t start = 0;
  while (start < 7) {
    const uint8_t lead = big[start];
    const uint8_t next = big[start + 1];
    const bool redundant = (lead == 0x00 && (next & 0x80) == 0) || (lead == 0xFF && (next & 0x80) != 0);
    if (!redundant) break;
    ++start;
  }
  Bytes out(big.begin() + static_cast<std::ptrdiff_t>(start), big.end());
  out[0] ^= 0x80;
  return out;
}

Bytes CompressedDecimal(const std::string& text) {
  const bool negative = !text.empty() && text[0] == '-';
  const size_t point = text.find('.');
  std::string digits;
  int32_t fractionDigits = 0;
  for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
    if (text[i] == '.') continue;
    digits += text[i];
    if (point != std::string::npos && i > point) ++fractionDigits;
  }
  const size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return {};  // zero takes no bytes
  std::string significant = digits.substr(first);
  const int32_t exponent = static_cast<int32_t>(significant.size()) - 1 - fractionDigits;
  while (significant.back() == '0') significant.pop_back();
  while (significant.size() % 3 != 0) significant += '0';

  Bytes out{static_cast<uint8_t>((negative ? 0x00 : 0x80) | ((exponent + 64) & 0x7F))};
  std::vector<bool> bits;
  for (size_t i = 0; i < significant.size(); i += 3) {
    const int group = std::stoi(significant.substr(i, 3));
    for (int b = 9; b >= 0; --b) bits.push_back(((group >> b) & 1) != 0);
  }
  while (!bits.empty() && !bits.back()) bits.pop_back();  // zeros past the last byte read back as zeros
  for (size_t i = 0; i < bits.size(); i += 8) {
    uint8_t byte = 0;
    for (size_t b = 0; b < 8; ++b) byte = static_cast<uint8_t>(byte << 1 | (i + b < bits.size() && bits[i + b] ? 1 : 0));
    out.push_back(byte);
  }
  return out;
}

Bytes PrefixValue(uint8_t prefixLength, const Bytes& suffix) {
  return ByteThen(prefixLength, suffix);
}

Bytes ScsuEncode(const std::string& utf8) {
  Bytes out;
  // Dynamic windows as the decoder starts with them.
  char32_t windows[8] = {0x0080, 0x00C0, 0x0400, 0x0600, 0x0900, 0x3040, 0x30A0, 0xFF00};
  int active = 0;
  int nextDefine = 1;
  auto quote = [&out](char32_t unit) {
    out.push_back(0x0E);  // SQU
    out.push_back(static_cast<uint8_t>(unit >> 8));
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
  };
  for (char32_t c : CodePoints(utf8)) {
    if (c < 0x80) {
      if (c >= 0x20 || c == 0 || c == 0x09 || c == 0x0A || c == 0x0D) {
        out.push_back(static_cast<uint8_t>(c));
      } else {
        out.push_back(0x01);  // SQ0: static window 0
        out.push_back(static_cast<uint8_t>(c));
      }
      continue;
    }
    if (c >= windows[active] && c < windows[active] + 0x80) {
      out.push_back(static_cast<uint8_t>(0x80 + (c - windows[active])));
      continue;
    }
    int found = -1;
    for (int w = 0; w < 8; ++w)
      if (c >= windows[w] && c < windows[w] + 0x80) found = w;
    if (found >= 0) {
      out.push_back(static_cast<uint8_t>(0x10 + found));  // SCn
      active = found;
      out.push_back(static_cast<uint8_t>(0x80 + (c - windows[active])));
      continue;
    }
    if (c < 0x3400) {
      const int w = nextDefine;
      nextDefine = nextDefine % 7 + 1;
      windows[w] = (c / 0x80) * 0x80;
      out.push_back(static_cast<uint8_t>(0x18 + w));  // SDn
      out.push_back(static_cast<uint8_t>(c / 0x80));
      active = w;
      out.push_back(static_cast<uint8_t>(0x80 + (c - windows[w])));
      continue;
    }
    if (c >= 0x10000) {
      quote(0xD800 + ((c - 0x10000) >> 10));
      quote(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      quote(c);
    }
  }
  return out;
}

uint16_t PlaceCompressionInfo(PageBuilder& page, const CompressionInfoLayout& blueprint) {
  page.SetTypeFlagBits(0x80);
  const bool dictionary = (blueprint.flags & 0x04) != 0;
  Bytes block{blueprint.flags, 0, 0};
  if (dictionary) {
    Bytes dict;
    const size_t n = blueprint.dictionary.size();
    AppendLE(dict, blueprint.dictionaryCount.value_or(static_cast<uint16_t>(n)), 2);
    size_t end = 0;  // from the start of the entries
    for (const Bytes& entry : blueprint.dictionary) {
      end += entry.size();
      AppendLE(dict, end, 2);
    }
    for (const Bytes& entry : blueprint.dictionary) dict.insert(dict.end(), entry.begin(), entry.end());
    const size_t offset = 7 + blueprint.anchorRecord.size();
    AppendLE(block, blueprint.dictionaryOffset.value_or(static_cast<uint16_t>(offset)), 2);
    AppendLE(block, blueprint.size.value_or(static_cast<uint16_t>(offset + dict.size())), 2);
    block.insert(block.end(), blueprint.anchorRecord.begin(), blueprint.anchorRecord.end());
    block.insert(block.end(), dict.begin(), dict.end());
  } else {
    AppendLE(block, blueprint.dictionaryOffset.value_or(0), 2);
    // The anchor record starts at 101, over the size field.
    block.insert(block.end(), blueprint.anchorRecord.begin(), blueprint.anchorRecord.end());
    if (blueprint.anchorRecord.empty()) AppendLE(block, blueprint.size.value_or(0), 2);
    else if (blueprint.size) PutUInt(block, 5, *blueprint.size, 2);
  }
  page.PlaceBytes(96, block);
  return static_cast<uint16_t>(96 + std::max<size_t>(block.size(), 7));
}

Bytes CompressedDataPage(PageAddress self, int32_t owner, const std::optional<CompressionInfoLayout>& info,
                         const std::vector<Bytes>& rows, PageAddress previous, PageAddress next,
                         const std::vector<std::optional<DeleteStyle>>& deleted, int16_t indexId) {
  PageBuilder page(self, 1, owner);
  page.SetPrevious(previous).SetNext(next).SetIndexId(indexId);
  uint16_t offset = 96;
  if (info) offset = PlaceCompressionInfo(page, *info);
  AddRowsWithDeletions(page, offset, rows, deleted);
  return page.Build();
}

PageAddress AddCompressedTable(CatalogFileBuilder& builder, const CompressedTableBlueprint& blueprint) {
  builder.AddTable(blueprint.table, blueprint.columns);
  builder.Add(5, SysrowsetsRow(blueprint.rowsetId, blueprint.table.id, 0, 0));
  std::vector<int32_t> order = blueprint.physicalOrder;
  if (order.empty()) {
    for (const ColumnBlueprint& column : blueprint.columns)
      if (std::find(blueprint.computedColumns.begin(), blueprint.computedColumns.end(), column.columnId) ==
          blueprint.computedColumns.end())
        order.push_back(column.columnId);
  }
  for (size_t i = 0; i < order.size(); ++i) {
    const int32_t ordinal = static_cast<int32_t>(i) + 1;
    builder.Add(3, SysrscolsRow(blueprint.rowsetId, order[i], ordinal, order[i], 0, -ordinal, ordinal));
  }
  // The pages name the allocation unit as the server does: bits 16..47 of
  // its id as owner, bits 48..63 as index id.
  const auto unitId = static_cast<uint64_t>(blueprint.allocationUnitId);
  const int32_t owner = static_cast<int32_t>(static_cast<uint32_t>((unitId >> 16) & 0xFFFFFFFFu));
  const auto indexId = static_cast<int16_t>(unitId >> 48);
  // Raw pages take consecutive numbers.
  const int32_t first = static_cast<int32_t>(builder.NextPageNumber());
  const int32_t count = static_cast<int32_t>(blueprint.pages.size());
  for (int32_t i = 0; i < count; ++i) {
    const PageAddress self{1, first + i};
    const PageAddress previous = i > 0 ? PageAddress{1, first + i - 1} : PageAddress{0, 0};
    const PageAddress next = i + 1 < count ? PageAddress{1, first + i + 1} : PageAddress{0, 0};
    const CompressedTableBlueprint::Page& page = blueprint.pages[static_cast<size_t>(i)];
    builder.AddRawPage(owner, CompressedDataPage(self, owner, page.info, page.rows, previous, next, page.deleted, indexId));
  }
  const PageAddress firstPage = count > 0 ? PageAddress{1, first} : PageAddress{0, 0};
  builder.Add(7, SysallocunitsRow(blueprint.allocationUnitId, 1, blueprint.rowsetId, firstPage, firstPage, PageAddress{0, 0}));
  return firstPage;
}

}  // namespace brinehold::writer
