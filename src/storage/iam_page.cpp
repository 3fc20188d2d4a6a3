#include "storage/iam_page.h"

#include <algorithm>

#include "storage/data_file.h"

namespace brinehold {

namespace {

constexpr size_t kSequenceOffset = 0;
constexpr size_t kStartPageOffset = 36;
constexpr size_t kSinglePagesOffset = 42;

}  // namespace

IamPage::IamPage(Bytes buffer, const CDataFile* file) : ExtentAllocationMap(std::move(buffer), file) {
  singlePages.fill(PageAddress{1, 0});
  ReadIamHeader();
}

void IamPage::ReadIamHeader() {
  const CPrimaryRecord* header = Record(0);
  if (!header || !header->HasFixedData()) return;
  ByteReader fields = header->FixedReader();
  auto sequence = fields.U32(kSequenceOffset);
  if (!sequence) return;
  hasIamHeader_ = true;
  sequenceNumber = *sequence;
  field14 = fields.GetOr<uint16_t>(14, 0);
  field28 = fields.GetOr<uint32_t>(28, 0);
  field32 = fields.GetOr<uint16_t>(32, 0);
  field34 = fields.GetOr<uint8_t>(34, 0);
  if (auto start = PageAddress::Read(fields, kStartPageOffset)) startPage = *start;
  for (int i = 0; i < kIamSinglePageSlots; ++i) {
    if (auto slot = PageAddress::Read(fields, kSinglePagesOffset + 6 * static_cast<size_t>(i)))
      singlePages[static_cast<size_t>(i)] = *slot;
  }
}

std::unique_ptr<IamPage> CDataFile::ReadIamPage(PageAddress address) const {
  auto buffer = ReadPage(address);
  if (!buffer) return nullptr;
  return std::make_unique<IamPage>(std::move(*buffer), this);
}

uint64_t PageCountOfFile(const CDataFile& file, int16_t fileId) {
  if (fileId == 1) return file.pageCount;
  auto it = file.secondaryFiles.find(fileId);
  return it == file.secondaryFiles.end() ? 0 : it->second.pageCount;
}

PageAddress MappedIntervalBase(const IamPage& iam) {
  const PageAddress start = iam.startPage;
  if (iam.HasIamHeader() && start.fileId > 0 && start.pageNumber >= 0 &&
      start.pageNumber % kPagesPerInterval == 0)
    return start;
  const PageAddress self = iam.Header().thisPage;
  int32_t own = self.pageNumber < 0 ? 0 : self.pageNumber;
  return PageAddress{self.fileId, own / kPagesPerInterval * kPagesPerInterval};
}

ExtentFlagRange MapExtentFlags(const IamPage& iam, const CDataFile* file) {
  const PageAddress base = MappedIntervalBase(iam);
  const CDataFile* source = file ? file : iam.File();
  const uint64_t pageCount = source ? PageCountOfFile(*source, base.fileId) : 0;
  // Extents that end beyond the mapped file are not listed.
  const int64_t fileExtents = static_cast<int64_t>(pageCount / kPagesPerExtent);
  const int64_t limit = fileExtents - base.pageNumber / kPagesPerExtent;
  return {base, std::max<int64_t>(0, std::min<int64_t>(iam.FlagCount(), limit))};
}

std::vector<AllocatedExtent> ListAllocatedExtents(const IamPage& iam, const CDataFile* file) {
  std::vector<AllocatedExtent> extents;
  const ExtentFlagRange flags = MapExtentFlags(iam, file);
  for (int64_t i = 0; i < flags.flagLimit; ++i) {
    if (!iam.IsExtentAllocated(static_cast<int32_t>(i))) continue;
    const int32_t page = static_cast<int32_t>(flags.base.pageNumber + kPagesPerExtent * i);
    extents.push_back({PageAddress{flags.base.fileId, page}, PageAddress{flags.base.fileId, page + kPagesPerExtent - 1}});
  }
  iam.SetAllocatedExtentCount(static_cast<int32_t>(extents.size()));
  return extents;
}

std::array<PageAddress, kPagesPerExtent> ExpandExtent(const AllocatedExtent& extent) {
  std::array<PageAddress, kPagesPerExtent> pages;
  for (int i = 0; i < kPagesPerExtent; ++i)
    pages[static_cast<size_t>(i)] = PageAddress{extent.firstPage.fileId, extent.firstPage.pageNumber + i};
  return pages;
}

}  // namespace brinehold
