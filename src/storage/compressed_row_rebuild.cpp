#include "storage/compressed_row_rebuild.h"

#include <algorithm>
#include <optional>

#include "session/app_state.h"
#include "storage/scsu_decoder.h"
#include "storage/variable_decimal.h"

namespace brinehold {

namespace {

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }

Bytes Slice(ByteView bytes, int32_t length) {
  const size_t n = std::min(bytes.size(), static_cast<size_t>(std::max(length, 0)));
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

// The prefix step: the anchor's first k bytes and the rest of the stored
// value, when the anchor value is long enough; the stored value otherwise.
Bytes WithPrefix(const Bytes& stored, const PageCompressionInfo::Entry* anchor, bool maskTopBit) {
  if (stored.empty() || !anchor) return stored;
  const int32_t k = maskTopBit ? (stored[0] & 0x7F) : stored[0];
  if (anchor->length < k || anchor->bytes.size() < static_cast<size_t>(k)) return stored;
  Bytes value(anchor->bytes.begin(), anchor->bytes.begin() + k);
  value.insert(value.end(), stored.begin() + 1, stored.end());
  return value;
}

// A float or real keeps its high-order bytes; the low-order zero bytes it
// left out come back in front (the column is little-endian).
Bytes FloatColumnBytes(const Bytes& stored, size_t width) {
  if (stored.size() >= width) return Bytes(stored.end() - static_cast<std::ptrdiff_t>(width), stored.end());
  Bytes out(width - stored.size(), 0);
  out.insert(out.end(), stored.begin(), stored.end());
  return out;
}

// Fixed-width text comes back padded with blanks (UTF-16 blanks for
// nchar), everything else with zeros (binary(n) to its declared length).
// True when the padding is part of the value: for fixed-width text and
// bytes, as in a plain row (numbers come whole or not at all).
bool AppendPadding(Bytes& data, size_t count, const CompressedColumnLayout& blueprint) {
  const bool fixedWidth = !blueprint.variable && blueprint.width > 0;
  if (fixedWidth && blueprint.valueClass == CompressedValueClass::Char) {
    data.insert(data.end(), count, ' ');
  } else if (fixedWidth && blueprint.valueClass == CompressedValueClass::Unicode) {
    for (size_t i = 0; i < count; ++i) data.push_back(i % 2 == 0 ? ' ' : 0);
  } else {
    data.insert(data.end(), count, 0);
  }
  const CompressedValueClass kind = blueprint.valueClass;
  return fixedWidth && (kind == CompressedValueClass::Plain || kind == CompressedValueClass::Char ||
                        kind == CompressedValueClass::Unicode);
}

// A timestamp kept as an integer comes back as the 8 bytes a plain row
// holds, most significant first.
Bytes TimestampColumnBytes(const Bytes& stored) {
  const Bytes little = NumericColumnBytes(ByteReader(stored), 8);
  if (little.empty()) return {};
  return Bytes(little.rbegin(), little.rend());
}

}  // namespace

Bytes NumericColumnBytes(const ByteReader& stored, int32_t width) {
  if (stored.empty() || stored.size() > 8) return {};
  width = std::clamp(width, 1, 8);
  const uint8_t first = static_cast<uint8_t>(stored.GetOr<uint8_t>(0, 0) ^ 0x80);
  // After the top bit is turned back, a set top bit is a negative value
  // whose leading 0xFF bytes were left out.
  uint64_t value = (first & 0x80) != 0 ? ~uint64_t{0} : 0;
  value = (value << 8) | first;
  for (size_t i = 1; i < stored.size(); ++i) value = (value << 8) | stored.GetOr<uint8_t>(i, 0);
  Bytes out(static_cast<size_t>(width));
  for (int32_t i = 0; i < width; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
  return out;
}

RebuiltRow RebuildCompressedRow(const CPrimaryRecord& record, const PageCompressionInfo* info,
                                const CompressedRowLayout& columns) {
  RebuiltRow out;
  const CompressedRowParts& parts = record.compressedParts;
  const size_t count = std::min({static_cast<size_t>(std::max(record.columnCount, 0)),
                                 parts.descriptorCodes.size(), columns.size()});
  const ByteReader shortData(parts.shortData);
  size_t shortPosition = 0;
  size_t longIndex = 0;
  out.data.reserve(kRebuildBufferSize);
  out.columns.reserve(count);

  for (size_t i = 0; i < count; ++i) {
    if (StopRequested()) break;
    const uint8_t code = parts.descriptorCodes[i];
    const CompressedColumnLayout& blueprint = columns[i];
    const PageCompressionInfo::Entry* anchor =
        info && i < info->anchorValues.size() ? &info->anchorValues[i] : nullptr;
    CompressedColumn column;
    std::optional<Bytes> stored;
    bool storedIsWhole = false;  // the anchor value itself: no prefix step
    bool fromDictionary = false;
    std::optional<size_t> longSlot;

    if (code == kDescriptorNull) {
      column.isNull = true;
      out.columns.push_back(column);
      continue;
    } else if (blueprint.valueClass == CompressedValueClass::Bit &&
               (code == kDescriptorEmpty || code == kDescriptorBitOne)) {
      // A bit has no prefix and no anchor: the code is the value.
      stored = Bytes{static_cast<uint8_t>(code == kDescriptorBitOne ? 1 : 0)};
      storedIsWhole = true;
    } else if (code == kDescriptorEmpty) {
      if (anchor && anchor->length > 0) {
        stored = Slice(anchor->bytes, anchor->length);
        storedIsWhole = true;
      }
    } else if (code >= 2 && code <= 9) {
      const size_t n = static_cast<size_t>(code - 1);
      stored = shortData.Copy(shortPosition, n);
      shortPosition += n;
    } else if (code == kDescriptorLong) {
      const size_t slot = longIndex++;
      const ColumnValue* value = record.VariableColumn(slot);
      if (value && value->HasBytes()) {
        if (value->complex) {
          // A large-value pointer: the renderer follows it from the value list.
          column.length = value->length;
          out.columns.push_back(column);
          continue;
        }
        stored = Slice(value->bytes, value->length);
        longSlot = slot;
      }
    } else if (code == kDescriptorSymbol) {
      auto symbol = shortData.U8(shortPosition);
      ++shortPosition;
      if (symbol && info && *symbol < info->dictionary.size()) {
        const PageCompressionInfo::Entry& entry = info->dictionary[*symbol];
        if (entry.length > 0) {
          stored = Slice(entry.bytes, entry.length);
          fromDictionary = true;
        }
      }
    } else {
      shortPosition += static_cast<size_t>(ShortDataBytes(code));
    }

    // The column bytes.
    Bytes value;
    if (stored) {
      const bool numeric = blueprint.valueClass == CompressedValueClass::Numeric;
      const bool noPrefix = storedIsWhole || blueprint.valueClass == CompressedValueClass::Bit;
      value = noPrefix ? *stored : WithPrefix(*stored, anchor, numeric && fromDictionary);
      if (numeric) value = NumericColumnBytes(ByteReader(value), blueprint.width > 0 ? blueprint.width : 8);
      else if (blueprint.valueClass == CompressedValueClass::Timestamp) value = TimestampColumnBytes(value);
      else if (blueprint.valueClass == CompressedValueClass::Unicode) value = DecodeScsuToUtf16Le(value, kScsuOutputLimit);
      else if (blueprint.valueClass == CompressedValueClass::Bit)
        value = Bytes{static_cast<uint8_t>(std::any_of(value.begin(), value.end(), [](uint8_t b) { return b != 0; }))};
    }

    if (blueprint.valueClass == CompressedValueClass::Decimal) {
      // No bytes is zero; a value that does not decode has no bytes to show.
      auto plain = PlainDecimalFromVariable(ByteReader(stored ? *stored : Bytes{}), blueprint.precision, blueprint.scale);
      if (!plain) {
        out.columns.push_back(column);
        continue;
      }
      value = std::move(*plain);
    }

    // Its place in the buffer.
    size_t width;
    if (blueprint.valueClass == CompressedValueClass::Decimal) {
      width = value.size();
    } else if (blueprint.valueClass == CompressedValueClass::Timestamp) {
      width = 8;
    } else if (blueprint.valueClass == CompressedValueClass::Numeric) {
      width = static_cast<size_t>(std::clamp(blueprint.width > 0 ? blueprint.width : 8, 1, 8));
    } else if (blueprint.valueClass == CompressedValueClass::Bit) {
      width = 1;
    } else if (blueprint.valueClass == CompressedValueClass::Float) {
      width = static_cast<size_t>(std::clamp(blueprint.width > 0 ? blueprint.width : 8, 1, 8));
    } else if (blueprint.variable || blueprint.width <= 0) {
      width = blueprint.width > 0 ? std::min(value.size(), static_cast<size_t>(blueprint.width)) : value.size();
    } else {
      width = static_cast<size_t>(blueprint.width);
    }
    if (longSlot) out.longValues.emplace_back(*longSlot, value);
    if (blueprint.valueClass == CompressedValueClass::Float) value = FloatColumnBytes(value, width);
    if (value.size() > width) value.resize(width);
    if (out.data.size() + width > kRebuildBufferSize) {
      out.columns.push_back(column);  // does not fit: not written
      continue;
    }
    column.offset = static_cast<int32_t>(out.data.size());
    column.length = static_cast<int32_t>(value.size());
    out.data.insert(out.data.end(), value.begin(), value.end());
    if (AppendPadding(out.data, width - value.size(), blueprint)) column.length = static_cast<int32_t>(width);
    out.columns.push_back(column);
  }
  return out;
}

void ApplyRebuiltRow(CPrimaryRecord& record, RebuiltRow rebuilt) {
  record.fixedLength = static_cast<int32_t>(rebuilt.data.size());
  record.fixedEnd = record.fixedLength + 4;
  record.fixedData = record.Keep(std::move(rebuilt.data));
  for (auto& [index, bytes] : rebuilt.longValues) {
    if (index >= record.values.size()) continue;
    ColumnValue& value = record.values[index];
    value.length = static_cast<int32_t>(bytes.size());
    value.bytes = value.length > 0 ? record.Keep(std::move(bytes)) : ByteView();
  }
  record.compressedParts.columns = std::move(rebuilt.columns);
  record.compressedParts.rebuilt = true;
}

}  // namespace brinehold
