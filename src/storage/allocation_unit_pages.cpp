#include "storage/allocation_unit_pages.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "session/app_state.h"
#include "storage/data_file.h"
#include "storage/iam_page.h"
#include "storage/unique_pages.h"
#include "storage/unit_page_check.h"

namespace brinehold {

namespace {

bool StopRequested() { return TheApp().stopRequested.load(std::memory_order_relaxed); }

// Reads an IAM page for a walk; null when it cannot be read or is some
// other kind of page (a damaged pointer).
std::unique_ptr<IamPage> ReadChainPage(const CDataFile& file, PageAddress address) {
  auto iam = file.ReadIamPage(address);
  if (!iam || !iam->HeaderValid() || iam->Header().pageType != kIamPageType) return nullptr;
  return iam;
}

// Reads the IAM chain from `firstIam` one page at a time. Every page of
// one chain belongs to the same allocation unit: a page whose header names
// another owner was reached through a damaged pointer (into another unit's
// chain, whose pages would be read with the wrong columns), and the walk
// ends there.
class IamChainWalker {
 public:
  IamChainWalker(const CDataFile& file, PageAddress firstIam) : file_(file), next_(firstIam) {}

  // The next IAM page of the chain and its address; null at the end.
  std::unique_ptr<IamPage> Next(PageAddress& address) {
    if (next_.pageNumber == 0 || StopRequested()) return nullptr;
    address = next_;
    next_ = PageAddress{};  // ends the walk unless this page leads on
    if (!seen_.insert(address).second) return nullptr;
    auto iam = ReadChainPage(file_, address);
    if (!iam) return nullptr;
    const std::pair<int32_t, int16_t> pageOwner{iam->Header().ownerObjectId, iam->Header().indexId};
    if (!owner_) owner_ = pageOwner;
    else if (*owner_ != pageOwner) return nullptr;
    next_ = iam->Header().nextPage;
    return iam;
  }

 private:
  const CDataFile& file_;
  PageAddress next_;
  std::set<PageAddress> seen_;
  std::optional<std::pair<int32_t, int16_t>> owner_;
};

// Visits the IAM chain from `firstIam`; `visit` gets each IAM page read.
template <typename Visit>
void WalkChain(const CDataFile& file, PageAddress firstIam, Visit visit) {
  IamChainWalker walker(file, firstIam);
  PageAddress address;
  while (auto iam = walker.Next(address)) visit(address, *iam);
}

// The single pages of an IAM page that lie in a file.
void AppendSinglePages(const IamPage& iam, const CDataFile& file, std::vector<PageAddress>& pages) {
  for (const PageAddress& slot : iam.singlePages) {
    if (slot.pageNumber <= 0 || slot.fileId == 0) continue;
    if (static_cast<uint64_t>(slot.pageNumber) >= PageCountOfFile(file, slot.fileId)) continue;
    pages.push_back(slot);
  }
}

// The pages of an IAM chain a few extents at a time, each IAM page's
// single pages then its extents (repeats are left to the page sequence).
// One IAM page maps a 4 GB interval: expanding each only as far as a
// listing reads keeps the cost of a first list page independent of the
// table's size.
class IamChainPageSource {
 public:
  // Extents expanded per call: a list page of narrow rows takes a few.
  static constexpr int64_t kExtentsPerBatch = 64;

  IamChainPageSource(const CDataFile& file, PageAddress firstIam) : file_(&file), walker_(file, firstIam) {}

  bool operator()(const PageRunSet&, std::vector<PageAddress>& batch) {
    if (!iam_ && !OpenNextIamPage(batch)) return false;
    int64_t extents = 0;
    for (; nextFlag_ < flags_.flagLimit && extents < kExtentsPerBatch; ++nextFlag_) {
      if (!iam_->IsExtentAllocated(static_cast<int32_t>(nextFlag_))) continue;
      const int64_t first = flags_.base.pageNumber + kPagesPerExtent * nextFlag_;
      for (int i = 0; i < kPagesPerExtent; ++i) {
        const PageAddress page{flags_.base.fileId, static_cast<int32_t>(first + i)};
        if (page.fileId != 0 && page.pageNumber != 0) batch.push_back(page);
      }
      ++extents;
    }
    if (nextFlag_ >= flags_.flagLimit) iam_.reset();
    return true;
  }

