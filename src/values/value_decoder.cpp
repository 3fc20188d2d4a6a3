#include "values/value_decoder.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "platform/text_codec.h"
#include "values/binary_format.h"
#include "values/date_time_format.h"
#include "values/hierarchy_id.h"
#include "values/number_format.h"
#include "values/text_decoding.h"
#include "values/convert_xml.h"

namespace brinehold {
namespace {

// Plain decimal, as printf's %d would write it, without its parsing of a
// format for every value of every row.
template <typename T>
std::string IntegerText(T value) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

// The same, appended to `out`.
template <typename T>
void AppendInteger(std::string& out, T value) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, end);
}

// The number in the column's type text, read once by the caller or now.
int32_t TypeTextLength(const ValueState& state, const ColumnInfo& column) {
  return state.typeTextLength >= 0 ? state.typeTextLength : DeclaredLengthOf(column.typeText);
}

int16_t ClampToInt16(int32_t value) {
  return static_cast<int16_t>(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

std::string DecodeBit(ValueState& state, ByteReader work) {
  if (state.valueLength <= 0) return "False";
  state.declaredLength = 0;
  BitGroup* group = state.bitGroup;
  if (state.valueLength != 1 || !group) return "";
  if (group->bitIndex == 8) group->loaded = 0;
  if (!group->loaded) {
    group->currentByte = work.GetOr<uint8_t>(0, 0);
    group->bitIndex = 0;
    group->loaded = 1;
    group->startsGroup = 1;
    state.fixedSize = 1;
    state.declaredLength = 1;
  } else {
    state.fixedSize = 0;
    group->startsGroup = 0;
  }
  int index = group->bitIndex;
  group->bitIndex = index + 1;
  if (index < 0 || index > 7) return "";  // a group left in a state no row produces
  return ((group->currentByte >> index) & 1) ? "True" : "False";
}

std::string Decode8BitText(ValueKind kind, ByteReader bytes, const ColumnInfo& column) {
  return ConvertCodePageOrWiden(bytes, SelectCodePage(kind, column).codePage);
}

}  // namespace

void SkipValue(ValueState& state, const ColumnInfo& column) {
  if (state.declaredLength == 0) state.declaredLength = TypeTextLength(state, column);
}

void DecodeValueInto(ValueState& state, ByteReader value, const ColumnInfo& column, std::string& out) {
  out.clear();
  // A bit whose byte the group already holds needs no bytes of its own: the
  // last bits of a row may stand where the fixed part has ended.
  const BitGroup* group = state.bitGroup;
  const bool bitFromGroup = state.kind == static_cast<int32_t>(ValueKind::Bit) && group && group->loaded &&
                            group->bitIndex >= 0 && group->bitIndex < 8;
  if (value.data() == nullptr && !bitFromGroup) return;
  if (state.isVariable) state.available = static_cast<uint64_t>(std::max<int16_t>(state.valueLength, 0));
  if (state.declaredLength == 0) state.declaredLength = TypeTextLength(state, column);
  if (state.kind < 0 || state.kind > kLastValueKind) return;
  const ValueKind kind = static_cast<ValueKind>(state.kind);

  if (kind == ValueKind::SqlVariant) {
    state.valueLength = static_cast<int16_t>(state.valueLength - 8);
    if (state.valueLength <= 0) return;
  }
  // One copy of the value, zero-filled past what the view holds and two
  // bytes beyond, so that text always ends in a zero code unit. The kinds
  // that read their declared length get a copy of that many bytes.
  const int32_t valueLength = state.valueLength;
  const int32_t declared = state.declaredLength;
  const size_t valueSize = static_cast<size_t>(std::max(valueLength, int32_t{0}));
  const size_t declaredSize = static_cast<size_t>(std::max(declared, int32_t{0}));
  // Most values are short: they are copied to the stack, not the heap.
  std::array<uint8_t, 64> shortCopy{};
  Bytes longCopy;
  const size_t held = std::min(valueSize, value.size());
  uint8_t* copy = shortCopy.data();
  if (valueSize + 2 <= shortCopy.size()) {
    if (held > 0) std::memcpy(copy, value.data(), held);
  } else {
    longCopy = value.CopyClipped(0, valueSize);
    longCopy.resize(valueSize + 2, 0);
    copy = longCopy.data();
  }
  const ByteReader work(copy, valueSize);
  // Character data is read from the bytes the view holds: the zero fill
  // past them is not stored text.
  const ByteReader present(copy, held);
  // Only decimal, numeric and the scaled time kinds read by declared length;
  // their copy is made when they need it.
  Bytes declaredBuffer;
  auto declaredBytes = [&] {
    declaredBuffer = value.CopyClipped(0, declaredSize);
    declaredBuffer.resize(declaredSize, 0);
    return ByteReader(declaredBuffer);
  };

  if (kind == ValueKind::Bit) {
    out = DecodeBit(state, work);
    return;
  }
  if (valueLength <= 0) return;

  const uint64_t available = state.available;
  const bool valueFits = static_cast<uint64_t>(valueLength) <= available;
  const bool declaredFits = declared > 0 && static_cast<uint64_t>(declared) <= available;
  auto takeDeclared = [&] { state.valueLength = ClampToInt16(declared); };

  switch (kind) {
    case ValueKind::BigInt:
      if (!valueFits) return;
      AppendInteger(out, static_cast<long long>(work.GetOr<int64_t>(0, 0)));
      return;
    case ValueKind::Int:
      if (!valueFits) return;
      AppendInteger(out, work.GetOr<int32_t>(0, 0));
      return;
    case ValueKind::SmallInt:
      if (!valueFits) return;
      AppendInteger(out, static_cast<int>(work.GetOr<int16_t>(0, 0)));
      return;
    case ValueKind::TinyInt:
      if (!valueFits) return;
      AppendInteger(out, static_cast<int>(work.GetOr<uint8_t>(0, 0)));
      return;
    case ValueKind::Binary:
      if (!valueFits) return;
      out = FormatHex(work, true);
      return;
    case ValueKind::VarBinary:
      out = FormatHex(work, false);
      return;
    case ValueKind::Timestamp: {
      if (!valueFits) return;
      out = FormatHex(work, true);
      takeDeclared();
      return;
    }
    case ValueKind::HierarchyId:
      out = FormatHierarchyId(work);
      return;
    case ValueKind::Geometry:
      // Shown as geography is: the renderer adds "0x", in row and off-row.
      out = FormatHex(work, false);
      return;
    case ValueKind::ClrType:
      if (!valueFits) return;
      out = FormatHex(work, false);
      return;
    case ValueKind::UniqueIdentifier: {
      if (!valueFits) return;
      AppendGuid(work, out);
      takeDeclared();
      return;
    }
    case ValueKind::Char:
      if (!valueFits) return;
      out = Decode8BitText(kind, present, column);
      return;
    case ValueKind::VarChar:
    case ValueKind::Text:
      out = Decode8BitText(kind, present, column);
      return;
    case ValueKind::NChar:
      if (!valueFits) return;
      AppendUtf16LeAsUtf8(out, present.Span());
      return;
    case ValueKind::NVarChar:
      AppendUtf16LeAsUtf8(out, present.Span());
      return;
    case ValueKind::NText:
      // ntext is always UTF-16; only an odd length (a damaged value) is
      // left to the look of its bytes.
      if (valueLength % 2 == 0) {
        AppendUtf16LeAsUtf8(out, present.Span());
        return;
      }
      [[fallthrough]];
    case ValueKind::SqlVariant:
      if (LooksLikeUtf16(work, static_cast<size_t>(valueLength))) {
        AppendUtf16LeAsUtf8(out, present.Span());
        return;
      }
      out = ConvertCodePageOrWiden(present, kSystemAnsiCodePage);
      return;
    case ValueKind::Decimal:
    case ValueKind::Numeric: {
      if (!declaredFits) return;
      const size_t width = DecimalMagnitudeBytes(declaredSize, column.precision);
      out = FormatDecimalOfWidth(declaredBytes(), width, column.scale);
      takeDeclared();
      return;
    }
    case ValueKind::Money: {
      if (!declaredFits) return;
      out = FormatMoney(work);
      takeDeclared();
      return;
    }
    case ValueKind::SmallMoney: {
      if (!declaredFits) return;
      out = FormatSmallMoney(work);
      takeDeclared();
      return;
    }
    case ValueKind::Float:
      if (!valueFits) return;
      out = FormatFloat(work);
      return;
    case ValueKind::Real:
      if (!valueFits) return;
      out = FormatReal(work);
      return;
    case ValueKind::DateTime: {
      if (available < 8) return;
      AppendDateTime(out, work);
      takeDeclared();
      return;
    }
    case ValueKind::SmallDateTime: {
      if (available < 4) return;
      out = FormatSmallDateTime(work);
      takeDeclared();
      return;
    }
    case ValueKind::Date: {
      if (available < 3) return;
      out = FormatDate(work);
      takeDeclared();
      return;
    }
    case ValueKind::Time:
    case ValueKind::DateTime2:
    case ValueKind::DateTimeOffset: {
      if (!declaredFits) return;
      const ByteReader bytes = declaredBytes();
      out = kind == ValueKind::Time        ? FormatTime(bytes, column.scale, declared)
            : kind == ValueKind::DateTime2 ? FormatDateTime2(bytes, column.scale, declared)
                                           : FormatDateTimeOffset(bytes, column.scale, declared);
      takeDeclared();
      return;
    }
    case ValueKind::Xml: {
      out = ConvertXml(work.Span());
      if (out.empty()) out.push_back(' ');
      return;
    }
    default:  // Image, the unassigned and transient kinds
      return;
  }
}

std::string DecodeValue(ValueState& state, ByteReader value, const ColumnInfo& column) {
  std::string text;
  DecodeValueInto(state, value, column, text);
  return text;
}

std::string DecodeVariant(int totalLength, ValueState& state, ByteReader value, const ColumnInfo& column) {
  (void)column;
  state.declaredLength = 0;
  if (value.data() == nullptr || totalLength <= 0) return "";
  Bytes buffer = value.CopyClipped(0, static_cast<size_t>(totalLength));
  buffer.resize(static_cast<size_t>(totalLength), 0);
  const ByteReader bytes(buffer);
  const int baseType = bytes.GetOr<uint8_t>(0, 0);
  auto data = [&](int offset) { return bytes.Tail(static_cast<size_t>(offset)); };
  // Character data from the bytes the view holds, not the zero fill.
  const ByteReader held(buffer.data(), std::min(buffer.size(), value.size()));
  auto text = [&](int offset) { return held.Tail(std::min(held.size(), static_cast<size_t>(offset))); };
  auto exact = [&](int length) { return totalLength == length; };

  switch (baseType) {
    case 127:
      if (!exact(10)) return "";
      return IntegerText(static_cast<long long>(bytes.GetOr<int64_t>(2, 0)));
    case 56:
      if (!exact(6)) return "";
      return IntegerText(bytes.GetOr<int32_t>(2, 0));
    case 52:
      if (!exact(4)) return "";
      return IntegerText(static_cast<int>(bytes.GetOr<int16_t>(2, 0)));
    case 48:
      if (!exact(3)) return "";
      return IntegerText(static_cast<int>(bytes.GetOr<uint8_t>(2, 0)));
    case 104:
      if (!exact(3)) return "";
      return bytes.GetOr<uint8_t>(2, 0) != 0 ? "True" : "False";
    case 62:
      if (!exact(10)) return "";
      return FormatFloat(data(2));
    case 59:
      if (!exact(6)) return "";
      return FormatReal(data(2));
    case 60:
      if (!exact(10)) return "";
      return FormatMoney(data(2));
    case 122:
      if (!exact(6)) return "";
      return FormatSmallMoney(data(2));
    case 61:
      if (!exact(10)) return "";
      return FormatDateTime(data(2));
    case 58:
      if (!exact(6)) return "";
      return FormatSmallDateTime(data(2));
    case 40:
      if (!exact(5)) return "";
      return FormatDate(data(2));
    case 41:
    case 42:
    case 43: {
      int length = totalLength - 3;
      if (length <= 0) return "";
      int scale = bytes.GetOr<uint8_t>(2, 0);
      if (baseType == 41) return FormatTime(data(3), scale, length);
      if (baseType == 42) return FormatDateTime2(data(3), scale, length);
      return FormatDateTimeOffset(data(3), scale, length);
    }
    case 106:
    case 108: {
      if (totalLength <= 4) return "";
      if (baseType == 108) state.declaredLength = totalLength - 4;
      const size_t width = DecimalMagnitudeBytes(static_cast<size_t>(totalLength - 4), bytes.GetOr<uint8_t>(2, 0));
      return FormatDecimalOfWidth(data(4), width, bytes.GetOr<uint8_t>(3, 0));
    }
    case 36:
      if (!exact(18)) return "";
      return FormatGuid(data(2));
    case 173:
    case 165:
      // Binary data is shown as binary: as text it would end at the first
      // zero byte and turn the rest into arbitrary characters.
      if (totalLength <= 4) return "";
      return FormatHex(data(4), true);
    case 175:
    case 167: {
      // The value carries its own collation id in bytes 4-7.
      if (totalLength <= 8) return "";
      int codePage = CodePageOfCollation(bytes.GetOr<int32_t>(4, 0)).value_or(kSystemAnsiCodePage);
      return ConvertCodePageOrWiden(text(8), codePage);
    }
    case 239:
    case 231:
      if (totalLength <= 8) return "";
      return Utf16Text(text(8));
    case 240:
      if (totalLength <= 2) return "";
      return FormatHex(data(2), true);
    default:
      return "";
  }
}

}  // namespace brinehold
