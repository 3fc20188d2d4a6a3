// Compressed rows and pages: the row parse (column count, descriptors,
// cluster bytes, short and long data), the page's compression information
// (anchor record, anchor values, dictionary) and the rebuild into plain
// column bytes (numbers with the inverted top bit, prefixes against the
// anchor, dictionary symbols, SCSU text, the 4096-byte buffer).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/app_state.h"
#include "storage/compressed_row.h"
#include "storage/compressed_row_rebuild.h"
#include "storage/page.h"
#include "storage/primary_record_page.h"
#include "storage/scsu_decoder.h"
#include "writer/compression_builder.h"
#include "writer/page_builder.h"

namespace brinehold {
namespace {

using writer::CompressedInteger;
using writer::CompressedRowBuilder;
using writer::CompressedValue;
using writer::CompressionInfoLayout;

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The record views `row`: it must outlive every read of the record's parts.
std::unique_ptr<CPrimaryRecord> Parse(const Bytes& row, int32_t maxLength = 8000) {
  return std::make_unique<CPrimaryRecord>(ByteReader(row), nullptr, maxLength);
}

// A data page holding the compression block (when given) and rows.
Bytes PageWith(const std::optional<CompressionInfoLayout>& info, const std::vector<Bytes>& rows) {
  Bytes page = writer::CompressedDataPage(PageAddress{1, 100}, 77, info, rows);
  page.resize(kPageBufferSize, 0);
  return page;
}

CompressedColumnLayout Numeric(int32_t width) { return {CompressedValueClass::Numeric, width, false}; }
CompressedColumnLayout Text(int32_t width) { return {CompressedValueClass::Plain, width, true}; }
CompressedColumnLayout Unicode(int32_t width) { return {CompressedValueClass::Unicode, width, true}; }
CompressedColumnLayout FixedBytes(int32_t width) { return {CompressedValueClass::Plain, width, false}; }

// The rebuilt bytes of column `index` of a record.
Bytes ColumnBytes(const CPrimaryRecord& record, size_t index) {
  const auto& columns = record.compressedParts.columns;
  if (index >= columns.size() || columns[index].offset < 0) return {};
  const auto& column = columns[index];
  return Bytes(record.fixedData.begin() + column.offset, record.fixedData.begin() + column.offset + column.length);
}

class CompressedRowTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }
};

// --- row parse ----------------------------------------------------------

TEST_F(CompressedRowTest, ColumnCountOutsideOneTo1024IsInvalid) {
  EXPECT_TRUE(Parse({0x01, 0x00})->invalid);
  EXPECT_TRUE(Parse({0x01, 0x84, 0x81, 0x00})->invalid);  // 0x0481 = 1153
  EXPECT_TRUE(Parse({0x01})->invalid);                    // no count at all
  auto ok = Parse({0x01, 0x01, 0x02, 0x7F});
  EXPECT_FALSE(ok->invalid);
  EXPECT_TRUE(ok->compressed);
  EXPECT_EQ(ok->columnCount, 1);
  // Two bytes when the first has its top bit set, top bit included.
  CompressedRowBuilder wide;
  for (int i = 0; i < 200; ++i) wide.Add(CompressedValue::Null());
  const Bytes wideRow = wide.Build();
  auto record = Parse(wideRow);
  EXPECT_FALSE(record->invalid);
  EXPECT_EQ(record->columnCount, 200);
  EXPECT_EQ(record->compressedParts.descriptorCodes.size(), 200u);
}

TEST_F(CompressedRowTest, WideCountAboveTheLimitIsReadHighByteFirst) {
  // 300 columns as a flag bit and a 15-bit count, high byte first: read
  // little-endian the bytes 0x81 0x2C would say 11393.
  Bytes row{0x01, 0x81, 0x2C};
  row.insert(row.end(), 150, 0x00);  // 300 null descriptors
  row.insert(row.end(), 9, 0x00);    // (300 - 1) / 30 cluster bytes
  auto record = Parse(row);
  EXPECT_FALSE(record->invalid);
  EXPECT_EQ(record->columnCount, 300);
  EXPECT_EQ(record->compressedParts.descriptorCodes.size(), 300u);
}

