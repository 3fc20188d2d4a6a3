#include "values/value_decoder.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "session/app_state.h"
#include "values/le_bytes.h"
#include "values/xml_converter.h"

namespace brinehold {
namespace {

using test::DayNumber;
using test::LeBytes;

constexpr int32_t kCyrillic = 53269;         // Cyrillic_General_CI_AS, code page 1251
constexpr int32_t kJapanese = 53264;         // Japanese_CI_AS, code page 932
constexpr int32_t kLatinSql = 872468488;     // SQL_Latin1_General_CP1_CI_AS, code page 1252
constexpr int32_t kUnicodeOnly = 99999;      // a collation without an 8-bit code page
constexpr int32_t kUtf8 = 123456;            // a collation with code page 65001

class ValueDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    saved_ = TheApp().collations;
    TheApp().collations = {{kCyrillic, {"Cyrillic_General_CI_AS", 1251}},
                           {kJapanese, {"Japanese_CI_AS", 932}},
                           {kLatinSql, {"SQL_Latin1_General_CP1_CI_AS", 1252}},
                           {kUnicodeOnly, {"Unicode_Only", 0}},
                           {kUtf8, {"Latin1_General_100_CI_AS_SC_UTF8", 65001}}};
  }
  void TearDown() override {
    TheApp().collations = saved_;
    TheApp().ResetForTests();
    InstallXmlConverter(nullptr);
  }

  // Decodes `bytes` as the renderer does for a value of `column` found in
  // the fixed part (or as a variable entry when the state says so).
  static std::string Decode(const ColumnInfo& column, const std::vector<uint8_t>& bytes, ValueState* out = nullptr) {
    ValueState state = InitValueState(column, column.kind, nullptr);
    state.available = bytes.size();
    if (state.isVariable) state.valueLength = static_cast<int16_t>(bytes.size());
    std::string text = DecodeValue(state, ByteReader(bytes), column);
    if (out) *out = state;
    return text;
  }
  static ColumnInfo Column(const char* type, ValueKind kind, int32_t collation = -1) {
    ColumnInfo c = BuildColumnInfo("c", type, kind);
    c.collationId = collation;
    return c;
  }

 private:
  CollationTable saved_;
};

TEST_F(ValueDecoderTest, Integers) {
  EXPECT_EQ(Decode(Column("tinyint(1)", ValueKind::TinyInt), LeBytes().Raw({0xFF})), "255");
  EXPECT_EQ(Decode(Column("smallint(2)", ValueKind::SmallInt), LeBytes().Raw({0xFF, 0xFF})), "-1");
  EXPECT_EQ(Decode(Column("int(4)", ValueKind::Int), LeBytes().Int(0x80000000u, 4)), "-2147483648");
  EXPECT_EQ(Decode(Column("bigint(8)", ValueKind::BigInt), LeBytes().Int(0x8000000000000000ull, 8)),
            "-9223372036854775808");
  // A fixed-size value longer than the bytes present is not decoded.
  EXPECT_EQ(Decode(Column("int(4)", ValueKind::Int), LeBytes().Raw({1, 0, 0})), "");
  // No bytes at all.
  ColumnInfo c = Column("int(4)", ValueKind::Int);
  ValueState state = InitValueState(c, c.kind, nullptr);
  EXPECT_EQ(DecodeValue(state, ByteReader(), c), "");
}

