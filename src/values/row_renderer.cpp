#include "values/row_renderer.h"

#include <algorithm>
#include <optional>
#include <string>

#include "session/app_state.h"
#include "storage/compressed_row.h"
#include "storage/large_value.h"
#include "values/compressed_columns.h"
#include "values/convert_xml.h"
#include "values/spill_value.h"
#include "values/text_decoding.h"
#include "values/value_decoder.h"
#include "values/value_state.h"

namespace brinehold {

RowDecodingContext BuildRowDecodingContext(const std::vector<ColumnInfo>& columns) {
  RowDecodingContext context;
  context.columns = columns;
  context.compressedPlaces = CompressedPlacesFor(columns);
  return context;
}

namespace {

bool IsKind(int32_t kind, ValueKind expected) { return kind == static_cast<int32_t>(expected); }

// The state of one row while its columns are handled.
struct RowState {
  BitGroup bits;
  int64_t fixedOffset = 0;
  size_t variableIndex = 0;
  int32_t columnCounter = 0;
  size_t sparseIndex = 0;
};

class RecordRenderer {
 public:
  RecordRenderer(const CPrimaryRecord& record, const CDataFile* file, RowDecodingContext& context,
                 RenderVariant variant)
      : record_(record), file_(file), columns_(context.columns), places_(context.compressedPlaces),
        variant_(variant) {
    const CHalvardApp& app = TheApp();
    legacy_ = app.settings.legacyCatalog;
    placeholders_ = app.tableLoadActive && IsTableVariant();
    spillMode_ = app.spillMode == 1;
    spillLargeRoots_ = app.spillLargeRoots == 1;
    recordColumns_ = record.columnCount;
    if (variant_ == RenderVariant::PositionalCatalog && legacy_) recordColumns_ = 10;
    compressedColumns_ = CompressedColumnsOf(record);
  }

  // False when the variant leaves the row out.
  bool Render() {
    const size_t listSize = columns_.size();
    size_t handled = listSize;
    // A rebuilt compressed row finds each column by its descriptor place,
    // so computed columns in the list do not push stored ones out of reach.
    if (variant_ != RenderVariant::PositionalCatalog && !(IsRowsetVariant() && !compressedColumns_.empty()))
      handled = std::min(listSize, static_cast<size_t>(std::max(recordColumns_, 0)));
    for (size_t index = 0; index < listSize; ++index) {
      ColumnInfo& column = columns_[index];
      if (index >= handled) {
        if (column.hobtColumnId != ColumnInfo::kNoStoredValue) column.valueText.clear();
        continue;
      }
      RenderColumn(index, column, static_cast<int32_t>(handled));
    }
    if (variant_ == RenderVariant::PositionalTable && !columns_.empty() && columns_[0].valueText.empty())
      return false;
    return true;
  }

 private:
  bool IsTableVariant() const {
    return variant_ == RenderVariant::RowsetTable || variant_ == RenderVariant::PositionalTable;
  }
  bool IsRowsetVariant() const {
    return variant_ == RenderVariant::RowsetTable || variant_ == RenderVariant::RowsetCatalog;
  }

  // The descriptor place of the column at `index` of a rebuilt compressed
  // row, when the row has an entry there.
  std::optional<size_t> CompressedPlace(size_t index) const {
    if (!IsRowsetVariant() || compressedColumns_.empty()) return std::nullopt;
    int64_t place = static_cast<int64_t>(index);
    if (!places_.empty()) place = index < places_.size() ? places_[index] : -1;
    if (place < 0 || static_cast<size_t>(place) >= compressedColumns_.size()) return std::nullopt;
    return static_cast<size_t>(place);
  }

  // The value-list index of the long value at descriptor `place`: the long
  // values are kept in descriptor order, one per long-value code.
  size_t LongValueIndex(size_t place) const {
    size_t longs = 0;
    const auto& codes = record_.compressedParts.descriptorCodes;
    for (size_t i = 0; i < place && i < codes.size(); ++i)
      if (codes[i] == kDescriptorLong) ++longs;
    return longs;
  }

