// Splitting a record into its parts: the plain row format, its bounds on
// damaged bytes, the type filter, complex columns and sparse vectors, and
// the parse of the deleted-row search. Rows come from the synthetic writer.
#include <gtest/gtest.h>

#include "session/app_state.h"
#include "storage/primary_record.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::RecordBuilder;

class RecordTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  // Parses `row` as a slot record with the bytes a page would have after it
  // (here: exactly the row, so any read past it would be out of bounds).
  static std::unique_ptr<CPrimaryRecord> Parse(const Bytes& row, int32_t maxLength = 8060) {
    return std::make_unique<CPrimaryRecord>(ByteReader(row), nullptr, maxLength);
  }
  // The record views `row`: a temporary would be gone before it is read.
  static std::unique_ptr<CPrimaryRecord> Parse(Bytes&& row, int32_t maxLength = 8060) = delete;
};

Bytes Text(const char* text) { return Bytes(text, text + std::char_traits<char>::length(text)); }

TEST_F(RecordTest, PlainRowSplitsIntoItsParts) {
  Bytes fixed = {1, 2, 3, 4, 5, 6};
  Bytes row = RecordBuilder()
                  .SetFixed(fixed)
                  .SetColumnCount(5)
                  .SetNull(1)
                  .SetNull(4)
                  .AddVariable(Text("abc"))
                  .AddEmptyVariable()
                  .AddVariable(Text("defgh"))
                  .Build();
  auto record = Parse(row);
  EXPECT_FALSE(record->invalid);
  EXPECT_FALSE(record->hidden);
  EXPECT_EQ(record->recordType, kPrimaryRecordType);
  EXPECT_TRUE(record->hasNullBitmap);
  EXPECT_TRUE(record->hasVariableColumns);
  EXPECT_EQ(CopyOf(record->fixedData), fixed);
  EXPECT_EQ(record->fixedLength, 6);
  EXPECT_EQ(record->columnCount, 5);
  EXPECT_TRUE(record->IsColumnNull(1));
  EXPECT_TRUE(record->IsColumnNull(4));
  EXPECT_FALSE(record->IsColumnNull(0));
  EXPECT_FALSE(record->IsColumnNull(40));
  ASSERT_EQ(record->values.size(), 3u);
  EXPECT_EQ(record->variableColumnCount, 3);
  EXPECT_EQ(CopyOf(record->values[0].bytes), (Bytes{'a', 'b', 'c'}));
  EXPECT_EQ(record->values[0].length, 3);
  EXPECT_EQ(record->values[1].length, 0);  // empty column: present, no bytes
  EXPECT_TRUE(record->values[1].bytes.empty());
  EXPECT_EQ(CopyOf(record->values[2].bytes), (Bytes{'d', 'e', 'f', 'g', 'h'}));
  EXPECT_EQ(record->recordLength, static_cast<int32_t>(row.size()));
  EXPECT_EQ(CopyOf(record->image), row);
}

TEST_F(RecordTest, FixedEndDecidesWhereTheColumnCountIs) {
  // Fixed end 4: no fixed data, the column count is at offset 4.
  const Bytes noFixed = RecordBuilder().SetColumnCount(2).AddVariable(Text("xy")).Build();
  auto none = Parse(noFixed);
  EXPECT_TRUE(none->fixedData.empty());
  EXPECT_EQ(none->columnCount, 2);
  ASSERT_EQ(none->values.size(), 1u);
  EXPECT_EQ(none->values[0].length, 2);

  // Fixed end 8064 or more: no fixed data either, the count is read at 4.
  Bytes row = RecordBuilder().SetColumnCount(3).WithoutNullBitmap().ForceFixedEnd(8064).Build();
  auto big = Parse(row);
  EXPECT_TRUE(big->fixedData.empty());
  EXPECT_EQ(big->columnCount, 3);
  EXPECT_EQ(big->recordLength, 6);

  // A fixed end beyond the record's room is not read at all.
  Bytes fixed(40, 0x11);
  Bytes room = RecordBuilder().SetFixed(fixed).SetColumnCount(1).Build();
  auto cut = Parse(room, 30);
  EXPECT_TRUE(cut->fixedData.empty());
  EXPECT_FALSE(cut->HasFixedData());
}

TEST_F(RecordTest, ImplausibleColumnCountsYieldNoColumns) {
  for (uint16_t count : {uint16_t{0}, uint16_t{1024}, uint16_t{0xFFFF}}) {
    SCOPED_TRACE(count);
    Bytes row = RecordBuilder().SetFixed({9, 9}).AddVariable(Text("abc")).ForceColumnCount(count).Build();
    auto record = Parse(row);
    EXPECT_FALSE(record->invalid);
    EXPECT_EQ(record->fixedLength, 2);
    EXPECT_TRUE(record->values.empty());
    EXPECT_TRUE(record->nullBitmap.empty());
    EXPECT_TRUE(record->image.empty());
  }
}

