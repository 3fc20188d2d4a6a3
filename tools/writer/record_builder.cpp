#include "writer/record_builder.h"

#include <algorithm>

namespace brinehold::writer {

void AppendLE(Bytes& out, uint64_t value, size_t width) {
  const size_t at = out.size();
  out.resize(at + width);
  for (size_t i = 0; i < width; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void AppendBytes(Bytes& out, const Bytes& more) {
  const size_t at = out.size();
  out.resize(at + more.size());
  std::copy(more.begin(), more.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

Bytes ByteThen(uint8_t first, const Bytes& more) {
  Bytes out(more.size() + 1);
  out[0] = first;
  std::copy(more.begin(), more.end(), out.begin() + 1);
  return out;
}

Bytes Utf16(const std::string& text) {
  // At most one code unit per byte of UTF-8; the surplus is cut at the end.
  Bytes out(2 * text.size());
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    uint8_t c = static_cast<uint8_t>(text[i]);
    uint32_t cp = c;
    size_t n = 1;
    if (c >= 0xF0) { cp = '?'; n = 4; }
    else if (c >= 0xE0) { cp = (c & 0x0Fu) << 12; n = 3; }
    else if (c >= 0xC0) { cp = (c & 0x1Fu) << 6; n = 2; }
    if (n > 1 && cp != '?') {
      if (i + n > text.size()) { cp = '?'; }
      else if (n == 2) { cp |= static_cast<uint8_t>(text[i + 1]) & 0x3Fu; }
      else { cp |= (static_cast<uint8_t>(text[i + 1]) & 0x3Fu) << 6 | (static_cast<uint8_t>(text[i + 2]) & 0x3Fu); }
    }
    out[2 * units] = static_cast<uint8_t>(cp);
    out[2 * units + 1] = static_cast<uint8_t>(cp >> 8);
    ++units;
    i += n;
  }
  out.resize(2 * units);
  return out;
}

RecordBuilder& RecordBuilder::SetType(uint8_t type) { type_ = type & 0x07; return *this; }
RecordBuilder& RecordBuilder::SetFixed(Bytes fixed) { fixed_ = std::move(fixed); return *this; }
RecordBuilder& RecordBuilder::SetColumnCount(uint16_t count) { columnCount_ = count; return *this; }
RecordBuilder& RecordBuilder::SetNull(uint16_t column) { nulls_.push_back(column); return *this; }
RecordBuilder& RecordBuilder::WithoutNullBitmap() { nullBitmap_ = false; return *this; }
RecordBuilder& RecordBuilder::AddVariable(Bytes value, bool complex) {
  variables_.emplace_back(std::move(value), complex);
  return *this;
}
RecordBuilder& RecordBuilder::ForceNullBitmap(Bytes bitmap) {
  nullBitmapBytes_ = std::move(bitmap);
  return *this;
}
RecordBuilder& RecordBuilder::ForceStatusA(uint8_t status) { statusA_ = status; return *this; }
RecordBuilder& RecordBuilder::ForceStatusB(uint8_t status) { statusB_ = status; return *this; }
RecordBuilder& RecordBuilder::ForceFixedEnd(uint16_t fixedEnd) { fixedEnd_ = fixedEnd; return *this; }
RecordBuilder& RecordBuilder::ForceColumnCount(uint16_t count) { forcedColumnCount_ = count; return *this; }
RecordBuilder& RecordBuilder::ForceVariableCount(uint16_t count) { variableCount_ = count; return *this; }
RecordBuilder& RecordBuilder::ForceEndOffset(size_t index, uint16_t raw) {
  endOffsets_.emplace_back(index, raw);
  return *this;
}
RecordBuilder& RecordBuilder::AppendTrailing(Bytes bytes) {
  trailing_.insert(trailing_.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes RecordBuilder::Build() const {
  uint16_t columns = columnCount_.value_or(0);
  if (!columnCount_) {
    uint16_t highestNull = 0;
    for (uint16_t n : nulls_) highestNull = std::max<uint16_t>(highestNull, static_cast<uint16_t>(n + 1));
    columns = std::max<uint16_t>({highestNull, static_cast<uint16_t>(variables_.size()), 1});
  }
  uint8_t statusA = static_cast<uint8_t>(type_ << 1);
  if (nullBitmap_) statusA |= 0x10;
  if (!variables_.empty()) statusA |= 0x20;

  Bytes out;
  out.push_back(statusA_.value_or(statusA));
  out.push_back(statusB_.value_or(0));
  AppendLE(out, fixedEnd_.value_or(static_cast<uint16_t>(4 + fixed_.size())), 2);
  AppendBytes(out, fixed_);
  AppendLE(out, forcedColumnCount_.value_or(columns), 2);
  if (nullBitmap_) {
    Bytes bitmap((columns + 7) / 8, 0);
    for (uint16_t n : nulls_)
      if (n / 8 < bitmap.size()) bitmap[n / 8] = static_cast<uint8_t>(bitmap[n / 8] | (1u << (n % 8)));
    if (nullBitmapBytes_) bitmap = *nullBitmapBytes_;
    out.insert(out.end(), bitmap.begin(), bitmap.end());
  }
  if (!variables_.empty() || variableCount_) {
    AppendLE(out, variableCount_.value_or(static_cast<uint16_t>(variables_.size())), 2);
    size_t offsetsAt = out.size();
    size_t end = out.size() + 2 * variables_.size();
    for (const auto& [value, complex] : variables_) {
      end += value.size();
      AppendLE(out, (end & 0x7FFF) | (complex ? 0x8000u : 0u), 2);
    }
    for (const auto& [value, complex] : variables_) out.insert(out.end(), value.begin(), value.end());
    for (const auto& [index, raw] : endOffsets_) PutUInt(out, offsetsAt + 2 * index, raw, 2);
  }
  out.insert(out.end(), trailing_.begin(), trailing_.end());
  return out;
}

Bytes ForwardingStub(PageAddress target, uint16_t slot) {
  Bytes out;
  out.push_back(static_cast<uint8_t>(2 << 1));
  AppendLE(out, static_cast<uint32_t>(target.pageNumber), 4);
  AppendLE(out, static_cast<uint16_t>(target.fileId), 2);
  AppendLE(out, slot, 2);
  return out;
}

Bytes ForwardedBackPointer(PageAddress stubPage, uint16_t slot) {
  Bytes out;
  AppendLE(out, 0x0400, 2);
  AppendLE(out, static_cast<uint32_t>(stubPage.pageNumber), 4);
  AppendLE(out, static_cast<uint16_t>(stubPage.fileId), 2);
  AppendLE(out, slot, 2);
  return out;
}

Bytes SparseVector(const std::vector<std::pair<uint16_t, Bytes>>& values) {
  Bytes out;
  AppendLE(out, 5, 2);
  AppendLE(out, values.size(), 2);
  for (const auto& [id, value] : values) AppendLE(out, id, 2);
  size_t end = 4 + 4 * values.size();
  for (const auto& [id, value] : values) {
    end += value.size();
    AppendLE(out, end, 2);
  }
  for (const auto& [id, value] : values) out.insert(out.end(), value.begin(), value.end());
  return out;
}

}  // namespace brinehold::writer