  // Bit `bit` of the null bitmap; a record without bitmap, or a bit beyond
  // it, is not null.
  bool NullBit(int64_t bit) const {
    if (!record_.hasNullBitmap || bit < 0) return false;
    return record_.IsColumnNull(static_cast<int32_t>(std::min<int64_t>(bit, INT32_MAX)));
  }

  // The bitmap bit of the rowset variant.
  bool RowsetNullTest(const ColumnInfo& column) const {
    if (TheApp().stopRequested) return false;
    if (column.nullBit >= 1 && column.nullBit <= recordColumns_) return NullBit(column.nullBit - 1);
    const int64_t sparseCount = record_.hasSparseVector ? static_cast<int64_t>(record_.sparseValues.size()) : 0;
    const int64_t x = static_cast<int64_t>(column.hobtColumnId) - sparseCount - 1;
    if (x >= 1 && x <= recordColumns_) return NullBit(x);
    return NullBit(sparseCount);
  }

  void RenderColumn(size_t index, ColumnInfo& column, int32_t handled) {
    const bool positionalCatalog = variant_ == RenderVariant::PositionalCatalog;
    // 1. Columns without a stored value keep their definition text.
    if (column.hobtColumnId == ColumnInfo::kNoStoredValue && !positionalCatalog) return;
    // A sparse column lives in the sparse vector, not in the column counter.
    const bool sparse = column.sparse != 0;
    // The column counter of the catalog variant counts only columns the
    // record holds; the ones past them are empty.
    if (positionalCatalog && !sparse && row_.columnCounter >= recordColumns_) {
      column.valueText.clear();
      return;
    }
    const int32_t counter = row_.columnCounter;
    if (!sparse) ++row_.columnCounter;

    // 2. The column's decoding state. A rebuilt compressed row gives every
    // bit column a byte of its own, so bits are not taken from a shared one.
    const std::optional<size_t> place = CompressedPlace(index);
    BitGroup ownBit;
    ValueState state = InitValueState(column, column.kind, place ? &ownBit : &row_.bits);

    // 3. A column the record does not have by its physical ordinal is found
    // by its column id from now on.
    if (IsRowsetVariant()) {
      if (column.hobtColumnId > recordColumns_) column.hobtColumnId = column.columnId;
    } else if (variant_ == RenderVariant::PositionalTable) {
      if (column.hobtColumnId > handled) column.hobtColumnId = column.columnId;
    }

    // A stored column past a rebuilt compressed row's descriptors was
    // added after the row was written: the row holds no value for it.
    if (IsRowsetVariant() && !compressedColumns_.empty() && !place) {
      column.valueText = "NULL";
      return;
    }

    // 4, 5. Null test.
    bool isNull = false;
    bool skipValue = false;  // positional null: no value, no "NULL" here
    switch (variant_) {
      case RenderVariant::RowsetTable:
        // A compressed row says null through its descriptor (below).
        isNull = place ? false : RowsetNullTest(column);
        [[fallthrough]];
      case RenderVariant::RowsetCatalog:
        if (!sparse && (!column.stored || isNull)) {
          column.valueText = "NULL";
          return;
        }
        break;
      case RenderVariant::PositionalTable:
        if (!TheApp().stopRequested) {
          if (column.nullBit >= 1 && column.nullBit <= recordColumns_) isNull = NullBit(column.nullBit - 1);
          else isNull = NullBit(counter);
        }
        skipValue = isNull && state.isVariable;
        break;
      case RenderVariant::PositionalCatalog:
        if (!sparse && record_.hasNullBitmap) skipValue = NullBit(counter);
        break;
    }

    // 6. Compressed rows: the per-column null flag and length.
    compressedEntry_ = nullptr;
    if (place) {
      const CompressedColumnEntry& entry = compressedColumns_[*place];
      compressedEntry_ = &entry;
      if (entry.length > 0) state.valueLength = static_cast<int16_t>(std::min<int32_t>(entry.length, INT16_MAX));
      if (entry.isNull) {
        column.valueText = "NULL";
        return;
      }
    }

    // 7. Large-value options by kind.
    LargeValueOptions options = OptionsFor(column, state);
    std::string text;

    if (sparse) {
      // 8. Sparse columns.
      text = SparseText(column, state);
    } else {
      // 9. Variable-length or fixed-length.
      bool variable = state.isVariable != 0;
      size_t entryIndex = 0;
      bool indexFromLeaf = false;
      if (variant_ != RenderVariant::PositionalCatalog && column.leafOffset < 0) {
        entryIndex = static_cast<size_t>(static_cast<uint16_t>(~column.leafOffset));
        indexFromLeaf = true;
      }
      if (place) {
        if (auto code = CompressedDescriptorCode(record_, *place)) {
          // Short values, dictionary symbols and bits are rebuilt in place;
          // long values stay in the value list, in descriptor order.
          if (*code == kDescriptorLong) {
            variable = true;
            indexFromLeaf = false;
            entryIndex = LongValueIndex(*place);
          } else {
            variable = false;
          }
        }
      }
      if (!indexFromLeaf && !(place && variable)) entryIndex = row_.variableIndex;

      if (variable) {
        if (variant_ == RenderVariant::PositionalTable && legacy_ && !skipValue && !record_.values.empty() &&
            row_.variableIndex < record_.values.size()) {
          const int16_t q = column.legacyRowOffset;
          const size_t k = q < 0 ? static_cast<size_t>(static_cast<uint16_t>(~q)) : 0;
          if (k < record_.values.size()) {
            entryIndex = k;
            row_.variableIndex = k;
          }
        }
        if (!skipValue) {
          if (const ColumnValue* entry = record_.VariableColumn(entryIndex)) text = VariableText(*entry, column, state, options);
        }
        ++row_.variableIndex;
      } else if (skipValue && positionalCatalog) {
        // A null fixed column of a catalog row still occupies its bytes.
        row_.fixedOffset += state.fixedSize;
      } else {
        // 10. Fixed-length. A null fixed column still holds bytes (whatever
        // was there before); they are read to keep the positions of the
        // following columns, then not shown.
        text = FixedText(column, state);
        if (variant_ == RenderVariant::PositionalTable && isNull) text.clear();
      }
    }

    // 11. Binary values carry "0x".
    // A placeholder is not a value and gets no prefix.
    const bool placeholder = placeholders_ && (text == kTextBinaryData || text == kTextBigBinaryData);
    if (!placeholder && (IsKind(state.kind, ValueKind::VarBinary) || IsKind(state.kind, ValueKind::ClrType))) {
      bool prefix;
      if (spillMode_) prefix = !IsSpillCellText(text);
      else if (IsTableVariant()) prefix = text != " ";
      else prefix = !text.empty() && text != " ";
      if (prefix) text = "0x" + text;
    }
    if (variant_ == RenderVariant::PositionalTable && column.nullable && text.empty()) text = "NULL";
    // 12.
    column.valueText = std::move(text);
  }