TEST_F(ValueDecoderTest, InitValueStateSizes) {
  ColumnInfo money = Column("money(8)", ValueKind::Money);
  ValueState s = InitValueState(money, money.kind, nullptr);
  EXPECT_EQ(s.fixedSize, 8);
  EXPECT_EQ(s.valueLength, 8);
  EXPECT_EQ(s.declaredLength, 0);
  EXPECT_EQ(s.isVariable, 0);
  ColumnInfo chars = Column("char(12)", ValueKind::Char);
  s = InitValueState(chars, chars.kind, nullptr);
  EXPECT_EQ(s.fixedSize, 12);
  EXPECT_EQ(s.valueLength, 12);
  ColumnInfo numeric = Column("numeric(9)", ValueKind::Numeric);
  EXPECT_EQ(InitValueState(numeric, numeric.kind, nullptr).fixedSize, 17);  // sign and at most 16 magnitude bytes
  ColumnInfo name = Column("nvarchar(100)", ValueKind::NVarChar);
  s = InitValueState(name, name.kind, nullptr);
  EXPECT_EQ(s.isVariable, 1);
  EXPECT_EQ(s.fixedSize, 100);
  ColumnInfo blob = Column("varbinary(50)", ValueKind::VarBinary);
  s = InitValueState(blob, blob.kind, nullptr);
  EXPECT_EQ(s.isVariable, 1);
  EXPECT_EQ(s.fixedSize, 0);
  ColumnInfo text = Column("varchar(50)", ValueKind::VarChar);
  s = InitValueState(text, text.kind, nullptr);
  EXPECT_EQ(s.isVariable, 1);
  EXPECT_EQ(s.fixedSize, 0);
  ColumnInfo pending;
  pending.kind = 18;
  pending.declaredLength = 40;
  s = InitValueState(pending, 18, nullptr);
  EXPECT_EQ(s.kind, 18);
  EXPECT_EQ(s.fixedSize, 0);
  EXPECT_EQ(s.valueLength, 0);
}

TEST_F(ValueDecoderTest, TenBitColumnsShareTwoBytes) {
  // Bits 0..7 in the first byte (LSB first), 8 and 9 in the second.
  const std::vector<uint8_t> fixedPart = {0b10100101, 0b00000010};
  const char* expected[10] = {"True", "False", "True", "False", "False", "True", "False", "True", "False", "True"};
  ColumnInfo bit = Column("bit(1)", ValueKind::Bit);
  BitGroup group;
  size_t position = 0;
  for (int i = 0; i < 10; ++i) {
    ValueState state = InitValueState(bit, bit.kind, &group);
    EXPECT_EQ(state.fixedSize, (i == 0 || i == 8) ? 1 : 0) << i;
    ByteReader row(fixedPart);
    state.available = fixedPart.size() - position;
    EXPECT_EQ(DecodeValue(state, row.Tail(position), bit), expected[i]) << i;
    // Only the first and the ninth bit occupy a byte of the fixed part.
    EXPECT_EQ(state.declaredLength, (i == 0 || i == 8) ? 1 : 0) << i;
    EXPECT_EQ(group.startsGroup, (i == 0 || i == 8) ? 1 : 0) << i;
    position += static_cast<size_t>(state.declaredLength);
  }
  EXPECT_EQ(position, 2u);
}

TEST_F(ValueDecoderTest, BitEdgeCases) {
  ColumnInfo bit = Column("bit(1)", ValueKind::Bit);
  BitGroup group;
  ValueState state = InitValueState(bit, bit.kind, &group);
  state.valueLength = 0;
  std::vector<uint8_t> one = {1};
  EXPECT_EQ(DecodeValue(state, ByteReader(one), bit), "False");
  ValueState lonely = InitValueState(bit, bit.kind, nullptr);
  EXPECT_EQ(DecodeValue(lonely, ByteReader(one), bit), "");
}

TEST_F(ValueDecoderTest, BinaryKinds) {
  EXPECT_EQ(Decode(Column("binary(3)", ValueKind::Binary), LeBytes().Raw({0x01, 0xAB, 0x00})), "0x01AB00");
  EXPECT_EQ(Decode(Column("varbinary(10)", ValueKind::VarBinary), LeBytes().Raw({1, 2})), "0102");
  ValueState state;
  EXPECT_EQ(Decode(Column("timestamp(8)", ValueKind::Timestamp), LeBytes().Int(0x07D1, 8), &state), "0xD107000000000000");
  EXPECT_EQ(state.valueLength, 8);
  ColumnInfo h = Column("hierarchyid(892)", ValueKind::ClrType);
  h.kind = static_cast<int32_t>(ValueKind::HierarchyId);
  EXPECT_EQ(Decode(h, LeBytes().Raw({0x58})), "/1/");
  h.kind = static_cast<int32_t>(ValueKind::Geometry);
  EXPECT_EQ(Decode(h, LeBytes().Raw({0xE6, 0x10})), "E610");  // the renderer adds "0x"
  EXPECT_EQ(Decode(Column("mytype(-1)", ValueKind::ClrType), LeBytes().Raw({0xCA, 0xFE})), "CAFE");
  ColumnInfo image = Column("image(16)", ValueKind::Image);
  EXPECT_EQ(Decode(image, LeBytes().Raw({1, 2, 3})), "");
}