// Rows written byte by byte from the published description of the format:
// status 0x01 compressed, 0x02 versioning, record type in bits 2-4, 0x20
// long data, no null bitmap; a column count with its top bit set is a
// 15-bit count, most significant byte first.
TEST_F(CompressedRowTest, StatusBitsAndColumnCountAsPublished) {
  struct Case {
    const char* what;
    Bytes row;
    bool invalid;
    uint8_t type;
    int32_t columns;
    size_t longValues;
  };
  Bytes wide{0x01, 0x81, 0x01};          // 257 columns
  wide.insert(wide.end(), 129, 0x00);    // null descriptors
  wide.insert(wide.end(), 8, 0x00);      // (257 - 1) / 30 cluster bytes
  const Case cases[] = {
      {"plain primary", {0x01, 0x01, 0x02, 0x07}, false, kPrimaryRecordType, 1, 0},
      {"primary with versioning", {0x03, 0x01, 0x02, 0x07}, false, kPrimaryRecordType, 1, 0},
      {"versioning and long data",
       {0x23, 0x01, 0x0A, 0x01, 0x01, 0x00, 0x03, 0x00, 'a', 'b', 'c'}, false, kPrimaryRecordType, 1, 1},
      {"forwarded (moved) row", {0x11, 0x01, 0x02, 0x07}, false, kForwardedRecordType, 1, 0},
      {"moved row with long data",
       {0x31, 0x01, 0x0A, 0x01, 0x01, 0x00, 0x03, 0x00, 'a', 'b', 'c'}, false, kForwardedRecordType, 1, 1},
      {"ghost data row", {0x0D, 0x01, 0x02, 0x07}, true, kGhostDataRecordType, 0, 0},
      {"ghost empty row", {0x05, 0x01, 0x02, 0x07}, true, kGhostDataRecordType, 0, 0},
      {"index row", {0x19, 0x01, 0x02, 0x07}, true, kIndexRecordType, 0, 0},
      {"two-byte count", wide, false, kPrimaryRecordType, 257, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto record = Parse(c.row, static_cast<int32_t>(c.row.size()));
    EXPECT_TRUE(record->compressed);
    EXPECT_FALSE(record->hasNullBitmap);
    EXPECT_EQ(record->recordType, c.type);
    EXPECT_EQ(record->invalid, c.invalid);
    if (c.invalid) continue;
    EXPECT_EQ(record->columnCount, c.columns);
    EXPECT_EQ(record->values.size(), c.longValues);
  }
  // With deleted rows shown, a ghost row is read in the same format.
  TheApp().settings.showDeleted = true;
  auto ghost = Parse({0x0D, 0x01, 0x02, 0x07}, 4);
  EXPECT_FALSE(ghost->invalid);
  EXPECT_EQ(ghost->compressedParts.shortData, Bytes{0x07});
}

// A compression block written byte by byte: a dictionary flagged without
// an anchor record, its entry ends counted from the start of the entries.
TEST_F(CompressedRowTest, DictionaryWithoutAnchorEndsCountFromTheEntries) {
  Bytes page = PageWith(std::nullopt, {});
  page[2] |= 0x80;  // header type flag bits: compression information
  const Bytes block{0x04, 0x00, 0x00, 0x07, 0x00, 0x10, 0x00,  // flags, (2), dictionary at +7, size 16
                    0x02, 0x00, 0x03, 0x00, 0x05, 0x00,        // two entries ending at 3 and 5
                    'a',  'b',  'c',  'd',  'e'};
  std::copy(block.begin(), block.end(), page.begin() + 96);
  const CompressedRowLayout layout{Text(10)};
  PrimaryRecordPage read(page, nullptr, &layout);
  const PageCompressionInfo* info = read.CompressionInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->anchorRecord, nullptr);
  ASSERT_EQ(info->dictionary.size(), 2u);
  EXPECT_EQ(info->dictionary[0].bytes, B("abc"));
  EXPECT_EQ(info->dictionary[1].bytes, B("de"));
}