  LargeValueOptions OptionsFor(const ColumnInfo& column, ValueState& state) {
    LargeValueOptions options;
    switch (static_cast<ValueKind>(column.kind)) {
      case ValueKind::VarBinary:
      case ValueKind::ClrType:
        options.renderMode = kRenderHex;
        break;
      case ValueKind::Image:
        options.renderMode = kRenderHex;
        state.kind = static_cast<int32_t>(ValueKind::VarBinary);
        break;
      case ValueKind::SqlVariant:
        options.typePrefix = true;
        break;
      case ValueKind::NVarChar:
      case ValueKind::NText:
        options.unicode = true;
        break;
      case ValueKind::Char:
      case ValueKind::VarChar:
      case ValueKind::Text:
        options.codePage = SelectCodePage(static_cast<ValueKind>(column.kind), column).codePage;
        break;
      default:
        break;
    }
    if (options.renderMode == kRenderHex && spillMode_ && spillLargeRoots_) {
      options.spillLargeRoot = [this](const std::string& text) {
        spilledLargeRoot_ = true;
        return SpillValue(text);
      };
    }
    return options;
  }

  std::string SparseText(const ColumnInfo& column, ValueState& state) {
    auto decode = [&](const SparseValue& value) -> std::string {
      if (value.length <= 0 || value.bytes.size() < static_cast<size_t>(value.length)) return "";
      state.available = static_cast<uint64_t>(value.length);
      state.valueLength = static_cast<int16_t>(std::min<int32_t>(value.length, INT16_MAX));
      return DecodeValue(state, ByteReader(value.bytes.data(), static_cast<size_t>(value.length)), column);
    };
    const auto& values = record_.sparseValues;
    if (variant_ == RenderVariant::PositionalCatalog) {
      if (row_.sparseIndex < values.size() && values[row_.sparseIndex].columnId == column.columnId)
        return decode(values[row_.sparseIndex++]);
      return "";
    }
    for (const SparseValue& value : values) {
      if (value.columnId != column.columnId || value.length <= 0) continue;
      return decode(value);
    }
    return "";
  }