TEST_F(ValueDecoderTest, UniqueIdentifier) {
  ValueState state;
  EXPECT_EQ(Decode(Column("uniqueidentifier(16)", ValueKind::UniqueIdentifier),
                   LeBytes().Raw({0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD,
                                  0xEE, 0xFF}),
                   &state),
            "00112233-4455-6677-8899-AABBCCDDEEFF");
  EXPECT_EQ(state.declaredLength, 16);
}

TEST_F(ValueDecoderTest, EightBitTextInTheColumnsCodePage) {
  TheApp().tableLoadActive = true;
  // "Привет" in 1251, "日本" in 932.
  LeBytes russian, japanese;
  russian.Raw({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2});
  japanese.Raw({0x93, 0xFA, 0x96, 0x7B});
  EXPECT_EQ(Decode(Column("varchar(20)", ValueKind::VarChar, kCyrillic), russian), "Привет");
  EXPECT_EQ(Decode(Column("varchar(20)", ValueKind::VarChar, kJapanese), japanese), "日本");
  EXPECT_EQ(Decode(Column("text(16)", ValueKind::Text, kCyrillic), russian), "Привет");
  EXPECT_EQ(Decode(Column("char(6)", ValueKind::Char, kCyrillic), russian), "Привет");
  EXPECT_EQ(Decode(Column("char(4)", ValueKind::Char, kJapanese), japanese), "日本");
  // The current collation is used even when the table lacks it.
  TheApp().collation = {true, 777, 1251};
  EXPECT_EQ(Decode(Column("varchar(20)", ValueKind::VarChar, 777), russian), "Привет");
  EXPECT_EQ(Decode(Column("char(6)", ValueKind::Char, 777), russian), "Привет");
}

TEST_F(ValueDecoderTest, EightBitTextFallbacks) {
  TheApp().tableLoadActive = true;
  LeBytes latin;
  latin.Raw({'c', 'a', 'f', 0xE9, 0x80});
  // A collation id that is not in the table, -1 and 0: the system ANSI code page.
  for (int32_t id : {424242, -1, 0}) {
    EXPECT_EQ(Decode(Column("varchar(20)", ValueKind::VarChar, id), latin), "café€") << id;
    EXPECT_EQ(Decode(Column("char(5)", ValueKind::Char, id), latin), "café€") << id;
  }
  // Unicode-only collation: still readable text.
  EXPECT_EQ(Decode(Column("varchar(20)", ValueKind::VarChar, kUnicodeOnly), latin), "café€");
  // A UTF-8 collation.
  EXPECT_EQ(Decode(Column("varchar(20)", ValueKind::VarChar, kUtf8), LeBytes().Raw({0xC3, 0xA9, 'x'})), "éx");
  // A zero byte is a character of the value, not its end.
  EXPECT_EQ(Decode(Column("varchar(20)", ValueKind::VarChar, kLatinSql), LeBytes().Text("ab").Raw({0}).Text("cd")),
            std::string("ab\0cd", 5));
}

TEST_F(ValueDecoderTest, CodePageIsTheColumnsOutsideATableListing) {
  // Readers other than the table listing (SharePoint tables, definitions)
  // see the same characters.
  TheApp().tableLoadActive = false;
  EXPECT_EQ(Decode(Column("varchar(20)", ValueKind::VarChar, kCyrillic), LeBytes().Raw({0xC0, 0xE1})), "Аб");
}

