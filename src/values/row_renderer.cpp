#include "values/row_renderer.h"

#include <algorithm>
#include <optional>
#include <string>

#include "session/app_state.h"
#include "storage/compressed_row.h"
#include "storage/large_value.h"
#include "storage/variable_decimal.h"
#include "values/compressed_columns.h"
#include "values/convert_xml.h"
#include "values/spill_value.h"
#include "values/text_decoding.h"
#include "values/value_decoder.h"
#include "values/value_state.h"

// The plain row as the renderer meets it (parsed by storage/primary_record.h):
//
//   0 status A | 1 status B | 2-3 end of fixed data | 4 .. fixed data |
//   column count (2) | null bitmap | variable count (2) | end offsets (2 each) |
//   variable data
//
// The catalog gives a fixed column's place as an offset from the record
// start (the leaf offset; in the SQL Server 2000 layout also the row
// offset), so its place in the record's fixed data is that offset less
// kFixedDataStart. A negative leaf offset names a variable column instead:
// its bitwise complement is the column's index among the variable values.
// Where a column's own offset is missing or out of range, the row's running
// fixed offset (the sum of the declared lengths read so far) stands in.
//
// A rebuilt compressed row (storage/compressed_row_rebuild.h) holds its
// columns in descriptor order in the fixed data, each at the offset its
// CompressedColumnEntry gives; long values stay in the value list.

namespace brinehold {

namespace {

constexpr int64_t kFixedDataStart = 4;  // status A, status B, end-of-fixed-data field
constexpr int32_t kTextPointerSize = 16;
// The first byte (or 16-bit word) of a complex column value.
constexpr int32_t kComplexRowOverflow = 2;
constexpr int32_t kComplexInlineRoot = 4;

bool IsKind(int32_t kind, ValueKind expected) { return kind == static_cast<int32_t>(expected); }
bool IsDecimalKind(int32_t kind) { return IsKind(kind, ValueKind::Decimal) || IsKind(kind, ValueKind::Numeric); }

// A fixed column's place in the fixed data from an offset that counts from
// the record start.
int64_t FixedDataOffset(int64_t recordOffset) { return recordOffset - kFixedDataStart; }

// The index among the variable values that a negative leaf offset names.
size_t VariableIndexOf(int32_t leafOffset) { return static_cast<uint16_t>(~leafOffset); }

// The state of one row while its columns are handled.
struct RowState {
  BitGroup bits;
  int64_t fixedOffset = 0;
  size_t variableIndex = 0;
  int32_t columnCounter = 0;
  size_t sparseIndex = 0;
};

// What the handling of one column of the row carries from step to step.
struct ColumnRead {
  const ColumnInfo& column;
  ValueState state;
  std::optional<size_t> place;                      // descriptor place in a rebuilt compressed row
  const CompressedColumnEntry* compressed = nullptr;  // its entry, when there is one
  int32_t counter = 0;     // the row's column counter before this column
  int32_t storedId = 0;    // the physical ordinal this row is read by
  bool isNull = false;     // by the null bitmap
  bool skipValue = false;  // positional null: no value, no "NULL" here
  bool raw = false;        // the value's stored bytes, not its text
};

// The bytes of the record's fixed data and how many of them count.
struct FixedData {
  ByteReader bytes;
  int64_t length = 0;
};

class RecordRenderer {
 public:
  RecordRenderer(const CPrimaryRecord& record, const CDataFile* file, const RowDecodingContext& context,
                 RenderVariant variant)
      : record_(record), file_(file), columns_(context.columns), places_(context.compressedPlaces),
        raw_(context.rawColumns), skipped_(context.skippedColumns), variant_(variant) {
    if (context.typeTextLengths.size() == columns_.size()) typeTextLengths_ = context.typeTextLengths.data();
    const CHalvardApp& app = TheApp();
    legacy_ = app.settings.legacyCatalog;
    placeholders_ = app.tableLoadActive && IsTableVariant();
    spillMode_ = app.spillMode == 1;
    spillLargeRoots_ = app.spillLargeRoots == 1;
    recordColumns_ = record.columnCount;
    if (variant_ == RenderVariant::PositionalCatalog && legacy_) recordColumns_ = 10;
    compressedColumns_ = CompressedColumnsOf(record);
  }