  std::string FixedText(const ColumnInfo& column, ValueState& state) {
    if (!record_.HasFixedData()) {
      if (variant_ != RenderVariant::PositionalCatalog) row_.fixedOffset += state.fixedSize;
      return "";
    }
    const ByteReader fixed = record_.FixedReader();
    const int64_t length = std::min<int64_t>(record_.fixedLength, static_cast<int64_t>(fixed.size()));
    int64_t& r = row_.fixedOffset;
    auto decodeAt = [&](int64_t position) {
      state.available = static_cast<uint64_t>(length - position);
      return DecodeValue(state, fixed.Tail(static_cast<size_t>(position)), column);
    };
    const int32_t leaf = column.leafOffset;
    switch (variant_) {
      case RenderVariant::RowsetTable:
      case RenderVariant::RowsetCatalog: {
        // A rebuilt compressed row says where each column lies.
        if (compressedEntry_) {
          const int64_t at = compressedEntry_->offset;
          if (at < 0 || at > length) return "";
          return decodeAt(at);
        }
        const int64_t p = static_cast<int64_t>(leaf) - 4;
        std::string text;
        if (p >= 0 && p <= length) text = decodeAt(p);
        else if (r < length) text = decodeAt(r);
        else return "";
        r += state.declaredLength;
        return text;
      }
      case RenderVariant::PositionalCatalog: {
        if (r > length || r < 0) return "";
        std::string text = decodeAt(r);
        r += state.declaredLength;
        return text;
      }
      case RenderVariant::PositionalTable:
        break;
    }
    // Positional table rows.
    if (legacy_) {
      const int32_t q = column.legacyRowOffset;
      const int64_t p = (leaf <= 0 && q > 0) ? static_cast<int64_t>(q) - 4 : 0;
      if (leaf < 0 && q > 0 && p < length) {
        if (p < 0) return "";
        std::string text = decodeAt(p);
        r += state.declaredLength > 0 ? state.declaredLength : state.fixedSize;
        return text;
      }
      const int64_t t = static_cast<int64_t>(q) - 4;
      std::string text;
      if (t < 0 || t == r || t >= length) {
        if (r < 0 || r >= length) return "";
        text = decodeAt(r);
      } else {
        text = decodeAt(t);
      }
      r += state.declaredLength;
      return text;
    }
    const int64_t x = leaf < 0 ? 3 - static_cast<int64_t>(leaf) : leaf;
    std::string text;
    if (x - 4 >= 0 && x - 4 <= length) text = decodeAt(x - 4);
    else if (r >= 0 && r < length) text = decodeAt(r);
    else return "";
    r += state.declaredLength;
    return text;
  }