TEST_F(ValueDecoderTest, FixedCharKeepsBytesAfterAZero) {
  TheApp().tableLoadActive = true;
  const std::string expected("ab\0c\xC3\xA9\0", 7);
  for (bool known : {true, false}) {
    TheApp().collation = known ? CurrentCollation{true, kLatinSql, 1252} : CurrentCollation{};
    EXPECT_EQ(Decode(Column("char(6)", ValueKind::Char, kLatinSql), LeBytes().Text("ab").Raw({0, 'c', 0xE9, 0})),
              expected);
  }
}

TEST_F(ValueDecoderTest, Utf16Kinds) {
  EXPECT_EQ(Decode(Column("nvarchar(40)", ValueKind::NVarChar), LeBytes().Utf16(u"Quản Lý 1")), "Quản Lý 1");
  EXPECT_EQ(Decode(Column("nvarchar(40)", ValueKind::NVarChar), LeBytes().Utf16(u"ab").Int(0, 2).Utf16(u"cd")),
            std::string("ab\0cd", 5));
  ColumnInfo nchar = Column("nchar(8)", ValueKind::NChar);
  EXPECT_EQ(Decode(nchar, LeBytes().Utf16(u"日本語 ")), "日本語 ");
  EXPECT_EQ(Decode(nchar, LeBytes().Utf16(u"日本")), "");  // shorter than its fixed size
  // ntext is UTF-16 whatever its characters.
  ColumnInfo ntext = Column("ntext(16)", ValueKind::NText);
  EXPECT_EQ(Decode(ntext, LeBytes().Utf16(u"Привет")), "Привет");
  EXPECT_EQ(Decode(ntext, LeBytes().Utf16(u"Hello")), "Hello");
  // An odd length cannot be UTF-16: read as 8-bit text.
  EXPECT_EQ(Decode(ntext, LeBytes().Text("abc")), "abc");
}

TEST_F(ValueDecoderTest, SqlVariantThroughTheGeneralDecoder) {
  ColumnInfo variant = Column("sql_variant(8016)", ValueKind::SqlVariant);
  // The renderer hands the bytes after the 8-byte header with the entry length.
  auto decode = [&](const std::vector<uint8_t>& data) {
    ValueState state = InitValueState(variant, variant.kind, nullptr);
    state.valueLength = static_cast<int16_t>(data.size() + 8);
    return DecodeValue(state, ByteReader(data), variant);
  };
  EXPECT_EQ(decode(LeBytes().Utf16(u"Hi")), "Hi");
  EXPECT_EQ(decode(LeBytes().Text("caf").Raw({0xE9})), "café");
  ValueState state = InitValueState(variant, variant.kind, nullptr);
  state.valueLength = 8;
  std::vector<uint8_t> some = {'x'};
  EXPECT_EQ(DecodeValue(state, ByteReader(some), variant), "");
}

TEST_F(ValueDecoderTest, DecimalAndMoneyKinds) {
  ColumnInfo dec = Column("decimal(5)", ValueKind::Decimal);
  dec.precision = 5;
  dec.scale = 2;
  ValueState state;
  EXPECT_EQ(Decode(dec, LeBytes().Raw({0}).Int(1234, 4), &state), "-12.34");
  EXPECT_EQ(state.valueLength, 5);
  EXPECT_EQ(state.declaredLength, 5);
  ColumnInfo num = Column("numeric(13)", ValueKind::Numeric);
  num.precision = 20;
  num.scale = 5;
  std::vector<uint8_t> numeric = LeBytes().Raw({1}).Int(123456789012345ull, 8).Int(0, 4);
  state = InitValueState(num, num.kind, nullptr);
  state.available = numeric.size();
  EXPECT_EQ(DecodeValue(state, ByteReader(numeric), num), "1234567890.12345");
  EXPECT_EQ(state.declaredLength, 13);  // the renderer advances by this, not by 19
  // The declared length does not fit the bytes present.
  EXPECT_EQ(Decode(dec, LeBytes().Raw({1, 2, 3})), "");
  EXPECT_EQ(Decode(Column("money(8)", ValueKind::Money), LeBytes().Int(199900, 8)), "19.9900");
  EXPECT_EQ(Decode(Column("smallmoney(4)", ValueKind::SmallMoney), LeBytes().Int(12345, 4)), "1.2345");
  EXPECT_EQ(Decode(Column("float(8)", ValueKind::Float), LeBytes().Double(0.1)), "0.1");
  EXPECT_EQ(Decode(Column("real(4)", ValueKind::Real), LeBytes().Single(0.00001f)), "0.00001");
}