 private:
  // Reads the chain's next IAM page and lists its single pages.
  bool OpenNextIamPage(std::vector<PageAddress>& batch) {
    PageAddress address;
    iam_ = walker_.Next(address);
    if (!iam_) return false;
    AppendSinglePages(*iam_, *file_, batch);
    flags_ = MapExtentFlags(*iam_, file_);
    nextFlag_ = 0;
    return true;
  }

  const CDataFile* file_;
  IamChainWalker walker_;
  std::shared_ptr<IamPage> iam_;  // the page being expanded
  ExtentFlagRange flags_;
  int64_t nextFlag_ = 0;
};

// Appends the pages of one IAM page that `keep` asks for.
class UnitPageCollector {
 public:
  UnitPageCollector(const CDataFile& file, UnitPages keep) : file_(file), keep_(keep), check_(file) {}

  void Append(const IamPage& iam, std::vector<PageAddress>& pages) {
    const size_t first = pages.size();
    AppendIamPagePages(iam, file_, pages);
    // Checked where read: the reader drops foreign pages, and freed ones
    // unless deleted rows are shown.
    if (keep_ == UnitPages::Listed) return;
    const PageOwner owner = PageOwner::Of(iam.Header());
    auto dropped = [&](const PageAddress& page) {
      if (StopRequested()) return true;  // the walk ends at the next IAM page
      const UnitPageKind kind = check_.Check(page, owner);
      return kind == UnitPageKind::Foreign || (kind == UnitPageKind::Freed && keep_ != UnitPages::LiveAndFreed);
    };
    pages.erase(std::remove_if(pages.begin() + static_cast<std::ptrdiff_t>(first), pages.end(), dropped),
                pages.end());
  }

 private:
  const CDataFile& file_;
  UnitPages keep_;
  UnitPageCheck check_;
};

}  // namespace

void AppendIamPagePages(const IamPage& iam, const CDataFile& file, std::vector<PageAddress>& pages) {
  AppendSinglePages(iam, file, pages);
  const std::vector<AllocatedExtent> extents = ListAllocatedExtents(iam, &file);
  const size_t needed = pages.size() + extents.size() * kPagesPerExtent;
  if (needed > pages.capacity()) pages.reserve(std::max(needed, 2 * pages.capacity()));
  for (const AllocatedExtent& extent : extents) {
    for (const PageAddress& page : ExpandExtent(extent))
      if (page.fileId != 0 && page.pageNumber != 0) pages.push_back(page);
  }
}

PageSequence IamChainPages(const CDataFile& file, PageAddress firstIam) {
  return PageSequence(IamChainPageSource(file, firstIam));
}

std::vector<PageAddress> ListIamChainPages(const CDataFile& file, PageAddress firstIam) {
  return IamChainPages(file, firstIam).TakeAll();
}

std::optional<PageOwner> IamChainOwner(const CDataFile& file, PageAddress firstIam) {
  if (firstIam.pageNumber == 0) return std::nullopt;
  auto iam = ReadChainPage(file, firstIam);
  if (!iam) return std::nullopt;
  return PageOwner::Of(iam->Header());
}

std::vector<PageAddress> WalkIamChain(const CDataFile& file, PageAddress firstIam) {
  std::vector<PageAddress> chain;
  WalkChain(file, firstIam, [&](PageAddress address, const IamPage&) { chain.push_back(address); });
  return chain;
}

std::vector<PageAddress> ListInventoryIamPages(const CDataFile& file, int32_t objectId, UnitPages keep) {
  std::vector<PageAddress> pages;
  UnitPageCollector collector(file, keep);
  auto it = file.iamPages.find(objectId);
  if (it == file.iamPages.end()) return pages;
  std::set<PageAddress> seen;
  for (const PageEntry& entry : it->second) {
    if (StopRequested()) break;
    const PageAddress address = entry.Address();
    if (address.pageNumber == 0) break;
    if (!seen.insert(address).second) continue;
    auto iam = file.ReadIamPage(address);
    if (!iam) break;
    collector.Append(*iam, pages);
  }
  KeepFirstOfEach(pages);
  return pages;
}

}  // namespace brinehold