  // The row into `row` (see RenderRecordInto); false when the variant
  // leaves it out.
  bool RenderInto(RenderedRow& row) {
    if (row.size() != columns_.size()) row = columns_;
    const size_t handled = HandledColumns();
    for (size_t index = 0; index < row.size(); ++index) {
      ColumnInfo& column = row[index];
      const ColumnInfo& definition = columns_[index];
      // What an unrendered column shows: its definition text, no NULL.
      column.valueText.assign(definition.valueText);
      column.valueIsNull = definition.valueIsNull;
      column.valueShownAsNull = definition.valueShownAsNull;
      if (index >= handled) {
        // A column the record does not have (added after it was written).
        if (column.hobtColumnId != ColumnInfo::kNoStoredValue) {
          column.valueText.clear();
          column.valueIsNull = true;
        }
        continue;
      }
      null_ = false;
      shownAsNull_ = false;
      skipText_ = index > 0 && index < skipped_.size() && skipped_[index] != 0;
      // The text goes straight into the row's cell, whose storage serves
      // row after row; false: the column keeps its definition text.
      ColumnText(index, definition, static_cast<int32_t>(handled), column.valueText);
      column.valueIsNull = null_;
      column.valueShownAsNull = shownAsNull_ && !null_;
    }
    return !(variant_ == RenderVariant::PositionalTable && !row.empty() && row[0].valueText.empty());
  }

 private:
  bool IsTableVariant() const {
    return variant_ == RenderVariant::RowsetTable || variant_ == RenderVariant::PositionalTable;
  }
  bool IsRowsetVariant() const {
    return variant_ == RenderVariant::RowsetTable || variant_ == RenderVariant::RowsetCatalog;
  }
  bool IsRebuiltRowset() const { return IsRowsetVariant() && !compressedColumns_.empty(); }

  // How many columns of the list get a text from the record. A rebuilt
  // compressed row finds each column by its descriptor place, so computed
  // columns in the list do not push stored ones out of reach.
  size_t HandledColumns() const {
    const size_t listSize = columns_.size();
    if (variant_ == RenderVariant::PositionalCatalog || IsRebuiltRowset()) return listSize;
    return std::min(listSize, static_cast<size_t>(std::max(recordColumns_, 0)));
  }

  // --- one column ---------------------------------------------------------

  // The column's text into `out`, which holds the definition text; false
  // (and `out` untouched) when it keeps that.
  bool ColumnText(size_t index, const ColumnInfo& column, int32_t handled, std::string& out) {
    const bool sparse = column.sparse != 0;
    if (column.hobtColumnId == ColumnInfo::kNoStoredValue && variant_ != RenderVariant::PositionalCatalog)
      return false;
    out.clear();
    // The column counter of the catalog variant counts only columns the
    // record holds; the ones past them are empty.
    if (variant_ == RenderVariant::PositionalCatalog && !sparse && row_.columnCounter >= recordColumns_) return true;

    // A rebuilt compressed row gives every bit column a byte of its own, so
    // bits are not taken from a shared one.
    BitGroup ownBit;
    const std::optional<size_t> place = CompressedPlace(index);
    ValueState state = InitValueState(column, column.kind, place ? &ownBit : &row_.bits);
    if (typeTextLengths_) state.typeTextLength = typeTextLengths_[index];
    ColumnRead read{column, state, place, nullptr, row_.columnCounter, StoredColumnId(column, handled), false, false};
    if (!sparse) ++row_.columnCounter;
    read.raw = index < raw_.size() && raw_[index] != 0;

    // A stored column past a rebuilt compressed row's descriptors was
    // added after the row was written: the row holds no value for it.
    if (IsRebuiltRowset() && !place) return NullText(out);
    if (ShowsNullByBitmap(read)) return NullText(out);
    if (place) {
      read.compressed = &compressedColumns_[*place];
      if (read.compressed->length > 0)
        read.state.valueLength = static_cast<int16_t>(std::min<int32_t>(read.compressed->length, INT16_MAX));
      if (read.compressed->isNull) return NullText(out);
    }
    if (read.isNull || read.skipValue) null_ = true;

    const LargeValueOptions options = OptionsFor(column, read.state);
    if (sparse) out = SparseText(column, read.state);
    else StoredText(read, options, out);
    Finish(read, out);
    return true;
  }

  // The text of a SQL NULL, noted as one.
  bool NullText(std::string& out) {
    null_ = true;
    out = "NULL";
    return true;
  }