TEST_F(ValueDecoderTest, DateKindsUseTheColumnScale) {
  ValueState state;
  EXPECT_EQ(Decode(Column("datetime(8)", ValueKind::DateTime), LeBytes().Int(0, 4).Int(0, 4), &state),
            "1900-01-01 00:00:00");
  EXPECT_EQ(state.declaredLength, 8);
  EXPECT_EQ(Decode(Column("smalldatetime(4)", ValueKind::SmallDateTime), LeBytes().Int(1439, 2).Int(0, 2)),
            "1900-01-01 23:59:00");
  EXPECT_EQ(Decode(Column("date(3)", ValueKind::Date), LeBytes().Int(3652058, 3)), "9999-12-31");
  ColumnInfo time = Column("time(5)", ValueKind::Time);
  time.scale = 7;
  EXPECT_EQ(Decode(time, LeBytes().Int(369300012345ull, 5), &state), "10:15:30.0012345");
  EXPECT_EQ(state.declaredLength, 5);
  ColumnInfo time0 = Column("time(3)", ValueKind::Time);
  // time(0) occupies 3 bytes, the kind's fixed size is 5: the value fits by
  // its declared length.
  std::vector<uint8_t> t0 = LeBytes().Int(0, 3);
  state = InitValueState(time0, time0.kind, nullptr);
  state.available = 3;
  EXPECT_EQ(DecodeValue(state, ByteReader(t0), time0), "00:00:00");
  EXPECT_EQ(state.valueLength, 3);
  ColumnInfo dt2 = Column("datetime2(7)", ValueKind::DateTime2);
  dt2.scale = 2;
  EXPECT_EQ(Decode(dt2, LeBytes().Int(12345, 4).Int(static_cast<uint64_t>(DayNumber(2000, 2, 29)), 3)),
            "2000-02-29 00:02:03.45");
  ColumnInfo dto = Column("datetimeoffset(8)", ValueKind::DateTimeOffset);
  EXPECT_EQ(Decode(dto, LeBytes()
                            .Int(23 * 3600 + 30 * 60, 3)
                            .Int(static_cast<uint64_t>(DayNumber(2020, 1, 1)), 3)
                            .Int(60, 2)),
            "2020-01-02 00:30:00 +01:00");
}

class FixedXml final : public XmlConverter {
 public:
  explicit FixedXml(std::string text) : text_(std::move(text)) {}
  std::optional<std::string> Convert(std::span<const uint8_t> stored) override {
    seen = stored.size();
    return text_;
  }
  size_t seen = 0;

 private:
  std::string text_;
};

TEST_F(ValueDecoderTest, XmlGoesThroughTheConverter) {
  ColumnInfo xml = Column("xml(-1)", ValueKind::Xml);
  std::vector<uint8_t> stored = {0xDF, 0xFF, 0x01, 0xB0, 0x04};
  EXPECT_EQ(Decode(xml, stored), " ");  // no converter installed
  auto converter = std::make_unique<FixedXml>("<a/>");
  FixedXml* raw = converter.get();
  InstallXmlConverter(std::move(converter));
  EXPECT_EQ(Decode(xml, stored), "<a/>");
  EXPECT_EQ(raw->seen, stored.size());
  InstallXmlConverter(std::make_unique<FixedXml>(""));
  EXPECT_EQ(Decode(xml, stored), " ");
}

