#include "writer/file_builder.h"

#include <cstdio>

#include "writer/record_builder.h"

namespace brinehold::writer {

namespace {
constexpr size_t kPage = 8192;
constexpr uint8_t kFileHeaderType = 15, kPfsType = 11, kGamType = 8, kSgamType = 9, kDcmType = 16,
                  kBcmType = 17, kBootType = 13;
// Owner object ids the allocation pages carry in real files.
constexpr int32_t kAllocationOwner = 99;
constexpr size_t kPfsBytes = 8088;      // page states per PFS page
constexpr size_t kBitmapBytes = 7988;   // extent bits per GAM-style page
constexpr size_t kMapHeaderBytes = 90;  // the first record of a GAM-style page

// A record the way the server writes allocation records: two zero status
// bytes, the record length, then the body.
Bytes AllocationRecord(const Bytes& body) {
  Bytes record = {0, 0};
  AppendLE(record, 4 + body.size(), 2);
  record.insert(record.end(), body.begin(), body.end());
  return record;
}
}  // namespace

// Fills the standard allocation pages with records describing which pages
// the file holds: PFS marks them allocated (0x40), GAM clears the "free" bit
// of every extent that holds one. SGAM, DCM and BCM carry empty bitmaps.
// Pages a caller filled with records of its own are left alone.
void DatabaseFileBuilder::FillAllocationPage(uint32_t number, PageBuilder& page) const {
  if (page.SlotCount() != 0) return;
  auto used = [this](uint32_t p) { return builders_.count(p) != 0 || raw_.count(p) != 0; };
  if (number == 1) {
    Bytes states(kPfsBytes, 0);
    for (uint32_t p = 0; p < pageCount_ && p < kPfsBytes; ++p)
      if (used(p)) states[p] = 0x40;
    page.AddRecord(AllocationRecord(states));
    return;
  }
  page.AddRecord(AllocationRecord(Bytes(kMapHeaderBytes, 0)));
  Bytes bits(kBitmapBytes, 0);
  if (number == 2) {
    for (uint32_t extent = 0; extent * 8 < pageCount_ && extent / 8 < kBitmapBytes; ++extent) {
      bool any = false;
      for (uint32_t p = extent * 8; p < extent * 8 + 8; ++p) any = any || used(p);
      if (!any) bits[extent / 8] = static_cast<uint8_t>(bits[extent / 8] | (1u << (extent % 8)));
    }
  }
  page.AddRecord(AllocationRecord(bits));
}

DatabaseFileBuilder::DatabaseFileBuilder(uint32_t pageCount, int16_t fileId)
    : pageCount_(pageCount), fileId_(fileId) {
  AddStandardPages();
}

void DatabaseFileBuilder::AddStandardPages() {
  if (pageCount_ > 0) Page(0, kFileHeaderType, kAllocationOwner).SetFlagBits(0x0200);
  // The allocation pages get their records when the file is built.
  if (pageCount_ > 1) Page(1, kPfsType, kAllocationOwner);
  if (pageCount_ > 2) Page(2, kGamType, kAllocationOwner);
  if (pageCount_ > 3) Page(3, kSgamType, kAllocationOwner);
  if (pageCount_ > 6) Page(6, kDcmType, kAllocationOwner);
  if (pageCount_ > 7) Page(7, kBcmType, kAllocationOwner);
  if (fileId_ == 1 && pageCount_ > 9) Page(9, kBootType, kAllocationOwner);
}

PageBuilder& DatabaseFileBuilder::Page(uint32_t number, uint8_t type, int32_t owner) {
  raw_.erase(number);
  auto& slot = builders_[number];
  if (!slot)
    slot = std::make_unique<PageBuilder>(PageAddress{fileId_, static_cast<int32_t>(number)}, type, owner);
  return *slot;
}

bool DatabaseFileBuilder::HasPage(uint32_t number) const {
  return builders_.count(number) != 0 || raw_.count(number) != 0;
}

void DatabaseFileBuilder::SetPage(uint32_t number, Bytes page) {
  builders_.erase(number);
  page.resize(kPage, 0);
  raw_[number] = std::move(page);
}

void DatabaseFileBuilder::ClearPage(uint32_t number) {
  builders_.erase(number);
  raw_.erase(number);
}

Bytes DatabaseFileBuilder::Build(size_t leadingBytes) const {
  Bytes out(leadingBytes, 0xA5);
  out.resize(leadingBytes + static_cast<size_t>(pageCount_) * kPage, 0);
  auto place = [&](uint32_t number, const Bytes& page) {
    if (number >= pageCount_) return;
    size_t at = leadingBytes + static_cast<size_t>(number) * kPage;
    for (size_t i = 0; i < kPage && i < page.size(); ++i) out[at + i] = page[i];
  };
  for (const auto& [number, builder] : builders_) {
    bool allocation = number == 1 || number == 2 || number == 3 || number == 6 || number == 7;
    if (allocation && fileId_ > 0) {
      PageBuilder filled = *builder;
      FillAllocationPage(number, filled);
      place(number, filled.Build());
      continue;
    }
    place(number, builder->Build());
  }
  for (const auto& [number, page] : raw_) place(number, page);
  return out;
}

bool DatabaseFileBuilder::WriteTo(const std::string& path, size_t leadingBytes) const {
  Bytes image = Build(leadingBytes);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(image.data(), 1, image.size(), file) == image.size();
  ok = (std::fclose(file) == 0) && ok;
  return ok;
}

}  // namespace brinehold::writer
