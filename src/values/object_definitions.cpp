#include "values/object_definitions.h"

#include <algorithm>
#include <charconv>

#include "session/app_state.h"
#include "values/object_values.h"

namespace brinehold {

namespace {

int64_t NumberOr(const std::string& text, int64_t fallback) {
  int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

}  // namespace

void ObjectDefinitions::ReadScanObjectValues(const CDatabaseCatalog& catalog, WindowPort& window) {
  const bool legacy = TheApp().settings.legacyCatalog;
  ReadObjectValues(catalog, window, legacy ? SysCommentsColumns() : SysObjValuesColumns(), scanObjectValues);
}

std::string ObjectDefinitions::GetDefinitionText(const CDatabaseCatalog& catalog, WindowPort& window,
                                                 const std::string& idText, const std::vector<ColumnInfo>& columns) {
  if (!objectValuesRead) {
    objectValuesRead = true;
    ReadObjectValues(catalog, window, columns, objectValues);
    if (objectValues.empty()) objectValuesRead = false;
  }
  return JoinDefinitionPieces(objectValues, idText, TheApp().settings.legacyCatalog);
}

void ObjectDefinitions::Reset() {
  scanObjectValues.clear();
  objectValues.clear();
  objectValuesRead = false;
}

std::string JoinDefinitionPieces(const std::vector<ObjectValueEntry>& values, const std::string& idText,
                                 bool legacy) {
  std::vector<const ObjectValueEntry*> pieces;
  for (const ObjectValueEntry& entry : values)
    if (entry.objectId == idText) pieces.push_back(&entry);
  if (legacy) {
    auto key = [](const ObjectValueEntry* entry) {
      return std::pair(NumberOr(entry->subObjectId, 0), NumberOr(entry->part, 0));
    };
    std::stable_sort(pieces.begin(), pieces.end(),
                     [&](const ObjectValueEntry* a, const ObjectValueEntry* b) { return key(a) < key(b); });
  }
  std::string text;
  for (const ObjectValueEntry* entry : pieces) {
    bool utf16 = false;
    std::string piece = DecodeObjectValueText(entry->value, &utf16);
    if (!utf16 && piece == text) continue;
    text += piece;
  }
  return text;
}

}  // namespace brinehold