TEST_F(ValueDecoderTest, LyingLengthsStayInsideTheView) {
  // A value length far beyond the bytes given reads zeros, not memory.
  ColumnInfo name = Column("nvarchar(4000)", ValueKind::NVarChar);
  ValueState state = InitValueState(name, name.kind, nullptr);
  state.valueLength = 8000;
  std::vector<uint8_t> two = {'A', 0};
  EXPECT_EQ(DecodeValue(state, ByteReader(two), name), "A");
  ColumnInfo dec = Column("decimal(17)", ValueKind::Decimal);
  dec.precision = 38;
  state = InitValueState(dec, dec.kind, nullptr);
  state.available = 17;
  std::vector<uint8_t> signOnly = {1, 5};
  EXPECT_EQ(DecodeValue(state, ByteReader(signOnly), dec), "5");
}

TEST_F(ValueDecoderTest, ArbitraryBytesAndStatesNeverReadOutsideTheView) {
  // Damaged rows hand the decoders any bytes with any lengths; each value is
  // copied into a buffer of exactly its size, so a sanitizer build reports
  // any read beyond it.
  uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  const char* types[] = {"x(8)", "x(-1)", "x", "x(4000)", "x(17)", "x(3)"};
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes(next() % 40);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(next());
    ColumnInfo column = BuildColumnInfo("c", types[next() % 6], static_cast<int32_t>(next() % 36));
    column.precision = static_cast<uint8_t>(next() % 60);
    column.scale = static_cast<uint8_t>(next() % 40);
    column.collationId = (next() % 2) ? kJapanese : kUtf8;
    BitGroup group;
    group.bitIndex = static_cast<int32_t>(next() % 10);
    group.loaded = static_cast<uint8_t>(next() % 2);
    ValueState state = InitValueState(column, column.kind, &group);
    state.available = next() % 50;
    state.valueLength = static_cast<int16_t>(static_cast<int>(next() % 100) - 10);
    state.isVariable = static_cast<uint8_t>(next() % 2);
    std::string text = DecodeValue(state, ByteReader(bytes), column);
    std::string variant = DecodeVariant(static_cast<int>(next() % 60) - 5, state, ByteReader(bytes), column);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);  // always well-formed UTF-8
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(variant)), variant);
  }
}

// --- sql_variant -----------------------------------------------------------

std::string Variant(const std::vector<uint8_t>& bytes, int total = -1) {
  ValueState state;
  ColumnInfo column;
  return DecodeVariant(total < 0 ? static_cast<int>(bytes.size()) : total, state, ByteReader(bytes), column);
}

TEST_F(ValueDecoderTest, VariantFixedBaseTypes) {
  EXPECT_EQ(Variant(LeBytes().Raw({0x38, 1, 7, 0, 0, 0})), "7");
  EXPECT_EQ(Variant(LeBytes().Raw({0x38, 1, 7, 0, 0, 0}), 5), "");
  EXPECT_EQ(Variant(LeBytes().Raw({127, 1}).Int(0x8000000000000000ull, 8)), "-9223372036854775808");
  EXPECT_EQ(Variant(LeBytes().Raw({52, 1}).Int(0xFFFF, 2)), "-1");
  EXPECT_EQ(Variant(LeBytes().Raw({48, 1, 0xFF})), "255");
  EXPECT_EQ(Variant(LeBytes().Raw({104, 1, 2})), "True");
  EXPECT_EQ(Variant(LeBytes().Raw({104, 1, 0})), "False");
  EXPECT_EQ(Variant(LeBytes().Raw({62, 1}).Double(2.5)), "2.5");
  EXPECT_EQ(Variant(LeBytes().Raw({59, 1}).Single(0.00001f)), "0.00001");
  EXPECT_EQ(Variant(LeBytes().Raw({60, 1}).Int(static_cast<uint64_t>(-5), 8)), "-0.0005");
  EXPECT_EQ(Variant(LeBytes().Raw({122, 1}).Int(12345, 4)), "1.2345");
  EXPECT_EQ(Variant(LeBytes().Raw({61, 1}).Int(0, 4).Int(0, 4)), "1900-01-01 00:00:00");
  EXPECT_EQ(Variant(LeBytes().Raw({58, 1}).Int(1439, 2).Int(0, 2)), "1900-01-01 23:59:00");
  EXPECT_EQ(Variant(LeBytes().Raw({40, 1}).Int(3652058, 3)), "9999-12-31");
  EXPECT_EQ(Variant(LeBytes().Raw({36, 1, 0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB,
                                   0xCC, 0xDD, 0xEE, 0xFF})),
            "00112233-4455-6677-8899-AABBCCDDEEFF");
  EXPECT_EQ(Variant(LeBytes().Raw({36, 1, 0})), "");
  EXPECT_EQ(Variant(LeBytes().Raw({99, 1, 1, 2, 3})), "");  // not a base type
}

