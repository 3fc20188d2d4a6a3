// Damaged pages never make the record reader leave its buffers: pages of
// random bytes and well-formed pages with random bytes overwritten are read
// with every deleted-record option, and every part a record hands out must
// lie inside the page. Run under AddressSanitizer this is the bounds check;
// without it, the consistency checks still hold.
#include <gtest/gtest.h>

#include <random>

#include "session/app_state.h"
#include "storage/primary_record_page.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::PageBuilder;
using writer::RecordBuilder;

Bytes WellFormedPage(std::mt19937& random) {
  PageBuilder page({1, 20}, kDataPageType, 1000);
  int rows = 1 + static_cast<int>(random() % 40);
  for (int i = 0; i < rows && page.NextFreeOffset() < 7000; ++i) {
    RecordBuilder row;
    row.SetType(random() % 4 == 0 ? 6 : 0).SetFixed(Bytes(random() % 3 == 0 ? 128 : random() % 40, 0x11));
    int variables = static_cast<int>(random() % 5);
    row.SetColumnCount(static_cast<uint16_t>(variables + 3));
    for (int v = 0; v < variables; ++v) row.AddVariable(Bytes(random() % 60, 0x22), random() % 5 == 0);
    if (random() % 6 == 0) row.AddVariable(writer::SparseVector({{3, Bytes(5, 1)}, {9, Bytes(3, 2)}}), true);
    page.AddRecord(row.Build());
  }
  return page.Build();
}

void CheckParts(const PrimaryRecordPage& page) {
  // The parts are views: each must lie inside the page's own buffer.
  const Bytes& buffer = page.Buffer();
  auto inside = [&buffer](ByteView part) {
    return part.empty() || (part.data() >= buffer.data() && part.size() <= buffer.size() &&
                            part.data() + part.size() <= buffer.data() + buffer.size());
  };
  for (size_t i = 0; i < page.RecordCount(); ++i) {
    const CPrimaryRecord* record = page.Record(i);
    if (!record) continue;
    ASSERT_TRUE(inside(record->fixedData) && inside(record->nullBitmap) && inside(record->image));
    for (const ColumnValue& value : record->values) ASSERT_TRUE(inside(value.bytes));
    for (const SparseValue& value : record->sparseValues) ASSERT_TRUE(inside(value.bytes));
    ASSERT_LE(record->maxLength, 8192);
    ASSERT_LE(record->image.size(), static_cast<size_t>(std::max(record->maxLength, 0)));
    ASSERT_LE(record->fixedData.size(), 8192u);
    for (const ColumnValue& value : record->values) {
      ASSERT_GE(value.length, 0);
      ASSERT_LT(value.length, 8192);
      if (value.length > 0) {
        ASSERT_EQ(value.bytes.size(), static_cast<size_t>(value.length));
      }
    }
    for (const SparseValue& value : record->sparseValues) ASSERT_LE(value.length, kMaxRecordSize);
  }
}

class HostilePageTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    TheApp().settings.showDeleted = GetParam() >= 1;
    TheApp().settings.showAdvancedDeleted = GetParam() >= 2;
  }
  void TearDown() override { TheApp().ResetForTests(); }
};

TEST_P(HostilePageTest, RandomBytesAfterAPlausibleHeader) {
  std::mt19937 random(1000 + GetParam());
  for (int round = 0; round < 150; ++round) {
    Bytes page(kPageBufferSize, 0);
    for (size_t i = 96; i < kPageSize; ++i) page[i] = static_cast<uint8_t>(random());
    // Sprinkle signatures and plausible slots so the walks get going.
    for (int s = 0; s < 20; ++s) {
      size_t at = 96 + random() % 8000;
      PutUInt(page, at, 0x0084003C, 4);
    }
    PageBuilder header({1, 20}, kDataPageType, 1000);
    Bytes built = header.Build();
    std::copy(built.begin(), built.begin() + 96, page.begin());
    PutUInt(page, 22, random() % 4100, 2);
    PutUInt(page, 58, 0, 2);
    PrimaryRecordPage records(std::move(page), nullptr);
    CheckParts(records);
  }
}

TEST_P(HostilePageTest, WellFormedPagesWithDamage) {
  std::mt19937 random(2000 + GetParam());
  for (int round = 0; round < 200; ++round) {
    Bytes page = WellFormedPage(random);
    int damage = 1 + static_cast<int>(random() % 30);
    for (int d = 0; d < damage; ++d) page[96 + random() % (kPageSize - 96)] = static_cast<uint8_t>(random());
    page.resize(kPageBufferSize, 0);
    PrimaryRecordPage records(std::move(page), nullptr);
    CheckParts(records);
  }
}

INSTANTIATE_TEST_SUITE_P(DeletedOptions, HostilePageTest, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace brinehold
