#include "writer/boot_page_builder.h"

#include <algorithm>
#include <array>
#include <utility>

namespace brinehold::writer {

namespace {

constexpr size_t kRecordStart = 96;
constexpr size_t kNameCodeUnits = 104;
constexpr uint8_t kBootPageType = 13;
// The record must reach past the first system-index page pointer (616 + 2).
constexpr uint16_t kMinimumRecordLength = 618 - kRecordStart;

// Boot record lengths measured in real files, by format version.
constexpr std::array<std::pair<uint16_t, uint16_t>, 11> kRecordLengths = {{
    {539, 552}, {611, 732}, {655, 1444}, {661, 1444}, {706, 1504}, {782, 1554},
    {852, 1620}, {869, 1644}, {904, 1768}, {957, 1786}, {998, 1832},
}};

// A field at its page offset, written into the record that starts at 96.
void PutField(Bytes& record, size_t pageOffset, uint64_t value, size_t width) {
  PutUInt(record, pageOffset - kRecordStart, value, width);
}

}  // namespace

uint16_t BootRecordLength(uint16_t formatVersion) {
  uint16_t length = kMinimumRecordLength;
  for (const auto& [version, measured] : kRecordLengths) {
    if (version <= formatVersion) length = measured;
  }
  return std::max(length, kMinimumRecordLength);
}

Bytes BuildBootRecord(const BootPageLayout& blueprint) {
  uint16_t length = blueprint.recordLength ? std::max(blueprint.recordLength, kMinimumRecordLength)
                                      : BootRecordLength(blueprint.formatVersion);
  Bytes record(length, 0);
  PutUInt(record, 2, length, 2);
  PutField(record, 100, blueprint.formatVersion, 2);
  PutField(record, 102, blueprint.creationVersion ? blueprint.creationVersion : blueprint.formatVersion, 2);
  for (size_t i = 0; i < kNameCodeUnits; ++i) {
    char16_t unit = i < blueprint.databaseName.size() ? blueprint.databaseName[i] : blueprint.padding;
    PutField(record, 148 + 2 * i, unit, 2);
  }
  PutField(record, 488, static_cast<uint32_t>(blueprint.collationId), 4);
  PutField(record, 612, static_cast<uint32_t>(blueprint.firstSysIndexPage), 4);
  PutField(record, 616, static_cast<uint16_t>(blueprint.firstSysIndexFile), 2);
  return record;
}

void PlaceBootRecord(PageBuilder& page, const BootPageLayout& blueprint) {
  page.AddRecordAt(static_cast<uint16_t>(kRecordStart), BuildBootRecord(blueprint));
}

Bytes BuildBootPage(const BootPageLayout& blueprint) {
  PageBuilder page(PageAddress{blueprint.fileId, blueprint.pageNumber}, kBootPageType, kBootPageOwner);
  PlaceBootRecord(page, blueprint);
  return page.Build();
}

}  // namespace brinehold::writer
