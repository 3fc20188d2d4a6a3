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
constexpr uint32_t kPfsBytes = 8088;    // page states per PFS page
constexpr uint8_t kPfsAllocated = 0x40, kPfsIamPage = 0x10;
constexpr uint8_t kIamType = 10;
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

uint8_t DatabaseFileBuilder::TypeOf(uint32_t number) const {
  if (auto it = builders_.find(number); it != builders_.end()) return it->second->PageType();
  if (auto it = raw_.find(number); it != raw_.end() && it->second.size() > 1) return it->second[1];
  return 0;
}

bool DatabaseFileBuilder::IsAllocationPage(uint32_t number) const {
  return number == 2 || number == 3 || number == 6 || number == 7 || number == 1 ||
         (number > 1 && number % kPfsBytes == 0);
}

// The page states of the PFS range from `number` on (from 0 for page 1):
// allocated (0x40, with 0x10 for IAM pages) for every page the file holds,
// unless marked unallocated.
void DatabaseFileBuilder::FillPfsPage(uint32_t number, PageBuilder& page) const {
  const uint32_t first = number == 1 ? 0 : number;
  Bytes states(kPfsBytes, 0);
  for (uint32_t p = first; p < pageCount_ && p - first < kPfsBytes; ++p) {
    if (!HasPage(p) || unallocated_.count(p)) continue;
    states[p - first] = static_cast<uint8_t>(kPfsAllocated | (TypeOf(p) == kIamType ? kPfsIamPage : 0));
  }
  page.AddRecord(AllocationRecord(states));
}

// Fills the standard allocation pages with records describing which pages
// the file holds: the PFS pages their states, GAM clears the "free" bit of
// every extent that holds one. SGAM, DCM and BCM carry empty bitmaps. Pages
// a caller filled with records of its own are left alone.
void DatabaseFileBuilder::FillAllocationPage(uint32_t number, PageBuilder& page) const {
  if (page.SlotCount() != 0) return;
  auto used = [this](uint32_t p) { return HasPage(p); };
  if (number == 1 || number % kPfsBytes == 0) {
    FillPfsPage(number, page);
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
  for (uint32_t pfs = 1; pfs < pageCount_; pfs = pfs == 1 ? kPfsBytes : pfs + kPfsBytes)
    Page(pfs, kPfsType, kAllocationOwner);
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

void DatabaseFileBuilder::MarkUnallocated(uint32_t number) { unallocated_.insert(number); }

Bytes DatabaseFileBuilder::Build(size_t leadingBytes) const {
  Bytes out(leadingBytes, 0xA5);
  out.resize(leadingBytes + static_cast<size_t>(pageCount_) * kPage, 0);
  auto place = [&](uint32_t number, const Bytes& page) {
    if (number >= pageCount_) return;
    size_t at = leadingBytes + static_cast<size_t>(number) * kPage;
    for (size_t i = 0; i < kPage && i < page.size(); ++i) out[at + i] = page[i];
  };
  for (const auto& [number, builder] : builders_) {
    if (IsAllocationPage(number) && fileId_ > 0) {
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