// Written out byte by byte: 30 columns have no cluster byte before their
// short data, 31 have one.
TEST_F(CompressedRowTest, ClusterByteAfterThirtyColumns) {
  Bytes thirty{0x01, 30};
  thirty.insert(thirty.end(), 15, 0x22);  // code 2 (one byte) for every column
  for (uint8_t i = 1; i <= 30; ++i) thirty.push_back(i);
  auto r30 = Parse(thirty);
  ASSERT_FALSE(r30->invalid);
  ASSERT_EQ(r30->compressedParts.shortData.size(), 30u);
  EXPECT_EQ(r30->compressedParts.shortData.front(), 1);
  EXPECT_EQ(r30->compressedParts.shortData.back(), 30);

  Bytes thirtyOne{0x01, 31};
  thirtyOne.insert(thirtyOne.end(), 15, 0x22);
  thirtyOne.push_back(0x02);  // column 31; high half unused
  thirtyOne.push_back(0xEE);  // the cluster byte, skipped
  for (uint8_t i = 1; i <= 31; ++i) thirtyOne.push_back(i);
  auto r31 = Parse(thirtyOne);
  ASSERT_FALSE(r31->invalid);
  ASSERT_EQ(r31->compressedParts.shortData.size(), 31u);
  EXPECT_EQ(r31->compressedParts.shortData.front(), 1);
  EXPECT_EQ(r31->compressedParts.shortData.back(), 31);
  EXPECT_EQ(r31->compressedParts.descriptorCodes.size(), 31u);

  // The writer lays out the same bytes.
  CompressedRowBuilder built;
  for (uint8_t i = 1; i <= 31; ++i) built.Add(CompressedValue::Short({i}));
  Bytes expected = thirtyOne;
  expected[2 + 16] = 0x00;
  EXPECT_EQ(built.Build(), expected);
}

TEST_F(CompressedRowTest, DescriptorCodesAndTheirShortDataBytes) {
  const int32_t expected[16] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 1, 0, 0, 0};
  for (uint8_t code = 0; code < 16; ++code) EXPECT_EQ(ShortDataBytes(code), expected[code]) << int(code);

  // Every code in one row: short data is the sum of their widths.
  CompressedRowBuilder row;
  for (uint8_t code = 0; code < 16; ++code) {
    Bytes shortBytes(static_cast<size_t>(expected[code]), code);
    if (code == 10) row.Add(CompressedValue::Long(B("a long value")));
    else row.Add(CompressedValue::Raw(code, shortBytes));
  }
  const Bytes bytes = row.Build();
  auto record = Parse(bytes);
  ASSERT_FALSE(record->invalid);
  EXPECT_EQ(record->compressedParts.shortDataLength, 1 + 2 + 3 + 4 + 5 + 6 + 7 + 8 + 1);
  EXPECT_EQ(record->compressedParts.longValueCount, 1);
  ASSERT_EQ(record->values.size(), 1u);
  EXPECT_EQ(std::string(record->values[0].bytes.begin(), record->values[0].bytes.begin() + record->values[0].length),
            "a long value");
}

TEST_F(CompressedRowTest, LongDataRegion) {
  // Hand-written: 3 columns (short, long, complex long): status with the
  // long-data bit, count, codes 2/10/10, one short byte, header 1, two
  // long values ending at 3 and 19 (the second complex), the values.
  Bytes row{0x21, 3, 0xA2, 0x0A, 0x42, 0x01, 0x02, 0x00, 0x03, 0x00, 0x13, 0x80};
  const Bytes pointer(16, 0x5C);
  row.push_back('x');
  row.push_back('y');
  row.push_back('z');
  row.insert(row.end(), pointer.begin(), pointer.end());
  auto record = Parse(row);
  ASSERT_FALSE(record->invalid);
  EXPECT_EQ(record->compressedParts.shortData, Bytes{0x42});
  ASSERT_EQ(record->values.size(), 2u);
  EXPECT_EQ(record->values[0].length, 3);
  EXPECT_FALSE(record->values[0].complex);
  EXPECT_EQ(record->values[1].length, 16);
  EXPECT_TRUE(record->values[1].complex);
  EXPECT_EQ(record->recordLength, static_cast<int32_t>(row.size()));

  // The writer gives the same row.
  Bytes built = CompressedRowBuilder()
                    .Add(CompressedValue::Short({0x42}))
                    .Add(CompressedValue::Long(B("xyz")))
                    .Add(CompressedValue::Long(pointer, true))
                    .Build();
  EXPECT_EQ(built, row);
}

