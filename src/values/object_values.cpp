#include "values/object_values.h"

#include <span>

#include "catalog/database_catalog.h"
#include "catalog/hex_value.h"
#include "catalog/value_kind.h"
#include "platform/text_codec.h"
#include "session/app_state.h"
#include "storage/data_page.h"
#include "storage/page_header.h"
#include "values/page_rows.h"
#include "values/row_renderer.h"

namespace brinehold {

namespace {

std::vector<ColumnInfo> StoredInOrder(std::vector<ColumnInfo> columns) {
  int32_t id = 0;
  for (ColumnInfo& column : columns) {
    column.columnId = ++id;
    column.hobtColumnId = id;
    column.stored = 1;
  }
  return columns;
}

// The entry of one decoded row; nothing for a row without values.
bool EntryOfRow(const RenderedRow& row, bool legacy, ObjectValueEntry& entry) {
  if (row.empty()) return false;
  if (legacy) {
    entry.objectId = row[0].valueText;
    if (row.size() >= 2) entry.subObjectId = row[1].valueText;
    if (row.size() >= 5) entry.value = row[4].valueText;
    if (row.size() >= 3) entry.part = row[2].valueText;
  } else {
    if (row.size() < 3) return false;
    entry.objectId = row[1].valueText;
    entry.subObjectId = row[2].valueText;
    entry.value = row.back().valueText;
    if (row.size() >= 4) entry.part = row[3].valueText;
  }
  return true;
}

}  // namespace

std::vector<ColumnInfo> SysObjValuesColumns() {
  return StoredInOrder({
      BuildColumnInfo("valclass", "tinyint(1)", ValueKind::TinyInt),
      BuildColumnInfo("objid", "int(4)", ValueKind::Int),
      BuildColumnInfo("subobjid", "int(4)", ValueKind::Int),
      BuildColumnInfo("valnum", "int(4)", ValueKind::Int),
      BuildColumnInfo("value", "sql_variant(8016)", ValueKind::SqlVariant),
      BuildColumnInfo("imageval", "varbinary(-1)", ValueKind::VarBinary),
  });
}

std::vector<ColumnInfo> SysCommentsColumns() {
  // The fixed columns carry their widths in the type text: the catalog row
  // decoder steps over a fixed column by the width the type text names, so
  // without them every column would be read at the row's first byte.
  return StoredInOrder({
      BuildColumnInfo("id", "int(4)", ValueKind::Int),
      BuildColumnInfo("number", "smallint(2)", ValueKind::SmallInt),
      BuildColumnInfo("colid", "smallint(2)", ValueKind::SmallInt),
      BuildColumnInfo("status", "smallint(2)", ValueKind::SmallInt),
      BuildColumnInfo("ctext", "varbinary(-1)", ValueKind::VarBinary),
  });
}

void ReadObjectValues(const CDatabaseCatalog& catalog, WindowPort& window, const std::vector<ColumnInfo>& columns,
                      std::vector<ObjectValueEntry>& target) {
  window.LogLine(kTextReadingObjectValues);
  const CHalvardApp& app = TheApp();
  const bool legacy = app.settings.legacyCatalog;
  static const std::vector<PageEntry> kNoPages;
  const std::vector<PageEntry>* entries = &kNoPages;
  if (catalog.dataFile) {
    const PageInventory& pages = catalog.dataFile->systemPages;
    auto it = pages.find(legacy ? kSysComments : kSysObjValues);
    if (it != pages.end()) entries = &it->second;
  }
  const int64_t count = static_cast<int64_t>(entries->size());
  window.SetProgressRange(0, count);
  window.SetProgressPosition(0);

  // Definition rows use the rowset variant under the same rule as table rows.
  const RenderVariant variant = TableRenderVariant(catalog.tableSchema) == RenderVariant::RowsetTable
                                    ? RenderVariant::RowsetCatalog
                                    : RenderVariant::PositionalCatalog;
  RowDecodingContext context = BuildRowDecodingContext(columns);
  for (int64_t index = 0; index < count && !app.stopRequested; ++index) {
    const PageEntry& entry = (*entries)[static_cast<size_t>(index)];
    if (entry.pageType != kDataPageType) continue;
    auto page = catalog.dataFile->ReadDataPage(entry.Address());
    if (!page || !page->HeaderValid() || page->Header().pageType != kDataPageType) continue;
    for (const RenderedRow& row : RenderPageRows(*page, context, variant)) {
      ObjectValueEntry value;
      if (EntryOfRow(row, legacy, value)) target.push_back(std::move(value));
    }
    window.SetProgressPosition(index);
  }
  window.SetProgressPosition(count);
  window.LogLine(kTextObjectValuesDone);
}

std::string DecodeObjectValueText(const std::string& hexValue, bool* utf16) {
  if (utf16) *utf16 = false;
  std::optional<HexValue> value = DecodeHexValue(hexValue);
  if (!value || value->bytes.empty()) return {};
  const Bytes& bytes = value->bytes;
  if (value->utf16) {
    if (utf16) *utf16 = true;
    size_t end = 0;
    while (end + 1 < bytes.size() && (bytes[end] != 0 || bytes[end + 1] != 0)) end += 2;
    return Utf16LeToUtf8(std::span<const uint8_t>(bytes.data(), end));
  }
  size_t end = 0;
  while (end < bytes.size() && bytes[end] != 0) ++end;
  return DecodeCodePage(kSystemAnsiCodePage, std::span<const uint8_t>(bytes.data(), end));
}

}  // namespace brinehold