TEST_F(ValueDecoderTest, VariantScaledBaseTypes) {
  EXPECT_EQ(Variant(LeBytes().Raw({41, 1, 3}).Int(1, 4)), "00:00:00.001");
  EXPECT_EQ(Variant(LeBytes().Raw({42, 1, 0}).Int(0, 3).Int(0, 3)), "0001-01-01 00:00:00");
  EXPECT_EQ(Variant(LeBytes()
                        .Raw({43, 1, 0})
                        .Int(23 * 3600 + 30 * 60, 3)
                        .Int(static_cast<uint64_t>(DayNumber(2020, 1, 1)), 3)
                        .Int(60, 2)),
            "2020-01-02 00:30:00 +01:00");
  EXPECT_EQ(Variant(LeBytes().Raw({106, 1, 5, 2, 1}).Int(1234, 4)), "12.34");
  ValueState state;
  ColumnInfo column;
  std::vector<uint8_t> numeric = LeBytes().Raw({108, 1, 10, 3, 0}).Int(1500, 8);
  EXPECT_EQ(DecodeVariant(static_cast<int>(numeric.size()), state, ByteReader(numeric), column), "-1.500");
  EXPECT_EQ(state.declaredLength, 9);
  EXPECT_EQ(Variant(LeBytes().Raw({108, 1, 10, 3})), "");
}

TEST_F(ValueDecoderTest, VariantStringAndBinaryBaseTypes) {
  // Character data: max length (2 bytes), collation id (4 bytes), then text.
  EXPECT_EQ(Variant(LeBytes().Raw({167, 1}).Int(20, 2).Int(static_cast<uint32_t>(kLatinSql), 4).Text("caf").Raw({0xE9})),
            "café");
  EXPECT_EQ(Variant(LeBytes().Raw({175, 1}).Int(6, 2).Int(kCyrillic, 4).Raw({0xCF, 0xF0, 0xE8})), "При");
  EXPECT_EQ(Variant(LeBytes().Raw({167, 1}).Int(6, 2).Int(0, 4).Text("ab").Raw({0}).Text("c")),
            std::string("ab\0c", 4));
  EXPECT_EQ(Variant(LeBytes().Raw({231, 1}).Int(20, 2).Int(0, 4).Utf16(u"Ωx")), "Ωx");
  EXPECT_EQ(Variant(LeBytes().Raw({239, 1}).Int(20, 2).Int(0, 4).Utf16(u"a").Int(0, 2).Utf16(u"b")),
            std::string("a\0b", 3));
  // Binary data is shown as hexadecimal, zero bytes included.
  EXPECT_EQ(Variant(LeBytes().Raw({165, 1}).Int(8, 2).Raw({0x00, 0x41, 0xFF})), "0x0041FF");
  EXPECT_EQ(Variant(LeBytes().Raw({173, 1}).Int(2, 2).Raw({0x12, 0x34})), "0x1234");
  EXPECT_EQ(Variant(LeBytes().Raw({240, 1, 0xAB})), "0xAB");
  // A total length larger than the bytes present adds nothing to the text.
  EXPECT_EQ(Variant(LeBytes().Raw({231, 1}).Int(20, 2).Int(0, 4).Utf16(u"z"), 40), "z");
}

}  // namespace
}  // namespace brinehold