TEST_F(CompressedRowTest, DamagedLongDataAndShortData) {
  // A long-value count above the column count: no long values.
  Bytes tooMany{0x21, 1, 0x0A, 0x01, 0x05, 0x00, 0x01, 0x00};
  auto record = Parse(tooMany);
  EXPECT_FALSE(record->invalid);
  EXPECT_TRUE(record->values.empty());
  // An end offset past the record: the value stays empty.
  Bytes pastEnd{0x21, 1, 0x0A, 0x01, 0x01, 0x00, 0xFF, 0x0F, 'a'};
  record = Parse(pastEnd, static_cast<int32_t>(pastEnd.size()));
  ASSERT_EQ(record->values.size(), 1u);
  EXPECT_EQ(record->values[0].length, 0);
  // Short data longer than the record may be: not copied.
  Bytes shortCut{0x01, 2, 0x99, 1, 2, 3};
  record = Parse(shortCut, static_cast<int32_t>(shortCut.size()));
  EXPECT_FALSE(record->invalid);
  EXPECT_TRUE(record->compressedParts.shortData.empty());
  // An index-type record keeps no short data.
  Bytes index =
      CompressedRowBuilder().Add(CompressedValue::Short({7})).SetStatus(writer::CompressedRowStatus(kIndexRecordType)).Build();
  record = Parse(index);
  EXPECT_TRUE(record->compressedParts.shortData.empty());
}

// --- page compression information ---------------------------------------

Bytes Anchor() {
  // null, empty, "abcxyz" (6 bytes short), a long value, and bigint 0x0102030405
  return CompressedRowBuilder()
      .Add(CompressedValue::Null())
      .Add(CompressedValue::Empty())
      .Add(CompressedValue::Short(B("abcxyz")))
      .Add(CompressedValue::Long(B("anchor long value")))
      .Add(CompressedValue::Short(CompressedInteger(0x0102030405)))
      .Build();
}

std::vector<CompressedColumnLayout> AnchorColumns() {
  return {Numeric(4), Text(20), Text(20), Text(40), Numeric(8)};
}

TEST_F(CompressedRowTest, AnchorRecordAnchorValuesAndDictionary) {
  CompressionInfoLayout info;
  info.anchorRecord = Anchor();
  info.dictionary = {B("Seattle Washington"), CompressedInteger(7), B("z")};
  const CompressedRowLayout layout(AnchorColumns());
  PrimaryRecordPage page(PageWith(info, {}), nullptr, &layout);
  const PageCompressionInfo* ci = page.CompressionInfo();
  ASSERT_NE(ci, nullptr);
  EXPECT_EQ(ci->flags, 0x06);
  ASSERT_NE(ci->anchorRecord, nullptr);
  EXPECT_FALSE(ci->anchorRecord->invalid);
  ASSERT_EQ(ci->anchorValues.size(), 5u);
  EXPECT_EQ(ci->anchorValues[0].length, -2);
  EXPECT_EQ(ci->anchorValues[1].length, -1);
  EXPECT_EQ(ci->anchorValues[2].bytes, B("abcxyz"));
  EXPECT_EQ(ci->anchorValues[3].bytes, B("anchor long value"));
  EXPECT_EQ(ci->anchorValues[4].bytes, CompressedInteger(0x0102030405));
  ASSERT_EQ(ci->dictionary.size(), 3u);
  EXPECT_EQ(ci->dictionary[0].bytes, B("Seattle Washington"));
  EXPECT_EQ(ci->dictionary[1].bytes, CompressedInteger(7));
  EXPECT_EQ(ci->dictionary[2].bytes, B("z"));

  // Anchor values only for the columns of the table being read.
  {
    const CompressedRowLayout two({Numeric(4), Text(20)});
    PrimaryRecordPage narrow(PageWith(info, {}), nullptr, &two);
    EXPECT_EQ(narrow.CompressionInfo()->anchorValues.size(), 2u);
  }
}

