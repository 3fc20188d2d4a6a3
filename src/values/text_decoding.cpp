#include "values/text_decoding.h"

#include "platform/text_codec.h"
#include "session/app_state.h"

namespace brinehold {

std::optional<int> CodePageOfCollation(int64_t collationId) {
  const CHalvardApp& app = TheApp();
  if (app.collation.known && app.collation.id == collationId) return app.collation.codePage;
  auto entry = app.collations.find(collationId);
  if (entry == app.collations.end()) return std::nullopt;
  return entry->second.codePage;
}

CodePageChoice SelectCodePage(ValueKind kind, const ColumnInfo& column) {
  CodePageChoice choice{kSystemAnsiCodePage};
  // The column's own collation decides whoever reads the row (a table
  // listing or the SharePoint and definition readers alike): reading text in
  // a code page other than its own would show other characters than stored.
  if (column.collationId == -1 || column.collationId == 0) return choice;
  auto codePage = CodePageOfCollation(column.collationId);
  if (!codePage) return choice;
  (void)kind;
  choice.codePage = *codePage;
  return choice;
}

std::optional<std::string> ConvertCodePage(ByteReader bytes, int codePage) {
  return TryDecodeCodePage(codePage, bytes.Span());
}

std::string ConvertCodePageOrWiden(ByteReader bytes, int codePage) {
  if (auto text = ConvertCodePage(bytes, codePage)) return std::move(*text);
  return WidenLatin1(bytes.Span());
}

bool LooksLikeUtf16(ByteReader bytes, size_t length) {
  size_t zeros = 0;
  for (size_t i = 0; i < length && i < bytes.size(); ++i) {
    if (bytes.GetOr<uint8_t>(i, 1) == 0) ++zeros;
  }
  return zeros == length / 2;
}

std::string Utf16Text(ByteReader bytes) { return Utf16LeToUtf8(bytes.Span()); }

}  // namespace brinehold
