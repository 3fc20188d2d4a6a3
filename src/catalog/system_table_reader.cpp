#include "catalog/system_table_reader.h"

#include <algorithm>

#include "session/app_state.h"
#include "storage/data_page.h"
#include "storage/primary_record.h"

namespace brinehold {

namespace {

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }

}  // namespace

CatalogRecord ToCatalogRecord(const CPrimaryRecord& record) {
  CatalogRecord out;
  out.recordType = record.recordType;
  // An invalid record has no usable parts, whatever was copied before the
  // parse gave up.
  if (record.invalid) return out;
  out.hasFixed = record.HasFixedData();
  if (out.hasFixed) out.fixed = CopyOf(record.fixedData);
  out.columnCount = record.columnCount;
  out.variableColumns.reserve(record.values.size());
  for (const ColumnValue& value : record.values) {
    ByteReader bytes = value.Reader();
    out.variableColumns.emplace_back(bytes.data(), bytes.data() + bytes.size());
  }
  return out;
}

CatalogPage ToCatalogPage(const PrimaryRecordPage& page) {
  CatalogPage out;
  out.pageType = page.HeaderValid() ? page.Header().pageType : 0;
  out.slotCount = page.HeaderValid() ? page.Header().slotCount : 0;
  // Rows found by the deleted-row search extend the page's slot list.
  if (out.slotCount >= 1 && page.SlotCount() > out.slotCount) out.slotCount = page.SlotCount();
  out.records.reserve(page.RecordCount());
  for (size_t i = 0; i < page.RecordCount(); ++i) {
    const CPrimaryRecord* record = page.Record(i);
    if (record) out.records.emplace_back(ToCatalogRecord(*record));
    else out.records.emplace_back(std::nullopt);
  }
  return out;
}

CSystemTableReader::CSystemTableReader(CDataFile& file)
    : inventory_(file.systemPages), source_([&file](const PageEntry& entry) -> std::optional<CatalogPage> {
        auto page = file.ReadDataPage(entry.Address());
        if (!page) return std::nullopt;
        return ToCatalogPage(*page);
      }) {}

CSystemTableReader::CSystemTableReader(const PageInventory& inventory, PageSource source)
    : inventory_(inventory), source_(std::move(source)) {}

bool CSystemTableReader::ReadSystemTable(int32_t objectId, bool dataPagesOnly, const RecordSink& sink,
                                         const std::function<void()>& afterPage) {
  if (onTableStart) onTableStart(objectId);
  auto it = inventory_.find(objectId);
  if (it == inventory_.end()) return !StopRequested();
  // A copy: reading a page never changes the inventory, but the list must
  // not be invalidated under the loop whatever a sink does.
  const std::vector<PageEntry> entries = it->second;
  for (const PageEntry& entry : entries) {
    if (StopRequested()) return false;
    if (dataPagesOnly && entry.pageType != kDataPageType) continue;
    std::optional<CatalogPage> page = source_(entry);
    if (!page) continue;
    if (dataPagesOnly && page->pageType != kDataPageType) continue;
    if (page->slotCount < 1) continue;
    size_t count = std::min(static_cast<size_t>(page->slotCount), page->records.size());
    for (size_t i = 0; i < count; ++i) {
      if (StopRequested()) {
        if (afterPage) afterPage();
        return false;
      }
      if (!page->records[i]) continue;
      sink(*page->records[i], entry);
    }
    if (afterPage) afterPage();
  }
  return !StopRequested();
}

}  // namespace brinehold