TEST_F(CompressedRowTest, ImplausibleBlocksGiveNoAnchorAndNoDictionary) {
  const CompressedRowLayout layout(AnchorColumns());
  CompressionInfoLayout info;
  info.anchorRecord = Anchor();
  info.dictionary = {B("x")};

  // Size 0: nothing is read.
  CompressionInfoLayout zero = info;
  zero.size = 0;
  EXPECT_EQ(PrimaryRecordPage(PageWith(zero, {}), nullptr, &layout).CompressionInfo(), nullptr);

  // The dictionary flag without the anchor flag: the dictionary alone.
  CompressionInfoLayout noAnchor = info;
  noAnchor.flags = 0x04;
  PrimaryRecordPage p1(PageWith(noAnchor, {}), nullptr, &layout);
  ASSERT_NE(p1.CompressionInfo(), nullptr);
  EXPECT_EQ(p1.CompressionInfo()->anchorRecord, nullptr);
  ASSERT_EQ(p1.CompressionInfo()->dictionary.size(), 1u);
  EXPECT_EQ(p1.CompressionInfo()->dictionary[0].bytes, B("x"));
  EXPECT_TRUE(p1.CompressionInfo()->anchorValues.empty());

  // An invalid anchor record (column count 0) prevents dictionary and
  // anchor values.
  CompressionInfoLayout badAnchor = info;
  badAnchor.anchorRecord = {0x01, 0x00};
  PrimaryRecordPage p2(PageWith(badAnchor, {}), nullptr, &layout);
  ASSERT_NE(p2.CompressionInfo()->anchorRecord, nullptr);
  EXPECT_TRUE(p2.CompressionInfo()->anchorRecord->invalid);
  EXPECT_TRUE(p2.CompressionInfo()->dictionary.empty());
  EXPECT_TRUE(p2.CompressionInfo()->anchorValues.empty());

  // A dictionary offset not below the size: no dictionary, anchor kept.
  CompressionInfoLayout badOffset = info;
  badOffset.dictionaryOffset = 4000;
  PrimaryRecordPage p3(PageWith(badOffset, {}), nullptr, &layout);
  EXPECT_TRUE(p3.CompressionInfo()->dictionary.empty());
  EXPECT_EQ(p3.CompressionInfo()->anchorValues.size(), 5u);

  // A page without the type flag bit has no compression information.
  writer::PageBuilder plain(PageAddress{1, 100}, 1, 77);
  Bytes buffer = plain.Build();
  buffer.resize(kPageBufferSize, 0);
  EXPECT_EQ(PrimaryRecordPage(buffer, nullptr, &layout).CompressionInfo(), nullptr);
}

TEST_F(CompressedRowTest, DictionaryStopsAtTheFirstEndOffsetAbove4096) {
  const CompressedRowLayout layout(AnchorColumns());
  CompressionInfoLayout info;
  info.anchorRecord = Anchor();
  info.dictionary = {B("one"), B("two"), B("three")};
  Bytes page = PageWith(info, {});
  // Dictionary at 96 + 7 + anchor size; its second end offset becomes 5000.
  const size_t dictionary = 96 + 7 + Anchor().size();
  PutUInt(page, dictionary + 4, 5000, 2);
  PrimaryRecordPage read(page, nullptr, &layout);
  ASSERT_NE(read.CompressionInfo(), nullptr);
  ASSERT_EQ(read.CompressionInfo()->dictionary.size(), 1u);
  EXPECT_EQ(read.CompressionInfo()->dictionary[0].bytes, B("one"));

  // An entry count far beyond the page reads only what is there.
  PutUInt(page, dictionary, 0xFFFF, 2);
  PrimaryRecordPage huge(page, nullptr, &layout);
  EXPECT_LE(huge.CompressionInfo()->dictionary.size(), 4096u);
}

TEST_F(CompressedRowTest, AnchorWithoutDictionarySitsAt101) {
  const CompressedRowLayout layout({Text(20)});
  CompressionInfoLayout info;
  info.flags = 0x02;
  info.anchorRecord = CompressedRowBuilder().Add(CompressedValue::Short(B("abcxyz"))).SetStatus(0x21).Build();
  // The size field is the anchor's first two bytes: 0x21, 0x01 = 289.
  PrimaryRecordPage page(PageWith(info, {}), nullptr, &layout);
  ASSERT_NE(page.CompressionInfo(), nullptr);
  EXPECT_EQ(page.CompressionInfo()->size, 0x0121);
  ASSERT_NE(page.CompressionInfo()->anchorRecord, nullptr);
  ASSERT_EQ(page.CompressionInfo()->anchorValues.size(), 1u);
  EXPECT_EQ(page.CompressionInfo()->anchorValues[0].bytes, B("abcxyz"));

  // The SQL Server 2000 catalog layout reads no such anchor.
  TheApp().settings.legacyCatalog = true;
  PrimaryRecordPage legacy(PageWith(info, {}), nullptr, &layout);
  ASSERT_NE(legacy.CompressionInfo(), nullptr);
  EXPECT_EQ(legacy.CompressionInfo()->anchorRecord, nullptr);
}

// --- rebuild ------------------------------------------------------------

TEST_F(CompressedRowTest, IntStoredAs8005RebuildsToFive) {
  const CompressedRowLayout layout({Numeric(4)});
  Bytes row = CompressedRowBuilder().Add(CompressedValue::Raw(3, {0x80, 0x05})).Build();
  PrimaryRecordPage page(PageWith(std::nullopt, {row}), nullptr, &layout);
  const CPrimaryRecord* record = page.Record(0);
  ASSERT_NE(record, nullptr);
  ASSERT_TRUE(record->compressedParts.rebuilt);
  EXPECT_EQ(CopyOf(record->fixedData), (Bytes{0x05, 0x00, 0x00, 0x00}));
  EXPECT_EQ(record->fixedLength, 4);
  EXPECT_EQ(record->compressedParts.columns[0].offset, 0);
  EXPECT_EQ(record->compressedParts.columns[0].length, 4);
}