  // The descriptor place of the column at `index` of a rebuilt compressed
  // row, when the row has an entry there.
  std::optional<size_t> CompressedPlace(size_t index) const {
    if (!IsRebuiltRowset()) return std::nullopt;
    int64_t place = static_cast<int64_t>(index);
    if (!places_.empty()) place = index < places_.size() ? places_[index] : -1;
    if (place < 0 || static_cast<size_t>(place) >= compressedColumns_.size()) return std::nullopt;
    return static_cast<size_t>(place);
  }

  // The physical ordinal the column is read by in this row: a column the
  // record does not have by its ordinal is found by its column id.
  int32_t StoredColumnId(const ColumnInfo& column, int32_t handled) const {
    const int32_t limit = IsRowsetVariant() ? recordColumns_ : handled;
    const bool remapped = IsRowsetVariant() || variant_ == RenderVariant::PositionalTable;
    return remapped && column.hobtColumnId > limit ? column.columnId : column.hobtColumnId;
  }

  // The variant's null test. True when the column shows "NULL" right away;
  // otherwise notes a null that the value steps handle.
  bool ShowsNullByBitmap(ColumnRead& read) const {
    const ColumnInfo& column = read.column;
    const bool sparse = column.sparse != 0;
    switch (variant_) {
      case RenderVariant::RowsetTable:
        // A compressed row says null through its descriptor.
        read.isNull = read.place ? false : RowsetNullTest(column, read.storedId);
        return !sparse && (!column.stored || read.isNull);
      case RenderVariant::RowsetCatalog:
        return !sparse && !column.stored;
      case RenderVariant::PositionalTable:
        if (!TheApp().stopRequested) {
          if (column.nullBit >= 1 && column.nullBit <= recordColumns_) read.isNull = NullBit(column.nullBit - 1);
          else read.isNull = NullBit(read.counter);
        }
        read.skipValue = read.isNull && read.state.isVariable;
        return false;
      case RenderVariant::PositionalCatalog:
        if (!sparse && record_.hasNullBitmap) read.skipValue = NullBit(read.counter);
        return false;
    }
    return false;
  }

  // Bit `bit` of the null bitmap; a record without bitmap, or a bit beyond
  // it, is not null.
  bool NullBit(int64_t bit) const {
    if (!record_.hasNullBitmap || bit < 0) return false;
    return record_.IsColumnNull(static_cast<int32_t>(std::min<int64_t>(bit, INT32_MAX)));
  }

  // The bitmap bit of the rowset variants: the column's null bit, else the
  // bit of its ordinal behind the sparse columns.
  bool RowsetNullTest(const ColumnInfo& column, int32_t storedId) const {
    if (TheApp().stopRequested) return false;
    if (column.nullBit >= 1 && column.nullBit <= recordColumns_) return NullBit(column.nullBit - 1);
    const int64_t sparseCount = record_.hasSparseVector ? static_cast<int64_t>(record_.sparseValues.size()) : 0;
    const int64_t bit = static_cast<int64_t>(storedId) - sparseCount - 1;
    if (bit >= 1 && bit <= recordColumns_) return NullBit(bit);
    return NullBit(sparseCount);
  }

  // Binary values carry "0x" (a placeholder is not a value and gets none);
  // a nullable column of a positional table row without text shows "NULL".
  void Finish(const ColumnRead& read, std::string& text) {
    if (read.raw && read.state.isVariable) return;
    const bool placeholder = placeholders_ && (text == kTextBinaryData || text == kTextBigBinaryData);
    const int32_t kind = read.state.kind;
    if (!placeholder && (IsKind(kind, ValueKind::VarBinary) || IsKind(kind, ValueKind::ClrType) ||
                         IsKind(kind, ValueKind::Geometry))) {
      bool prefix;
      if (spillMode_) prefix = !IsSpillCellText(text);
      else if (IsTableVariant()) prefix = text != " ";
      else prefix = !text.empty() && text != " ";
      if (prefix) text.insert(0, "0x");
    }
    if (variant_ == RenderVariant::PositionalTable && read.column.nullable && text.empty()) {
      text = "NULL";
      shownAsNull_ = true;
    }
  }

