// Page checksums and torn-page bits: every protected page of the real files
// verifies where it lies, one changed byte anywhere makes a page fail, and
// the writer's pages verify as the server's do.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
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

// A file of noise fails on nearly every page. The tally counts every
// failure but keeps only the first ones by name, so what it holds does not
// grow with the file. The file is sparse: a checksummed page header every
// fifth page, zeros between.
TEST(PageVerification, NoiseFileKeepsEveryFailureCountedAndFewKept) {
  constexpr uint64_t kPages = 16384;  // 128 MiB
  constexpr uint64_t kFailing = 3 * kFailedPagesKept;
  test::TempDir dir;
  const std::string path = dir.Path("noise.mdf");
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kPages * kPageSize)), 0);
  for (uint64_t k = 0; k < kFailing; ++k) {
    const uint64_t index = 16 + 5 * k;
    Bytes page(kPageSize, 0);
    page[0] = 1;
    page[1] = static_cast<uint8_t>(1 + k % 17);
    page[5] = kChecksumFlag >> 8;
    for (size_t i = 8; i < 96; i += 7) page[i] = static_cast<uint8_t>(k * 31 + i);
    const uint32_t number = static_cast<uint32_t>(index);
    std::memcpy(page.data() + 32, &number, sizeof number);  // where it lies, in file 1
    page[36] = 1;
    page[37] = 0;
    const uint32_t wrong = ComputePageChecksum(ByteReader(page)) ^ 0x5A5A5A5A;
    std::memcpy(page.data() + 60, &wrong, sizeof wrong);
    ASSERT_EQ(::pwrite(fd, page.data(), 96, static_cast<off_t>(index * kPageSize)), 96);
  }
  ::close(fd);

  TheApp().ResetForTests();
  HeadlessWindow window;
  auto file = OpenDataFile(path, false, &window);
  ASSERT_TRUE(file);
  const PageVerificationTally& tally = file->verification;
  EXPECT_EQ(tally.failedCount, kFailing);
  EXPECT_EQ(tally.failed.size(), kFailedPagesKept);
  EXPECT_EQ(tally.failed.front().address, (PageAddress{1, 16}));
  const std::vector<std::string> lines = VerificationReport(tally);
  EXPECT_EQ(lines.front(), "Page verification: 3000 of 3000 protected pages failed.");
  EXPECT_EQ(lines[kFailedPageLinesShown + 1], "... and 2980 more pages failed verification.");
  // A secondary file's tally joins with its count whole.
  PageVerificationTally both = tally;
  both.Merge(tally, 3);
  EXPECT_EQ(both.failedCount, 2 * kFailing);
  EXPECT_EQ(both.failed.size(), kFailedPagesKept);
}

}  // namespace
}  // namespace brinehold
