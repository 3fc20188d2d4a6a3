#include "storage/page_verification.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

namespace brinehold {

namespace {

constexpr size_t kSectorSize = 512;
constexpr size_t kSectors = kPageSize / kSectorSize;
constexpr size_t kProtectionField = 60;

// The 32-bit words of one sector XORed together. The page's size was
// checked by the caller, so the sector is read directly; the words are
// little-endian on disk as on the machine. XOR is order-free, so the sector
// is folded as 16-byte lanes into four independent sums (the checksum runs
// over every page of the inventory pass, which must keep up with a plain
// read), and the lanes' 32-bit halves are folded last.
uint32_t SectorXor(const uint8_t* sector) {
  static_assert(std::endian::native == std::endian::little, "page words are read in place");
  using Lane = uint64_t __attribute__((vector_size(16)));
  auto lane = [sector](size_t offset) {
    Lane word;
    std::memcpy(&word, sector + offset, sizeof word);
    return word;
  };
  Lane a = {}, b = {}, c = {}, d = {};
  for (size_t offset = 0; offset < kSectorSize; offset += 4 * sizeof(Lane)) {
    a ^= lane(offset);
    b ^= lane(offset + sizeof(Lane));
    c ^= lane(offset + 2 * sizeof(Lane));
    d ^= lane(offset + 3 * sizeof(Lane));
  }
  Lane folded = (a ^ b) ^ (c ^ d);
  uint64_t value = folded[0] ^ folded[1];
  return static_cast<uint32_t>(value) ^ static_cast<uint32_t>(value >> 32);
}

}  // namespace

uint32_t ComputePageChecksum(const ByteReader& page) {
  if (!page.Has(0, kPageSize)) return 0;
  uint32_t checksum = 0;
  for (size_t sector = 0; sector < kSectors; ++sector) {
    uint32_t value = SectorXor(page.data() + sector * kSectorSize);
    // The protection field holds the checksum itself and is left out:
    // XORing it in a second time cancels it.
    if (sector == kProtectionField / kSectorSize) value ^= *page.U32(kProtectionField);
    checksum ^= std::rotl(value, static_cast<int>(kSectors - 1 - sector));
  }
  return checksum;
}

PageVerification VerifyPage(const ByteReader& page) {
  PageVerification result;
  if (!page.Has(0, kPageSize)) return result;
  const uint16_t flags = *page.U16(4);
  result.stored = *page.U32(kProtectionField);
  if (flags & kChecksumFlag) {
    result.protection = PageProtection::Checksum;
    result.computed = ComputePageChecksum(page);
    result.verdict = result.computed == result.stored ? PageVerdict::Verified : PageVerdict::ChecksumMismatch;
  } else if (flags & kTornBitsFlag) {
    result.protection = PageProtection::TornBits;
    const uint8_t pattern = result.stored & 0x3;
    result.verdict = PageVerdict::Verified;
    for (size_t sector = 1; sector < kSectors; ++sector) {
      if ((*page.U8(sector * kSectorSize + kSectorSize - 1) & 0x3) != pattern) {
        result.verdict = PageVerdict::Torn;
        break;
      }
    }
  }
  return result;
}

void PageVerificationTally::Add(const ByteReader& page, PageAddress address) {
  constexpr size_t kHeaderVersionOffset = 0, kPageTypeOffset = 1, kPageNumberOffset = 32;
  if (page.GetOr<uint8_t>(kHeaderVersionOffset, 0) == 1 && page.GetOr<uint8_t>(kPageTypeOffset, 0) != 0 &&
      page.GetOr<int32_t>(kPageNumberOffset, address.pageNumber) != address.pageNumber)
    ++displaced;
  PageVerification verification = VerifyPage(page);
  if (verification.protection == PageProtection::None) return;
  ++checked;
  if (verification.Failed())
    AddFailed({address, verification.verdict, page.GetOr<uint8_t>(1, 0), page.GetOr<int32_t>(24, 0)});
}

void PageVerificationTally::AddFailed(const FailedPage& page) {
  ++failedCount;
  if (failed.size() < kFailedPagesKept) failed.push_back(page);
}

void PageVerificationTally::Merge(const PageVerificationTally& other, int16_t fileId) {
  checked += other.checked;
  displaced += other.displaced;
  // Pages beyond those `other` kept were counted there but not kept.
  const uint64_t unkept = other.failedCount - other.failed.size();
  for (FailedPage page : other.failed) {
    page.address.fileId = fileId;
    AddFailed(page);
  }
  failedCount += unkept;
}

const char* PageVerdictName(PageVerdict verdict) {
  switch (verdict) {
    case PageVerdict::Verified: return "verified";
    case PageVerdict::ChecksumMismatch: return "checksum mismatch";
    case PageVerdict::Torn: return "torn";
    case PageVerdict::Unprotected: break;
  }
  return "unprotected";
}

}  // namespace brinehold

namespace brinehold {

std::vector<std::string> VerificationReport(const PageVerificationTally& tally, size_t limit) {
  std::vector<std::string> lines;
  char text[160];
  std::snprintf(text, sizeof text, "Page verification: %llu of %llu protected pages failed.",
                static_cast<unsigned long long>(tally.failedCount), static_cast<unsigned long long>(tally.checked));
  lines.emplace_back(text);
  for (size_t i = 0; i < tally.failed.size() && i < limit; ++i) {
    const FailedPage& page = tally.failed[i];
    std::snprintf(text, sizeof text, "Page %d:%d (type %u, owner %d) failed verification: %s",
                  page.address.fileId, page.address.pageNumber, page.pageType, page.ownerObjectId,
                  PageVerdictName(page.verdict));
    lines.emplace_back(text);
  }
  const uint64_t named = std::min<uint64_t>(tally.failed.size(), limit);
  if (tally.failedCount > named) {
    std::snprintf(text, sizeof text, "... and %llu more pages failed verification.",
                  static_cast<unsigned long long>(tally.failedCount - named));
    lines.emplace_back(text);
  }
  if (tally.displaced > 0) {
    std::snprintf(text, sizeof text, "Page placement: %llu pages lie at another place than their header names.",
                  static_cast<unsigned long long>(tally.displaced));
    lines.emplace_back(text);
  }
  return lines;
}

}  // namespace brinehold