TEST_F(CompressedRowTest, NumbersWithTheInvertedTopBitKeepTheirSign) {
  const std::vector<int64_t> values = {0, 1, 5, 127, 128, 255, 256, -1, -2, -128, -129, -32768, 32767,
                                       2147483647, -2147483647 - 1, 4294967296LL, -4294967296LL,
                                       INT64_MAX, INT64_MIN};
  for (int64_t v : values) {
    const Bytes stored = CompressedInteger(v);
    EXPECT_EQ(NumericColumnBytes(ByteReader(stored), 8), [&] {
      Bytes le;
      for (int i = 0; i < 8; ++i) le.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
      return le;
    }()) << v;
  }
  EXPECT_EQ(CompressedInteger(5), (Bytes{0x85}));
  EXPECT_EQ(CompressedInteger(-1), (Bytes{0x7F}));
  EXPECT_EQ(CompressedInteger(200), (Bytes{0x80, 0xC8}));
  // The column's width is taken from the low end.
  EXPECT_EQ(NumericColumnBytes(ByteReader(CompressedInteger(-2)), 2), (Bytes{0xFE, 0xFF}));
  EXPECT_TRUE(NumericColumnBytes(ByteReader(Bytes(9, 0x80)), 8).empty());
  EXPECT_TRUE(NumericColumnBytes(ByteReader(), 4).empty());
}

TEST_F(CompressedRowTest, PrefixAgainstTheAnchor) {
  CompressionInfoLayout info;
  info.anchorRecord = Anchor();
  const CompressedRowLayout layout(AnchorColumns());
  // Column 2: prefix 3 of "abcxyz" + "def". Column 4 (bigint anchor
  // 0x0102030405 stored as 81 02 03 04 05): the first 4 bytes + 0x09.
  Bytes row = CompressedRowBuilder()
                  .Add(CompressedValue::Null())
                  .Add(CompressedValue::Empty())
                  .Add(CompressedValue::Short(writer::PrefixValue(3, B("def"))))
                  .Add(writer::StoredValue(writer::PrefixValue(0, B("no prefix"))))
                  .Add(CompressedValue::Short(writer::PrefixValue(4, {0x09})))
                  .Build();
  // Column 3 is a long value (prefix 0): rebuilt in the value list too.
  PrimaryRecordPage page(PageWith(info, {row}), nullptr, &layout);
  const CPrimaryRecord* record = page.Record(0);
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(record->values.size(), 1u);
  EXPECT_EQ(std::string(record->values[0].bytes.begin(), record->values[0].bytes.begin() + record->values[0].length),
            "no prefix");
  ASSERT_EQ(record->compressedParts.columns.size(), 5u);
  EXPECT_TRUE(record->compressedParts.columns[0].isNull);
  EXPECT_TRUE(ColumnBytes(*record, 1).empty());  // empty anchor value: empty column
  EXPECT_EQ(ColumnBytes(*record, 2), B("abcdef"));
  EXPECT_EQ(ColumnBytes(*record, 4), (Bytes{0x09, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x00}));

  // Without an anchor the stored bytes are the value.
  PrimaryRecordPage bare(PageWith(std::nullopt, {row}), nullptr, &layout);
  EXPECT_EQ(ColumnBytes(*bare.Record(0), 2), writer::PrefixValue(3, B("def")));
}

TEST_F(CompressedRowTest, EmptyCodeTakesTheAnchorValue) {
  CompressionInfoLayout info;
  info.anchorRecord = Anchor();
  const CompressedRowLayout layout(AnchorColumns());
  Bytes row = CompressedRowBuilder()
                  .Add(CompressedValue::Empty())
                  .Add(CompressedValue::Empty())
                  .Add(CompressedValue::Empty())
                  .Add(CompressedValue::Empty())
                  .Add(CompressedValue::Empty())
                  .Build();
  PrimaryRecordPage page(PageWith(info, {row}), nullptr, &layout);
  const CPrimaryRecord* record = page.Record(0);
  EXPECT_EQ(ColumnBytes(*record, 0), Bytes());            // null anchor value: nothing
  EXPECT_EQ(record->compressedParts.columns[0].offset, 0);  // but the int keeps its 4 zero bytes
  EXPECT_EQ(ColumnBytes(*record, 2), B("abcxyz"));
  EXPECT_EQ(ColumnBytes(*record, 3), B("anchor long value"));
  const Bytes bigint = NumericColumnBytes(ByteReader(CompressedInteger(0x0102030405)), 8);
  EXPECT_EQ(ColumnBytes(*record, 4), bigint);
}

