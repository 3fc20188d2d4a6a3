#include "writer/file_builder.h"

#include <cstdio>

namespace brinehold::writer {

namespace {
constexpr size_t kPage = 8192;
constexpr uint8_t kFileHeaderType = 15, kPfsType = 11, kGamType = 8, kSgamType = 9, kDcmType = 16,
                  kBcmType = 17, kBootType = 13;
// Owner object ids the allocation pages carry in real files.
constexpr int32_t kAllocationOwner = 99;
}  // namespace

DatabaseFileBuilder::DatabaseFileBuilder(uint32_t pageCount, int16_t fileId)
    : pageCount_(pageCount), fileId_(fileId) {
  AddStandardPages();
}

void DatabaseFileBuilder::AddStandardPages() {
  if (pageCount_ > 0) Page(0, kFileHeaderType, kAllocationOwner).SetFlagBits(0x0200);
  // The allocation maps are headers only for now; the reader does not
  // interpret their bodies yet.
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
