#include "storage/pfs_page.h"

#include "storage/data_file.h"

namespace brinehold {

namespace {

constexpr size_t kRecordOffset = 96;        // the one record, slot 0
constexpr size_t kRecordLengthOffset = 98;  // after the two status bytes
constexpr size_t kStatesOffset = 100;       // one byte per page from here
constexpr uint16_t kRecordLength = 4 + kPagesPerPfsPage;
constexpr size_t kFirstSlotOffset = kPageSize - 2;

constexpr uint8_t kFullnessMask = 0x07;
constexpr uint8_t kHighestFullness = 4;
constexpr uint8_t kAllocatedBit = 0x40;
constexpr uint8_t kUnusedBit = 0x80;

// The first page of the range a PFS page at `pfsPage` covers.
int32_t RangeStart(int32_t pfsPage) { return pfsPage == 1 ? 0 : pfsPage; }

}  // namespace

PageAddress PfsPageFor(PageAddress page) {
  const int32_t range = page.pageNumber / kPagesPerPfsPage;
  return PageAddress{page.fileId, range == 0 ? 1 : range * kPagesPerPfsPage};
}

std::unique_ptr<PfsPage> PfsPage::Read(const CDataFile& file, PageAddress address) {
  auto buffer = file.ReadPage(address);
  if (!buffer) return nullptr;
  auto page = std::make_unique<PfsPage>(std::move(*buffer), &file, address);
  if (!page->Usable()) return nullptr;
  return page;
}

PfsPage::PfsPage(Bytes buffer, const CDataFile* file, PageAddress address)
    : CPage(std::move(buffer), file), address_(address) {
  usable_ = HeaderValid() && CheckLayout(address);
}

bool PfsPage::CheckLayout(PageAddress address) const {
  const CPage_Header& header = Header();
  if (header.pageType != kPfsPageType || header.thisPage != address) return false;
  if (address.pageNumber != PfsPageFor(address).pageNumber) return false;
  const ByteReader page = Reader();
  return header.slotCount >= 1 && page.U16(kFirstSlotOffset) == kRecordOffset &&
         page.U16(kRecordLengthOffset) == kRecordLength;
}

AllocationState PfsPage::StateOf(PageAddress page) const {
  if (!usable_ || page.fileId != address_.fileId) return AllocationState::Unknown;
  const int64_t index = int64_t{page.pageNumber} - RangeStart(address_.pageNumber);
  if (index < 0 || index >= kPagesPerPfsPage) return AllocationState::Unknown;
  auto state = Reader().U8(kStatesOffset + static_cast<size_t>(index));
  if (!state || (*state & kUnusedBit) != 0 || (*state & kFullnessMask) > kHighestFullness)
    return AllocationState::Unknown;
  return (*state & kAllocatedBit) != 0 ? AllocationState::Allocated : AllocationState::Free;
}

AllocationState PageAllocation::StateOf(PageAddress page) {
  if (page.pageNumber < 0) return AllocationState::Unknown;
  const PageAddress pfs = PfsPageFor(page);
  auto it = pages_.find(pfs);
  if (it == pages_.end()) it = pages_.emplace(pfs, PfsPage::Read(file_, pfs)).first;
  return it->second ? it->second->StateOf(page) : AllocationState::Unknown;
}

}  // namespace brinehold