TEST_F(RecordTest, VariableCountAboveColumnCountGivesLengthZero) {
  Bytes row = RecordBuilder().SetFixed({1}).SetColumnCount(2).AddVariable(Text("a")).ForceVariableCount(3).Build();
  auto record = Parse(row);
  EXPECT_EQ(record->recordLength, 0);
  EXPECT_EQ(record->variableColumnCount, 0);
  EXPECT_TRUE(record->values.empty());
  EXPECT_TRUE(record->image.empty());
  int32_t length = 99;
  EXPECT_EQ(CPrimaryRecord::ParseForSearch(ByteReader(row), nullptr, length), nullptr);
  EXPECT_LE(length, 0);
}

TEST_F(RecordTest, HostileEndOffsetsStayInsideTheRecord) {
  Bytes row = RecordBuilder()
                  .SetFixed({1, 2})
                  .SetColumnCount(4)
                  .AddVariable(Text("aaaa"))
                  .AddVariable(Text("bbbb"))
                  .AddVariable(Text("cccc"))
                  .AddVariable(Text("dddd"))
                  .ForceEndOffset(0, 0x7FFF)  // far beyond the record
                  .ForceEndOffset(2, 3)       // before the data starts
                  .Build();
  auto record = Parse(row, static_cast<int32_t>(row.size()));
  ASSERT_EQ(record->values.size(), 4u);
  // A bad end leaves its column empty and does not move the start of the
  // next one, so column 1 spans the bytes of columns 0 and 1.
  EXPECT_EQ(record->values[0].length, 0);
  EXPECT_EQ(CopyOf(record->values[1].bytes), (Bytes{'a', 'a', 'a', 'a', 'b', 'b', 'b', 'b'}));
  EXPECT_EQ(record->values[2].length, 0);
  EXPECT_EQ(CopyOf(record->values[3].bytes), (Bytes{'c', 'c', 'c', 'c', 'd', 'd', 'd', 'd'}));
  EXPECT_EQ(record->recordLength, static_cast<int32_t>(row.size()));

  // The row cut short: offsets and data past the given bytes read as
  // nothing; the parse never leaves the buffer (checked by ASan).
  for (size_t keep = 0; keep < row.size(); ++keep) {
    Bytes cut(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(keep));
    auto partial = Parse(cut, 8060);
    for (const ColumnValue& value : partial->values) EXPECT_LE(value.length, static_cast<int32_t>(keep));
    EXPECT_LE(partial->image.size(), keep);
  }
}

TEST_F(RecordTest, ComplexColumnsAndSparseVectors) {
  Bytes pointer(16, 0x42);
  pointer[0] = 5;  // looks like a sparse kind, but 16-byte complex columns are pointers
  Bytes sparse = writer::SparseVector({{7, Text("seven")}, {12, Bytes{1, 2, 3, 4}}});
  Bytes row = RecordBuilder()
                  .SetFixed({0})
                  .SetColumnCount(3)
                  .AddVariable(Text("plain"))
                  .AddVariable(pointer, true)
                  .AddVariable(sparse, true)
                  .Build();
  auto record = Parse(row);
  ASSERT_EQ(record->values.size(), 3u);
  EXPECT_FALSE(record->values[0].complex);
  EXPECT_TRUE(record->values[1].complex);
  EXPECT_EQ(record->values[1].length, 16);
  EXPECT_TRUE(record->values[2].complex);
  EXPECT_EQ(record->values[2].length, static_cast<int32_t>(sparse.size()));
  EXPECT_TRUE(record->hasSparseVector);
  ASSERT_EQ(record->sparseValues.size(), 2u);
  EXPECT_EQ(record->sparseValues[0].columnId, 7);
  EXPECT_EQ(CopyOf(record->sparseValues[0].bytes), (Bytes{'s', 'e', 'v', 'e', 'n'}));
  EXPECT_EQ(record->sparseValues[1].columnId, 12);
  EXPECT_EQ(record->sparseValues[1].length, 4);

  // Without the complex flag the same bytes are an ordinary value.
  const Bytes plainRow = RecordBuilder().SetColumnCount(1).AddVariable(sparse).Build();
  auto plain = Parse(plainRow);
  EXPECT_FALSE(plain->hasSparseVector);
}

TEST_F(RecordTest, SparseVectorCountsAreBounded) {
  Bytes vector = writer::SparseVector({{1, Text("ab")}, {2, Text("cd")}});
  // A count that would put the offsets past the vector reads nothing.
  Bytes huge = vector;
  PutUInt(huge, 2, 0xFFFF, 2);
  EXPECT_TRUE(ParseSparseVector(ByteReader(huge)).empty());
  Bytes tooMany = vector;
  PutUInt(tooMany, 2, 5, 2);
  for (const SparseValue& value : ParseSparseVector(ByteReader(tooMany)))
    EXPECT_LE(value.length, static_cast<int32_t>(tooMany.size()));
  // An end offset beyond the vector leaves that value empty.
  Bytes badEnd = vector;
  PutUInt(badEnd, 8, 0x7000, 2);
  auto values = ParseSparseVector(ByteReader(badEnd));
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].length, 0);
  EXPECT_EQ(values[1].length, 4);  // starts where the first value should have
  // A vector of 4 bytes or less holds nothing.
  EXPECT_TRUE(ParseSparseVector(ByteReader(Bytes{5, 0, 1, 0})).empty());
}