TEST_F(CompressedRowTest, DictionarySymbols) {
  CompressionInfoLayout info;
  info.anchorRecord = CompressedRowBuilder()
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Short(B("abcxyz")))
                          .Add(CompressedValue::Short(CompressedInteger(0x010203)))
                          .Build();
  // 0: a long text; 1: int 7; 2: for the text column, prefix 3 + "dd";
  // 3: for the numeric column, prefix 2 with the top bit set (dictionary
  // values of numeric columns carry it) + 0x09.
  info.dictionary = {B("Seattle Washington"), CompressedInteger(7), writer::PrefixValue(3, B("dd")),
                     Bytes{0x82, 0x09}};
  const CompressedRowLayout layout({Numeric(4), Text(40), Numeric(4)});
  Bytes row1 = CompressedRowBuilder()
                   .Add(CompressedValue::Symbol(1))
                   .Add(CompressedValue::Symbol(0))
                   .Add(CompressedValue::Symbol(3))
                   .Build();
  Bytes row2 = CompressedRowBuilder()
                   .Add(CompressedValue::Symbol(9))  // no such entry: the column stays empty
                   .Add(CompressedValue::Symbol(2))
                   .Add(CompressedValue::Short(CompressedInteger(-3)))
                   .Build();
  PrimaryRecordPage page(PageWith(info, {row1, row2}), nullptr, &layout);
  const CPrimaryRecord* first = page.Record(0);
  const CPrimaryRecord* second = page.Record(1);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(ColumnBytes(*first, 0), (Bytes{7, 0, 0, 0}));
  EXPECT_EQ(ColumnBytes(*first, 1), B("Seattle Washington"));
  EXPECT_EQ(ColumnBytes(*first, 2), NumericColumnBytes(ByteReader(Bytes{0x81, 0x02, 0x09}), 4));
  EXPECT_EQ(ColumnBytes(*second, 0), Bytes());
  EXPECT_EQ(ColumnBytes(*second, 1), B("abcdd"));
  EXPECT_EQ(ColumnBytes(*second, 2), (Bytes{0xFD, 0xFF, 0xFF, 0xFF}));
}

