#include "values/text_decoding.h"

#include "platform/text_codec.h"
#include "session/app_state.h"

namespace brinehold {
namespace {

ByteReader UpToZero(ByteReader bytes) {
  size_t n = 0;
  while (n < bytes.size() && bytes.GetOr<uint8_t>(n, 0) != 0) ++n;
  return ByteReader(bytes.data(), n);
}

}  // namespace

std::optional<int> CodePageOfCollation(int64_t collationId) {
  const CHalvardApp& app = TheApp();
  if (app.collation.known && app.collation.id == collationId) return app.collation.codePage;
  auto entry = app.collations.find(collationId);
  if (entry == app.collations.end()) return std::nullopt;
  return entry->second.codePage;
}

CodePageChoice SelectCodePage(ValueKind kind, const ColumnInfo& column) {
  CodePageChoice choice{kSystemAnsiCodePage, false};
  // The column's own collation decides whoever reads the row (a table
  // listing or the SharePoint and definition readers alike): reading text in
  // a code page other than its own would show other characters than stored.
  if (column.collationId == -1 || column.collationId == 0) return choice;
  auto codePage = CodePageOfCollation(column.collationId);
  if (!codePage) return choice;
  choice.codePage = *codePage;
  choice.fixedChar = kind == ValueKind::Char && TheApp().collation.known;
  return choice;
}

std::optional<std::string> ConvertCodePage(ByteReader bytes, int codePage) {
  return TryDecodeCodePage(codePage, UpToZero(bytes).Span());
}

std::string ConvertCodePageOrWiden(ByteReader bytes, int codePage) {
  if (auto text = ConvertCodePage(bytes, codePage)) return std::move(*text);
  return WidenLatin1(UpToZero(bytes).Span());
}

std::string ConvertFixedChar(ByteReader bytes, int codePage) {
  ByteReader head = UpToZero(bytes);
  std::string text = DecodeCodePage(codePage, head.Span());
  for (size_t i = head.size(); i < bytes.size(); ++i) {
    uint8_t byte = bytes.GetOr<uint8_t>(i, 0);
    if (byte == 0) {
      text.push_back('_');
    } else {
      text += DecodeCodePage(kSystemAnsiCodePage, std::span<const uint8_t>(&byte, 1));
    }
  }
  return text;
}

bool LooksLikeUtf16(ByteReader bytes, size_t length) {
  size_t zeros = 0;
  for (size_t i = 0; i < length && i < bytes.size(); ++i) {
    if (bytes.GetOr<uint8_t>(i, 1) == 0) ++zeros;
  }
  return zeros == length / 2;
}

std::string Utf16UpToZero(ByteReader bytes) {
  size_t n = 0;
  while (n + 1 < bytes.size() && (bytes.GetOr<uint8_t>(n, 0) | bytes.GetOr<uint8_t>(n + 1, 0)) != 0) n += 2;
  return Utf16LeToUtf8(bytes.Span().subspan(0, n));
}

}  // namespace brinehold
