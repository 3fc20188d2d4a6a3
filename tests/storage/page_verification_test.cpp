// Page checksums and torn-page bits: every protected page of the real files
// verifies where it lies, one changed byte anywhere makes a page fail, and
// the writer's pages verify as the server's do.
#include <gtest/gtest.h>

#include "storage/page_verification.h"
#include "support/corpus.h"
#include "support/temp_dir.h"
#include "writer/page_builder.h"

namespace brinehold {
namespace {

Bytes PageOf(const Bytes& file, uint64_t index) {
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(index * kPageSize),
               file.begin() + static_cast<std::ptrdiff_t>((index + 1) * kPageSize));
}

// A page that lies at its own place: the rest of a file (unused space, pages
// of an earlier file) is not a page the server wrote there.
bool InPlace(const Bytes& page, uint64_t index) {
  ByteReader r(page);
  return r.GetOr<uint32_t>(32, 0) == index && r.GetOr<uint16_t>(36, 0) == 1;
}

TEST(PageVerification, EveryProtectedCorpusPageVerifiesAndFailsWithOneByteChanged) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  uint64_t checksums = 0, torn = 0;
  bool everyOffsetTried = false;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    const Bytes file = test::ReadWholeFile(path);
    for (uint64_t index = 0; index < file.size() / kPageSize; ++index) {
      Bytes page = PageOf(file, index);
      const PageVerification verification = VerifyPage(ByteReader(page));
      if (verification.protection == PageProtection::None || !InPlace(page, index)) continue;
      ASSERT_EQ(verification.verdict, PageVerdict::Verified) << "page " << index;
      if (verification.protection == PageProtection::TornBits) {
        ++torn;
        continue;
      }
      ++checksums;
      // One byte changed, at a place that moves with the page number.
      const size_t at = (index * 2654435761u) % kPageSize;
      page[at] ^= 0x5A;
      EXPECT_EQ(VerifyPage(ByteReader(page)).verdict, PageVerdict::ChecksumMismatch) << "page " << index << " byte " << at;
      page[at] ^= 0x5A;
      if (!everyOffsetTried) {
        everyOffsetTried = true;
        for (size_t offset = 0; offset < kPageSize; ++offset) {
          page[offset] ^= 0x01;
          const PageVerdict verdict = VerifyPage(ByteReader(page)).verdict;
          page[offset] ^= 0x01;
          // Clearing the checksum flag itself leaves the page unprotected.
          if (offset == 5) continue;
          ASSERT_EQ(verdict, PageVerdict::ChecksumMismatch) << "byte " << offset;
        }
      }
    }
  }
  EXPECT_GT(checksums, 1000u);
  EXPECT_GT(torn, 100u);
}

TEST(PageVerification, WriterPagesVerifyAndDamageIsNamed) {
  writer::PageBuilder builder({1, 20}, kDataPageType, 1000);
  builder.AddRecord(Bytes(40, 0x33));
  struct Case {
    const char* name;
    Bytes page;
    PageVerdict expected;
  };
  Bytes checksummed = builder.Build();
  Bytes changed = checksummed;
  changed[4000] ^= 0x80;
  Bytes torn = writer::PageBuilder(builder).ProtectTornBits(0x2).Build();
  Bytes tornSector = torn;
  tornSector[512 * 7 + 511] ^= 0x3;  // sector 7 not written with the rest
  Bytes unprotected = writer::PageBuilder(builder).SetFlagBits(0).Build();
  const Case cases[] = {
      {"checksum", checksummed, PageVerdict::Verified},
      {"checksum, one bit changed", changed, PageVerdict::ChecksumMismatch},
      {"torn bits", torn, PageVerdict::Verified},
      {"torn bits, one sector stale", tornSector, PageVerdict::Torn},
      {"no protection", unprotected, PageVerdict::Unprotected},
      {"short buffer", Bytes(100, 0), PageVerdict::Unprotected},
  };
  for (const Case& c : cases) EXPECT_EQ(VerifyPage(ByteReader(c.page)).verdict, c.expected) << c.name;
}

TEST(PageVerification, ReportCountsAndNamesFailedPagesUpToTheLimit) {
  PageVerificationTally tally;
  for (int32_t page = 1; page <= 4; ++page) {
    // Each page where its header says it is: a displaced page has its own line.
    Bytes bytes = writer::PageBuilder({1, page}, kDataPageType, 77).Build();
    if (page % 2 == 0) bytes[200] ^= 1;
    tally.Add(ByteReader(bytes), {1, page});
  }
  tally.Add(ByteReader(writer::PageBuilder({1, 5}, 1).SetFlagBits(0).Build()), {1, 5});
  EXPECT_EQ(tally.checked, 4u);
  ASSERT_EQ(tally.failed.size(), 2u);
  EXPECT_EQ(tally.failed[1].address, (PageAddress{1, 4}));
  EXPECT_EQ(tally.failed[1].ownerObjectId, 77);
  const std::vector<std::string> lines = VerificationReport(tally, 1);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Page verification: 2 of 4 protected pages failed.");
  EXPECT_EQ(lines[1], "Page 1:2 (type 1, owner 77) failed verification: checksum mismatch");
  EXPECT_EQ(lines[2], "... and 1 more pages failed verification.");
}

}  // namespace
}  // namespace brinehold