  LargeValueOptions OptionsFor(const ColumnInfo& column, ValueState& state) {
    LargeValueOptions options;
    switch (static_cast<ValueKind>(column.kind)) {
      case ValueKind::VarBinary:
      case ValueKind::ClrType:
      case ValueKind::Geometry:
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

  // --- stored values --------------------------------------------------------

  // Where a column's value lies: among the variable values (at `index`) or
  // in the fixed data.
  struct ValuePlace {
    bool variable = false;
    size_t index = 0;
  };

  ValuePlace LocateValue(const ColumnRead& read) const {
    ValuePlace at{read.state.isVariable != 0, 0};
    bool indexFromLeaf = false;
    if (variant_ != RenderVariant::PositionalCatalog && read.column.leafOffset < 0) {
      at.index = VariableIndexOf(read.column.leafOffset);
      indexFromLeaf = true;
    }
    if (read.place) {
      // Short values, dictionary symbols and bits are rebuilt into the fixed
      // data; long values stay in the value list, in descriptor order.
      if (auto code = CompressedDescriptorCode(record_, *read.place)) {
        // A long value of a fixed-size kind (a wide decimal, a long char)
        // is read where the rebuild laid it out in its plain form.
        const bool rebuiltFixed = !read.state.isVariable && read.compressed && read.compressed->offset >= 0;
        at.variable = *code == kDescriptorLong && !rebuiltFixed;
        if (at.variable) {
          indexFromLeaf = false;
          at.index = LongValueIndex(*read.place);
        }
      }
    }
    // A decimal the catalog places among the variable-length columns is
    // kept in the vardecimal storage format of its table.
    if (indexFromLeaf && !read.place && IsDecimalKind(read.state.kind) &&
        (variant_ == RenderVariant::RowsetTable || variant_ == RenderVariant::PositionalTable))
      at.variable = true;
    if (!indexFromLeaf && !(read.place && at.variable)) at.index = row_.variableIndex;
    return at;
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

  // The stored value's text into `out` (empty).
  void StoredText(ColumnRead& read, const LargeValueOptions& options, std::string& out) {
    const ValuePlace at = LocateValue(read);
    if (at.variable) return VariableColumnText(read, at.index, options, out);
    if (read.skipValue && variant_ == RenderVariant::PositionalCatalog) {
      // A null fixed column of a catalog row still occupies its bytes.
      row_.fixedOffset += read.state.fixedSize;
      return;
    }
    // A null fixed column still holds bytes (whatever was there before);
    // they are read to keep the positions of the following columns, then
    // not shown.
    FixedText(read.column, read.state, read.compressed, out);
    if (variant_ == RenderVariant::PositionalTable && read.isNull) out.clear();
  }

  void VariableColumnText(ColumnRead& read, size_t index, const LargeValueOptions& options, std::string& out) {
    // SQL Server 2000 rows name a variable column's index in the legacy row
    // offset.
    if (variant_ == RenderVariant::PositionalTable && legacy_ && !read.skipValue && !record_.values.empty() &&
        row_.variableIndex < record_.values.size()) {
      const int16_t legacyOffset = read.column.legacyRowOffset;
      const size_t legacyIndex = legacyOffset < 0 ? VariableIndexOf(legacyOffset) : 0;
      if (legacyIndex < record_.values.size()) {
        index = legacyIndex;
        row_.variableIndex = legacyIndex;
      }
    }
    if (!read.skipValue && !skipText_) {
      if (const ColumnValue* entry = record_.VariableColumn(index)) {
        if (read.raw) out = RawVariableBytes(*entry);
        else VariableText(*entry, read.column, read.state, options, out);
      }
    }
    ++row_.variableIndex;
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
      null_ = true;
      return "";
    }
    for (const SparseValue& value : values) {
      if (value.columnId != column.columnId || value.length <= 0) continue;
      return decode(value);
    }
    null_ = true;  // a sparse column holds only its non-NULL values
    return "";
  }

  // --- fixed-length values --------------------------------------------------

  // The text of a value in the fixed data into `out` (empty).
  void FixedText(const ColumnInfo& column, ValueState& state, const CompressedColumnEntry* compressed,
                 std::string& out) {
    if (!record_.HasFixedData()) {
      if (variant_ != RenderVariant::PositionalCatalog) row_.fixedOffset += state.fixedSize;
      return;
    }
    const ByteReader bytes = record_.FixedReader();
    const FixedData fixed{bytes, std::min<int64_t>(record_.fixedLength, static_cast<int64_t>(bytes.size()))};
    switch (variant_) {
      case RenderVariant::RowsetTable:
      case RenderVariant::RowsetCatalog:
        if (compressed) return CompressedFixedText(fixed, column, state, *compressed, out);
        return RowsetFixedText(fixed, column, state, out);
      case RenderVariant::PositionalCatalog:
        return NextFixedText(fixed, column, state, out);
      case RenderVariant::PositionalTable:
        if (legacy_) return LegacyFixedText(fixed, column, state, out);
        return PositionalFixedText(fixed, column, state, out);
    }
  }

  void DecodeAt(const FixedData& fixed, int64_t position, const ColumnInfo& column, ValueState& state,
                std::string& out) const {
    state.available = static_cast<uint64_t>(fixed.length - position);
    // A bit takes its place in the row's bit group only when decoded.
    if (skipText_ && !IsKind(state.kind, ValueKind::Bit)) {
      SkipValue(state, column);
      out.clear();
      return;
    }
    DecodeValueInto(state, fixed.bytes.Tail(static_cast<size_t>(position)), column, out);
  }

  // A rebuilt compressed row says where each column lies.
  void CompressedFixedText(const FixedData& fixed, const ColumnInfo& column, ValueState& state,
                           const CompressedColumnEntry& entry, std::string& out) const {
    const int64_t at = entry.offset;
    if (at < 0 || at > fixed.length) return;
    DecodeAt(fixed, at, column, state, out);
  }

  // Rowset variants: at the leaf offset, else at the running offset.
  void RowsetFixedText(const FixedData& fixed, const ColumnInfo& column, ValueState& state, std::string& out) {
    const int64_t own = FixedDataOffset(column.leafOffset);
    int64_t& running = row_.fixedOffset;
    if (own >= 0 && own <= fixed.length) DecodeAt(fixed, own, column, state, out);
    else if (running < fixed.length) DecodeAt(fixed, running, column, state, out);
    else return;
    running += state.declaredLength;
  }

  // Catalog rows read by position: always at the running offset.
  void NextFixedText(const FixedData& fixed, const ColumnInfo& column, ValueState& state, std::string& out) {
    int64_t& running = row_.fixedOffset;
    if (running > fixed.length || running < 0) return;
    DecodeAt(fixed, running, column, state, out);
    running += state.declaredLength;
  }

  // SQL Server 2000 table rows: at the legacy row offset when it differs
  // from the running offset and lies inside the data.
  void LegacyFixedText(const FixedData& fixed, const ColumnInfo& column, ValueState& state, std::string& out) {
    const int32_t leaf = column.leafOffset;
    const int32_t rowOffset = column.legacyRowOffset;
    const int64_t legacyPlace = FixedDataOffset(rowOffset);
    int64_t& running = row_.fixedOffset;
    // A variable column by its leaf offset that the legacy row offset
    // places in the fixed data.
    if (leaf < 0 && rowOffset > 0 && legacyPlace < fixed.length) {
      if (legacyPlace < 0) return;
      DecodeAt(fixed, legacyPlace, column, state, out);
      running += state.declaredLength > 0 ? state.declaredLength : state.fixedSize;
      return;
    }
    if (legacyPlace < 0 || legacyPlace == running || legacyPlace >= fixed.length) {
      if (running < 0 || running >= fixed.length) return;
      DecodeAt(fixed, running, column, state, out);
    } else {
      DecodeAt(fixed, legacyPlace, column, state, out);
    }
    running += state.declaredLength;
  }

  // Positional table rows of the later layouts: at the leaf offset (a
  // negative one, naming a variable column, by that column's index), else
  // at the running offset.
  void PositionalFixedText(const FixedData& fixed, const ColumnInfo& column, ValueState& state, std::string& out) {
    const int32_t leaf = column.leafOffset;
    const int64_t own = leaf < 0 ? static_cast<int64_t>(VariableIndexOf(leaf)) : FixedDataOffset(leaf);
    int64_t& running = row_.fixedOffset;
    if (own >= 0 && own <= fixed.length) DecodeAt(fixed, own, column, state, out);
    else if (running >= 0 && running < fixed.length) DecodeAt(fixed, running, column, state, out);
    else return;
    running += state.declaredLength;
  }

  // --- variable-length values -------------------------------------------------

  // The value's bytes: in-row as stored, a text pointer's or large root's
  // data collected in full.
  std::string RawVariableBytes(const ColumnValue& entry) {
    if (!entry.HasBytes()) return "";
    const ByteReader bytes = entry.Reader();
    if (!entry.complex) return std::string(reinterpret_cast<const char*>(bytes.Span().data()), bytes.size());
    const uint8_t first = bytes.GetOr<uint8_t>(0, 0);
    LargeValueOptions collect;
    collect.collect = true;
    ValueCollector collector;
    if (entry.length == kTextPointerSize && first == 0) {
      Resolve([&](const CDataFile& file) { return ResolveTextPointer(file, bytes, collect, &collector); }, "");
      return collector.TakeJoined();
    }
    const int32_t complexKind = first != 0 ? first : bytes.GetOr<uint16_t>(0, 0);
    if (complexKind != kComplexRowOverflow && complexKind != kComplexInlineRoot) return "";
    Resolve([&](const CDataFile& file) { return ResolveInRowRoot(file, bytes, collect, &collector); }, "");
    return collector.TakeJoined();
  }

  // The text of a variable-length value into `out` (empty).
  // The text of a variable-length value into `out` (empty).
  void VariableText(const ColumnValue& entry, const ColumnInfo& column, ValueState& state,
                    const LargeValueOptions& options, std::string& out) {
    // A hierarchyid of no bytes is the root, a value like any other.
    if (IsKind(state.kind, ValueKind::HierarchyId) && !entry.complex && entry.length == 0) {
      out.push_back('/');
      return;
    }
    if (IsDecimalKind(state.kind) && !entry.complex) {
      out = VariableDecimalText(entry, column, state);
      return;
    }
    if (!entry.HasBytes()) return;
    if (!entry.complex) return InRowText(entry, column, state, out);
    out = ComplexText(entry, column, state, options);
  }

  // A large-value pointer or root in the row: the value it leads to.
  std::string ComplexText(const ColumnValue& entry, const ColumnInfo& column, ValueState& state,
                          const LargeValueOptions& options) {
    const ByteReader pointer = entry.Reader();
    const uint8_t first = pointer.GetOr<uint8_t>(0, 0);
    if (entry.length == kTextPointerSize && (first == 0 || variant_ == RenderVariant::PositionalCatalog))
      return TextPointerText(pointer, column, options);
    const int32_t complexKind = first != 0 ? first : pointer.GetOr<uint16_t>(0, 0);
    if (complexKind != kComplexRowOverflow && complexKind != kComplexInlineRoot) return "";
    if (IsKind(state.kind, ValueKind::SqlVariant) && variant_ != RenderVariant::PositionalCatalog &&
        !(complexKind == kComplexInlineRoot && placeholders_))
      return VariantRootText(pointer, column, state, options);
    return LargeRootText(pointer, complexKind, column, options);
  }

  // A vardecimal value (no bytes: zero) decoded in its plain form.
  std::string VariableDecimalText(const ColumnValue& entry, const ColumnInfo& column, ValueState& state) const {
    const size_t length = entry.HasBytes() ? static_cast<size_t>(entry.length) : 0;
    auto plain = PlainDecimalFromVariable(ByteReader(entry.bytes.data(), length), column.precision, column.scale);
    if (!plain) return "";
    state.available = plain->size();
    state.valueLength = static_cast<int16_t>(plain->size());
    return DecodeValue(state, ByteReader(*plain), column);
  }

  void InRowText(const ColumnValue& entry, const ColumnInfo& column, ValueState& state, std::string& out) const {
    state.valueLength = static_cast<int16_t>(std::min<int32_t>(entry.length, INT16_MAX));
    if (IsKind(state.kind, ValueKind::SqlVariant)) {
      // Catalog rows keep the variant's 8-byte header ahead of the value.
      if (variant_ == RenderVariant::PositionalCatalog) return DecodeValueInto(state, entry.Reader().Tail(8), column, out);
      out = DecodeVariant(entry.length, state, entry.Reader(), column);
      return;
    }
    DecodeValueInto(state, entry.Reader(), column, out);
  }

  // A 16-byte text pointer (text, ntext, image, and xml in catalog rows).
  std::string TextPointerText(const ByteReader& pointer, const ColumnInfo& column, const LargeValueOptions& options) {
    if (IsKind(column.kind, ValueKind::Xml)) {
      ValueCollector collector;
      LargeValueOptions collect = options;
      collect.collect = true;
      std::string resolved = Resolve([&](const CDataFile& file) {
        return ResolveTextPointer(file, pointer, collect, &collector);
      }, " ");
      if (variant_ == RenderVariant::PositionalCatalog) return resolved;
      return ConvertXml(collector);
    }
    if (placeholders_) return kTextBinaryData;
    return Resolve([&](const CDataFile& file) { return ResolveTextPointer(file, pointer, options, nullptr); }, " ");
  }

  // An sql_variant pushed out of the row: its pieces joined, then decoded
  // as a whole (base type, properties and data), as it is in the row.
  std::string VariantRootText(const ByteReader& pointer, const ColumnInfo& column, ValueState& state,
                              const LargeValueOptions& options) {
    ValueCollector collector;
    LargeValueOptions collect = options;
    collect.collect = true;
    Resolve([&](const CDataFile& file) { return ResolveInRowRoot(file, pointer, collect, &collector); }, "");
    const Bytes joined = collector.Join();
    if (joined.empty()) return "";
    const int length = static_cast<int>(std::min<size_t>(joined.size(), INT32_MAX));
    return DecodeVariant(length, state, ByteReader(joined), column);
  }

  // A row-overflow pointer or an in-row large-value root.
  std::string LargeRootText(const ByteReader& pointer, int32_t complexKind, const ColumnInfo& column,
                            const LargeValueOptions& options) {
    const bool isXml = IsKind(column.kind, ValueKind::Xml);
    if (complexKind == kComplexInlineRoot && placeholders_ && (!isXml || variant_ == RenderVariant::PositionalTable))
      return kTextBigBinaryData;
    if (isXml) {
      ValueCollector collector;
      LargeValueOptions collect = options;
      collect.collect = true;
      Resolve([&](const CDataFile& file) { return ResolveInRowRoot(file, pointer, collect, &collector); }, "");
      if (variant_ == RenderVariant::PositionalCatalog) return "";
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
  const std::vector<ColumnInfo>& columns_;
  const std::vector<int32_t>& places_;
  const std::vector<uint8_t>& raw_;
  const std::vector<uint8_t>& skipped_;
  bool skipText_ = false;  // the current column's text is not wanted
  const int16_t* typeTextLengths_ = nullptr;  // per column, when the context has them
  RenderVariant variant_;
  bool legacy_ = false;
  bool placeholders_ = false;
  bool spillMode_ = false;
  bool spillLargeRoots_ = false;
  bool spilledLargeRoot_ = false;
  bool null_ = false;         // the column being rendered is SQL NULL
  bool shownAsNull_ = false;  // its empty value is shown as "NULL"
  int32_t recordColumns_ = 0;
  std::vector<CompressedColumnEntry> compressedColumns_;
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

std::optional<RenderedRow> RenderRecord(const CPrimaryRecord& record, const CDataFile* file,
                                        const RowDecodingContext& context, RenderVariant variant) {
  RenderedRow row;
  if (!RenderRecordInto(record, file, context, variant, row)) return std::nullopt;
  return row;
}

bool RenderRecordInto(const CPrimaryRecord& record, const CDataFile* file, const RowDecodingContext& context,
                      RenderVariant variant, RenderedRow& row) {
  if (!Selected(record, variant)) return false;
  return RecordRenderer(record, file, context, variant).RenderInto(row);
}

std::vector<RenderedRow> RenderRecordRows(const CPrimaryRecord& record, const CDataFile* file,
                                          const RowDecodingContext& context, RenderVariant variant) {
  std::vector<RenderedRow> rows;
  if (auto row = RenderRecord(record, file, context, variant)) rows.push_back(std::move(*row));
  return rows;
}

std::vector<RenderedRow> RenderPageRows(const PrimaryRecordPage& page, const RowDecodingContext& context,
                                        RenderVariant variant) {
  std::vector<RenderedRow> rows;
  const size_t count = std::min(static_cast<size_t>(std::max(page.SlotCount(), 0)), page.RecordCount());
  for (size_t index = 0; index < count && !TheApp().stopRequested; ++index) {
    const CPrimaryRecord* record = page.Record(index);
    if (!record) continue;
    if (auto row = RenderRecord(*record, page.File(), context, variant)) rows.push_back(std::move(*row));
  }
  return rows;
}

}  // namespace brinehold