TEST_F(CompressedRowTest, UnicodeColumnsAreScsuAndBecomeUtf16) {
  const CompressedRowLayout layout({Unicode(40), Unicode(400)});
  const Bytes russian{0x12, 0x9C, 0xBE, 0xC1, 0xBA, 0xB2, 0xB0};
  const std::string longText = "Öl fließt über die Straße, Москва";
  Bytes row = CompressedRowBuilder()
                  .Add(CompressedValue::Short(russian))
                  .Add(CompressedValue::Long(writer::ScsuEncode(longText)))
                  .Build();
  PrimaryRecordPage page(PageWith(std::nullopt, {row}), nullptr, &layout);
  const CPrimaryRecord* record = page.Record(0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(ColumnBytes(*record, 0), DecodeScsuToUtf16Le(russian));
  // The long value is rebuilt in the value list, where it is read from.
  ASSERT_EQ(record->values.size(), 1u);
  const Bytes expected = DecodeScsuToUtf16Le(writer::ScsuEncode(longText));
  EXPECT_EQ(record->values[0].length, static_cast<int32_t>(expected.size()));
  EXPECT_EQ(Bytes(record->values[0].bytes.begin(), record->values[0].bytes.begin() + record->values[0].length),
            expected);
}

TEST_F(CompressedRowTest, ComplexLongValuesStayPointers) {
  const CompressedRowLayout layout({Text(-1)});
  const Bytes pointer{0x04, 0x00, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  Bytes row = CompressedRowBuilder().Add(CompressedValue::Long(pointer, true)).Build();
  PrimaryRecordPage page(PageWith(std::nullopt, {row}), nullptr, &layout);
  const CPrimaryRecord* record = page.Record(0);
  ASSERT_EQ(record->values.size(), 1u);
  EXPECT_TRUE(record->values[0].complex);
  EXPECT_EQ(Bytes(record->values[0].bytes.begin(), record->values[0].bytes.begin() + 16), pointer);
  EXPECT_EQ(record->compressedParts.columns[0].offset, -1);
  EXPECT_EQ(record->compressedParts.columns[0].length, 16);
}

TEST_F(CompressedRowTest, RebuildStaysInsideItsBufferAndColumnList) {
  // Five fixed binary(1000) columns: the fifth does not fit in 4096 bytes.
  std::vector<CompressedColumnLayout> columns(5, FixedBytes(1000));
  const CompressedRowLayout layout(columns);
  CompressedRowBuilder builder;
  for (int i = 0; i < 5; ++i) builder.Add(CompressedValue::Long(Bytes(900, static_cast<uint8_t>('a' + i))));
  PrimaryRecordPage page(PageWith(std::nullopt, {builder.Build()}), nullptr, &layout);
  const CPrimaryRecord* record = page.Record(0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->fixedLength, 4000);
  EXPECT_EQ(record->compressedParts.columns[3].offset, 3000);
  EXPECT_EQ(record->compressedParts.columns[4].offset, -1);

  // Columns beyond the table's list are not rebuilt.
  const CompressedRowLayout one({Numeric(4)});
  Bytes row = CompressedRowBuilder().Add(CompressedValue::Short({0x85})).Add(CompressedValue::Short({0x86})).Build();
  PrimaryRecordPage narrow(PageWith(std::nullopt, {row}), nullptr, &one);
  EXPECT_EQ(narrow.Record(0)->compressedParts.columns.size(), 1u);

  // Outside any table, nothing is rebuilt.
  RebuiltRow none = RebuildCompressedRow(*narrow.Record(0), nullptr, {});
  EXPECT_TRUE(none.columns.empty());
}

TEST_F(CompressedRowTest, BitColumnsTakeTheirValueFromTheDescriptor) {
  // Each bit has its own descriptor: 11 set, 1 clear, 0 null. None of them
  // takes short data or a long value, so the columns after them keep their
  // places.
  const Bytes row = CompressedRowBuilder()
                        .Add(CompressedValue::Raw(11))
                        .Add(CompressedValue::Empty())
                        .Add(CompressedValue::Null())
                        .Add(CompressedValue::Short({0x80, 0x07}))
                        .Add(CompressedValue::Raw(11))
                        .Add(CompressedValue::Long(B("a value too long for short data")))
                        .Build();
  CompressedColumnLayout bit{CompressedValueClass::Bit, 1, false};
  auto record = Parse(row);
  ASSERT_FALSE(record->invalid);
  ApplyRebuiltRow(*record, RebuildCompressedRow(*record, nullptr, {bit, bit, bit, Numeric(2), bit, Text(100)}));
  EXPECT_EQ(ColumnBytes(*record, 0), Bytes{0x01});
  EXPECT_EQ(ColumnBytes(*record, 1), Bytes{0x00});
  EXPECT_TRUE(record->compressedParts.columns[2].isNull);
  EXPECT_EQ(ColumnBytes(*record, 3), (Bytes{0x07, 0x00}));
  EXPECT_EQ(ColumnBytes(*record, 4), Bytes{0x01});
  EXPECT_EQ(ColumnBytes(*record, 5), B("a value too long for short data"));
  // A bit is never prefixed with the anchor: with a page anchor of 0x01 a
  // clear bit stays clear.
  PageCompressionInfo info;
  info.anchorValues.assign(6, PageCompressionInfo::Entry{Bytes{0x01}, 1});
  auto again = Parse(row);
  ApplyRebuiltRow(*again, RebuildCompressedRow(*again, &info, {bit, bit, bit, Numeric(2), bit, Text(100)}));
  EXPECT_EQ(ColumnBytes(*again, 1), Bytes{0x00});
}

TEST_F(CompressedRowTest, LegacyCatalogLeavesRowsAsParsed) {
  const CompressedRowLayout layout({Numeric(4)});
  TheApp().settings.legacyCatalog = true;
  Bytes row = CompressedRowBuilder().Add(CompressedValue::Short({0x85})).Build();
  PrimaryRecordPage page(PageWith(std::nullopt, {row}), nullptr, &layout);
  ASSERT_NE(page.Record(0), nullptr);
  EXPECT_FALSE(page.Record(0)->compressedParts.rebuilt);
  EXPECT_EQ(page.Record(0)->compressedParts.shortData, Bytes{0x85});
}

}  // namespace
}  // namespace brinehold