TEST_F(RecordTest, TypeFilterAndHiddenFlag) {
  auto withType = [](uint8_t type) {
    return RecordBuilder().SetType(type).SetFixed({1, 2}).SetColumnCount(1).Build();
  };
  struct Case {
    uint8_t type;
    bool invalidOff, hiddenOff, invalidOn;
  } cases[] = {
      {0, false, false, false}, {1, false, false, false}, {3, true, false, true}, {4, true, false, true},
      {5, true, true, true},    {6, true, true, false},   {7, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    const Bytes row = withType(c.type);  // the records view it
    TheApp().settings.showDeleted = false;
    auto off = Parse(row);
    EXPECT_EQ(off->invalid, c.invalidOff);
    EXPECT_EQ(off->hidden, c.hiddenOff);
    TheApp().settings.showDeleted = true;
    auto on = Parse(row);
    EXPECT_EQ(on->invalid, c.invalidOn);
    EXPECT_FALSE(on->hidden);
    if (!c.invalidOn) {
      EXPECT_EQ(CopyOf(on->fixedData), (Bytes{1, 2}));
    }
  }
}

TEST_F(RecordTest, CompressedRowsAreRecognisedNotParsedAsPlain) {
  Bytes row = RecordBuilder().SetFixed({1, 2, 3}).SetColumnCount(1).ForceStatusA(0x31).Build();
  auto record = Parse(row);
  EXPECT_TRUE(record->compressed);
  // Not read as a plain row: the bytes after status A are a column count
  // and descriptors in this format, not a fixed-data end.
  EXPECT_NE(CopyOf(record->fixedData), (Bytes{1, 2, 3}));
  EXPECT_EQ(record->fixedEnd, 0);
  int32_t length = 0;
  EXPECT_EQ(CPrimaryRecord::ParseForSearch(ByteReader(row), nullptr, length), nullptr);
  EXPECT_EQ(length, -1);
}

TEST_F(RecordTest, StubWithoutAPageLeadsNowhere) {
  Bytes stub = writer::ForwardingStub({1, 40}, 3);
  auto record = Parse(stub);
  EXPECT_EQ(record->recordType, kForwardingStubType);
  EXPECT_EQ(record->fixedLength, kUnresolvedForwardLength);
  ASSERT_TRUE(record->forwardedFrom.has_value());
  EXPECT_EQ(record->forwardedFrom->page, (PageAddress{1, 40}));
  EXPECT_EQ(record->forwardedFrom->slot, 3);
  EXPECT_TRUE(record->values.empty());
}

TEST_F(RecordTest, SearchParseReportsTheLengthOrNothing) {
  TheApp().settings.showDeleted = true;
  Bytes row = RecordBuilder().SetType(6).SetFixed(Bytes(128, 7)).SetColumnCount(3).AddVariable(Text("x")).Build();
  Bytes page = row;
  page.resize(row.size() + 50, 0xEE);  // whatever follows the row
  int32_t length = 0;
  auto found = CPrimaryRecord::ParseForSearch(ByteReader(page), nullptr, length);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(length, static_cast<int32_t>(row.size()));
  EXPECT_EQ(found->maxLength, kMaxRecordSize);

  // Without variable columns the length ends after the null bitmap.
  Bytes fixedOnly = RecordBuilder().SetFixed({1, 2, 3}).SetColumnCount(9).Build();
  ASSERT_NE(CPrimaryRecord::ParseForSearch(ByteReader(fixedOnly), nullptr, length), nullptr);
  EXPECT_EQ(length, 4 + 3 + 2 + 2);

  const Bytes rejected[] = {
      writer::ForwardingStub({1, 5}, 0),
      RecordBuilder().SetType(3).SetFixed({1}).Build(),
      RecordBuilder().SetType(5).SetFixed({1}).Build(),
      RecordBuilder().SetFixed({1}).ForceColumnCount(0).Build(),
      RecordBuilder().SetFixed({1}).ForceColumnCount(1024).Build(),
      Bytes{},
  };
  for (const Bytes& bytes : rejected) {
    length = 7;
    EXPECT_EQ(CPrimaryRecord::ParseForSearch(ByteReader(bytes), nullptr, length), nullptr);
    EXPECT_EQ(length, -1);
  }
}

TEST_F(RecordTest, StopRequestEndsTheColumnLoop) {
  RecordBuilder builder;
  builder.SetFixed({1}).SetColumnCount(50);
  for (int i = 0; i < 50; ++i) builder.AddVariable(Text("v"));
  Bytes row = builder.Build();
  TheApp().stopRequested = true;
  auto record = Parse(row);
  EXPECT_TRUE(record->values.empty());
}

}  // namespace
}  // namespace brinehold
