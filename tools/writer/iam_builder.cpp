#include "writer/iam_builder.h"

#include "writer/record_builder.h"

namespace brinehold::writer {

namespace {

constexpr size_t kHeaderFixedSize = 90;
constexpr size_t kBitmapBytes = 7988;
constexpr uint8_t kIamPageType = 10;

void PutAddress(Bytes& fixed, size_t offset, PageAddress address) {
  PutUInt(fixed, offset, static_cast<uint32_t>(address.pageNumber), 4);
  PutUInt(fixed, offset + 4, static_cast<uint16_t>(address.fileId), 2);
}

void Fill(PageBuilder& page, const IamLayout& blueprint) {
  page.SetOwnerObjectId(blueprint.owner);
  page.SetIndexId(blueprint.indexId);
  page.SetNext(blueprint.next);
  page.SetPrevious(blueprint.previous);
  page.SetMinimumFixedLength(static_cast<int16_t>(kHeaderFixedSize));
  page.AddRecord(IamHeaderRecord(blueprint));
  page.AddRecord(IamBitmapRecord(blueprint.extents));
}

}  // namespace

Bytes IamHeaderRecord(const IamLayout& blueprint) {
  Bytes fixed(kHeaderFixedSize, 0);
  PutUInt(fixed, 0, blueprint.sequence, 4);
  PutAddress(fixed, 36, blueprint.startPage);
  for (size_t i = 0; i < 8; ++i) {
    PageAddress slot = i < blueprint.singlePages.size() ? blueprint.singlePages[i] : PageAddress{0, 0};
    PutAddress(fixed, 42 + 6 * i, slot);
  }
  return RecordBuilder().SetFixed(fixed).SetColumnCount(0).WithoutNullBitmap().Build();
}

Bytes IamBitmapRecord(const std::vector<int32_t>& extents) {
  Bytes bitmap(kBitmapBytes, 0);
  for (int32_t extent : extents) {
    if (extent < 0 || static_cast<size_t>(extent) >= kBitmapBytes * 8) continue;
    bitmap[static_cast<size_t>(extent) / 8] |= static_cast<uint8_t>(1u << (extent % 8));
  }
  return RecordBuilder().SetFixed(bitmap).SetColumnCount(0).WithoutNullBitmap().Build();
}

PageBuilder& AddIamPage(DatabaseFileBuilder& file, uint32_t number, const IamLayout& blueprint) {
  PageBuilder& page = file.Page(number, kIamPageType, blueprint.owner);
  Fill(page, blueprint);
  return page;
}

Bytes BuildIamPage(PageAddress self, const IamLayout& blueprint) {
  PageBuilder page(self, kIamPageType, blueprint.owner);
  Fill(page, blueprint);
  return page.Build();
}

}  // namespace brinehold::writer