  std::string VariableText(const ColumnValue& entry, const ColumnInfo& column, ValueState& state,
                           const LargeValueOptions& options) {
    const bool isXml = IsKind(column.kind, ValueKind::Xml);
    const bool positionalCatalog = variant_ == RenderVariant::PositionalCatalog;
    if (!entry.complex) {
      if (!entry.HasBytes()) return "";
      state.valueLength = static_cast<int16_t>(std::min<int32_t>(entry.length, INT16_MAX));
      if (IsKind(state.kind, ValueKind::SqlVariant)) {
        if (positionalCatalog) return DecodeValue(state, entry.Reader().Tail(8), column);
        return DecodeVariant(entry.length, state, entry.Reader(), column);
      }
      return DecodeValue(state, entry.Reader(), column);
    }
    if (!entry.HasBytes()) return "";
    const ByteReader pointer = entry.Reader();
    const uint8_t first = pointer.GetOr<uint8_t>(0, 0);
    if (entry.length == 16 && (first == 0 || positionalCatalog)) {
      // A text pointer.
      if (isXml) {
        ValueCollector collector;
        LargeValueOptions collect = options;
        collect.collect = true;
        std::string resolved = Resolve([&](const CDataFile& file) {
          return ResolveTextPointer(file, pointer, collect, &collector);
        }, " ");
        if (positionalCatalog) return resolved;
        return ConvertXml(collector);
      }
      if (placeholders_) return kTextBinaryData;
      return Resolve([&](const CDataFile& file) { return ResolveTextPointer(file, pointer, options, nullptr); },
                     " ");
    }
    const int32_t complexKind = first != 0 ? first : pointer.GetOr<uint16_t>(0, 0);
    if (complexKind != 2 && complexKind != 4) return "";
    if (complexKind == 4 && placeholders_ && (!isXml || variant_ == RenderVariant::PositionalTable))
      return kTextBigBinaryData;
    if (isXml) {
      ValueCollector collector;
      LargeValueOptions collect = options;
      collect.collect = true;
      Resolve([&](const CDataFile& file) { return ResolveInRowRoot(file, pointer, collect, &collector); }, "");
      if (positionalCatalog) return "";
      return ConvertXml(collector);
    }
    spilledLargeRoot_ = false;
    std::string text =
        Resolve([&](const CDataFile& file) { return ResolveInRowRoot(file, pointer, options, nullptr); }, "");
    // A large root the traversal spilled already is not spilled again.
    if (spillMode_ && !spilledLargeRoot_) text = SpillValue(text, options.renderMode == kRenderHex);
    return text;
  }

  // A resolution through the data file; `none` when there is no file.
  template <typename F>
  std::string Resolve(F resolve, const char* none) const {
    if (!file_) return none;
    return resolve(*file_);
  }

  const CPrimaryRecord& record_;
  const CDataFile* file_;
  std::vector<ColumnInfo>& columns_;
  const std::vector<int32_t>& places_;
  RenderVariant variant_;
  bool legacy_ = false;
  bool placeholders_ = false;
  bool spillMode_ = false;
  bool spillLargeRoots_ = false;
  bool spilledLargeRoot_ = false;
  int32_t recordColumns_ = 0;
  std::vector<CompressedColumnEntry> compressedColumns_;
  const CompressedColumnEntry* compressedEntry_ = nullptr;  // of the column being rendered
  RowState row_;
};

bool Selected(const CPrimaryRecord& record, RenderVariant variant) {
  if (variant == RenderVariant::PositionalCatalog) return record.recordType != kLargeValueFragmentType;
  if (record.invalid || record.recordType == kIndexRecordType) return false;
  // A row moved off its page is read where its forwarding stub stands (the
  // stub takes the moved row's parts); listing the moved row as well would
  // show it twice. A stub that leads nowhere holds no row.
  if (record.recordType == kForwardedRecordType) return false;
  if (record.recordType == kForwardingStubType && record.fixedLength == kUnresolvedForwardLength) return false;
  return TheApp().settings.showDeleted || !record.hidden;
}

}  // namespace

std::vector<RenderedRow> RenderRecordRows(const CPrimaryRecord& record, const CDataFile* file,
                                          RowDecodingContext& context, RenderVariant variant) {
  std::vector<RenderedRow> rows;
  if (!Selected(record, variant)) return rows;
  RecordRenderer renderer(record, file, context, variant);
  if (renderer.Render()) rows.push_back(context.columns);
  return rows;
}

std::vector<RenderedRow> RenderPageRows(const PrimaryRecordPage& page, RowDecodingContext& context,
                                        RenderVariant variant) {
  std::vector<RenderedRow> rows;
  const size_t count = std::min(static_cast<size_t>(std::max(page.SlotCount(), 0)), page.RecordCount());
  for (size_t index = 0; index < count && !TheApp().stopRequested; ++index) {
    const CPrimaryRecord* record = page.Record(index);
    if (!record) continue;
    for (RenderedRow& row : RenderRecordRows(*record, page.File(), context, variant)) rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace brinehold
