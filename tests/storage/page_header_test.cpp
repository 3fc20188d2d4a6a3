// Page header parsing and torn-page restoration.
#include <gtest/gtest.h>

#include "storage/page.h"
#include "storage/page_header.h"
#include "support/page_bytes.h"

namespace brinehold {
namespace {

using test::MakePage;
using test::PageLayout;

Bytes TornPage(uint32_t tornBits, uint16_t flagBits = 0x100) {
  PageLayout blueprint;
  blueprint.flagBits = flagBits;
  blueprint.tornBits = tornBits;
  blueprint.fill = 0xFF;
  Bytes page = MakePage(blueprint);
  page.push_back(0);
  return page;
}

TEST(TornBits, LastByteOfSectorsOneToFifteenTakesTwoBitsEach) {
  // Sector k gets bits 2k and 2k+1: give each sector a different pair.
  uint32_t torn = 0;
  for (unsigned k = 1; k <= 15; ++k) torn |= (k % 4) << (2 * k);
  Bytes page = TornPage(torn);
  ASSERT_TRUE(CPage_Header::Parse(page));
  for (unsigned k = 1; k <= 15; ++k) {
    EXPECT_EQ(page[512 * k + 511], 0xFC | (k % 4)) << "sector " << k;
    EXPECT_EQ(page[512 * k + 510], 0xFF) << "only the last byte changes";
  }
  EXPECT_EQ(page[511], 0xFF) << "sector 0 is untouched";
  EXPECT_EQ(page[8192], 0) << "the trailing zero is not a sector";
}

TEST(TornBits, NothingChangesWithoutTheFlag) {
  Bytes page = TornPage(0, 0x0200);
  Bytes before = page;
  auto header = CPage_Header::Parse(page);
  ASSERT_TRUE(header);
  EXPECT_FALSE(header->UsesTornBits());
  EXPECT_EQ(page, before);
}

TEST(TornBits, ShortBufferIsNotWrittenPastItsEnd) {
  Bytes page = TornPage(0);
  page.resize(1000);
  RestoreTornBits(page, 0x100, 0);
  EXPECT_EQ(page.size(), 1000u);
  EXPECT_EQ(page[511], 0xFF);
  EXPECT_EQ(page[999], 0xFF);
}

TEST(PageHeader, FieldsComeFromTheirOffsets) {
  Bytes page(8193, 0);
  auto put = [&](size_t offset, uint64_t value, size_t width) { ASSERT_TRUE(PutUInt(page, offset, value, width)); };
  put(0, 1, 1);
  put(1, 1, 1);
  put(2, 0x80, 1);
  put(3, 2, 1);
  put(4, 0x8200, 2);
  put(6, 3, 2);
  put(8, 41, 4);
  put(12, 1, 2);
  put(14, 12, 2);
  put(16, 43, 4);
  put(20, 2, 2);
  put(22, 17, 2);
  put(24, 1977058079, 4);
  put(28, 500, 2);
  put(30, 7000, 2);
  put(32, 42, 4);
  put(36, 1, 2);
  put(58, 3, 2);
  put(60, 0xDEADBEEF, 4);
  auto h = CPage_Header::ParseOnly(ByteReader(page));
  ASSERT_TRUE(h);
  EXPECT_EQ(h->pageType, 1);
  EXPECT_TRUE(h->HasCompressionInfo());
  EXPECT_EQ(h->level, 2);
  EXPECT_EQ(h->indexId, 3);
  EXPECT_EQ(h->previousPage, (PageAddress{1, 41}));
  EXPECT_EQ(h->nextPage, (PageAddress{2, 43}));
  EXPECT_EQ(h->thisPage, (PageAddress{1, 42}));
  EXPECT_EQ(h->slotCount, 17);
  EXPECT_EQ(h->ownerObjectId, 1977058079);
  EXPECT_EQ(h->freeByteCount, 500);
  EXPECT_EQ(h->freeDataOffset, 7000);
  EXPECT_EQ(h->ghostRecordCount, 3);
  EXPECT_EQ(h->tornBits, 0xDEADBEEFu);
  EXPECT_TRUE(h->PassesSanityCheck());

  EXPECT_FALSE(CPage_Header::ParseOnly(ByteReader(page.data(), 95)));
}

TEST(PageHeader, SanityCheckRejectsAnyNegativeField) {
  const size_t negativeFields[][2] = {{8, 4}, {12, 2}, {16, 4}, {20, 2}, {32, 4}, {36, 2}, {28, 2}, {58, 2}};
  for (auto [offset, width] : negativeFields) {
    Bytes page(8193, 0);
    PutUInt(page, offset, 0xFFFFFFFF, width);
    auto h = CPage_Header::ParseOnly(ByteReader(page));
    ASSERT_TRUE(h);
    EXPECT_FALSE(h->PassesSanityCheck()) << "offset " << offset;
  }
}

TEST(PageObject, HandsOverTheBufferWithTornBitsRestored) {
  CPage page(TornPage(0), nullptr);
  EXPECT_TRUE(page.HeaderValid());
  EXPECT_EQ(page.Reader().size(), 8192u);
  EXPECT_EQ(page.Reader().U8(1023), 0xFC);
  CPage shortPage(Bytes(10, 0), nullptr);
  EXPECT_FALSE(shortPage.HeaderValid());
}

TEST(PageAddressForm, SixBytesPageNumberFirst) {
  Bytes bytes = {0x2A, 0, 0, 0, 3, 0, 0x99};
  EXPECT_EQ(PageAddress::Read(ByteReader(bytes), 0), (PageAddress{3, 42}));
  EXPECT_FALSE(PageAddress::Read(ByteReader(bytes), 2));
  EXPECT_TRUE((PageAddress{1, 0}).IsNull());
  EXPECT_TRUE((PageAddress{0, 5}).IsNull());
  EXPECT_FALSE((PageAddress{1, 5}).IsNull());
}

}  // namespace
}  // namespace brinehold
