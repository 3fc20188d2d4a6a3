#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <vector>

namespace brinehold {
namespace {

std::vector<uint8_t> B(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

TEST(TextCodecTest, RequiredCodePagesAreSupported) {
  for (int cp : {0, 437, 850, 874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257,
                 1258, 65001}) {
    EXPECT_TRUE(IsCodePageSupported(cp)) << cp;
  }
  EXPECT_FALSE(IsCodePageSupported(12345));
  EXPECT_FALSE(IsCodePageSupported(-1));
  // The Windows variants, not the bare standards (they differ in vendor rows).
  EXPECT_STREQ(IconvNameForCodePage(932), "CP932");
  EXPECT_STREQ(IconvNameForCodePage(949), "CP949");
  EXPECT_STREQ(IconvNameForCodePage(0), IconvNameForCodePage(kSystemAnsiCodePage));
}

TEST(TextCodecTest, SingleByteCodePages) {
  // "Привет" in 1251.
  EXPECT_EQ(DecodeCodePage(1251, B({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2})), "Привет");
  EXPECT_EQ(DecodeCodePage(1252, B({'c', 'a', 'f', 0xE9, 0x80})), "café€");
  EXPECT_EQ(DecodeCodePage(1250, B({0x8A, 0x9A, 0xB9})), "Ššą");
  EXPECT_EQ(DecodeCodePage(437, B({0x80, 0xE1})), "Çß");
  EXPECT_EQ(DecodeCodePage(850, B({0x9B})), "ø");
  EXPECT_EQ(DecodeCodePage(874, B({0xA1})), "ก");
  EXPECT_EQ(DecodeCodePage(1253, B({0xC1})), "Α");
  EXPECT_EQ(DecodeCodePage(1254, B({0xD0})), "Ğ");
  EXPECT_EQ(DecodeCodePage(1256, B({0xC7})), "ا");
  EXPECT_EQ(DecodeCodePage(1257, B({0xC0})), "Ą");
}

TEST(TextCodecTest, DoubleByteCodePages) {
  // 日本 in 932, including a vendor extension (NEC row 13: circled 1).
  EXPECT_EQ(DecodeCodePage(932, B({0x93, 0xFA, 0x96, 0x7B})), "日本");
  EXPECT_EQ(DecodeCodePage(932, B({0x87, 0x40})), "①");
  EXPECT_EQ(DecodeCodePage(932, B({'A', 0xB1})), "Aｱ");  // half-width katakana
  EXPECT_EQ(DecodeCodePage(936, B({0xD6, 0xD0, 0xCE, 0xC4})), "中文");
  // 949 extension row beyond EUC-KR: 0x8141 is 갂.
  EXPECT_EQ(DecodeCodePage(949, B({0x81, 0x41})), "갂");
  EXPECT_EQ(DecodeCodePage(950, B({0xA4, 0xA4})), "中");
}

TEST(TextCodecTest, UndefinedBytesAreSubstitutedNotDropped) {
  // 0x81 has no character in 1252: it keeps its number, the rest converts.
  EXPECT_EQ(DecodeCodePage(1252, B({'a', 0x81, 'b'})), "a\u0081b");
  // 0x98 has none in 1251.
  EXPECT_EQ(DecodeCodePage(1251, B({0x98, 0xC0})), "\u0098А");
  // A lead byte with an invalid trail and a lead byte cut off at the end.
  EXPECT_EQ(DecodeCodePage(932, B({'x', 0x81, 0x20, 'y'})), "x\uFFFD y");
  EXPECT_EQ(DecodeCodePage(932, B({'x', 0x93})), "x\uFFFD");
  // Single bytes that Windows maps to characters of their own.
  EXPECT_EQ(DecodeCodePage(936, B({0xFF, 'z'})), "\uF8F5z");
  EXPECT_EQ(DecodeCodePage(932, B({0x80, 0xA0, 0xFD, 0xFE, 0xFF})), "\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
}

TEST(TextCodecTest, CombiningCodePagesAreFlushed) {
  // The last letter is held back by the converter; it must still arrive.
  EXPECT_EQ(DecodeCodePage(1258, B({'V', 'i', 'e'})), "Vie");
  EXPECT_EQ(DecodeCodePage(1255, B({0xF9})), "ש");
  // A base letter and a combining tone mark stay two characters, as
  // Windows reads them.
  EXPECT_EQ(DecodeCodePage(1258, B({'a', 0xEC, 0xD2, 0x80, 0xFE})), "a\u0301\u0309\u20AC\u20AB");
  // The held-back letter keeps its place before a substituted byte.
  std::string mixed = DecodeCodePage(1255, B({'a', 0xCA, 'b'}));
  EXPECT_EQ(mixed.substr(0, 1), "a");
  EXPECT_EQ(mixed.substr(mixed.size() - 1), "b");
}

TEST(TextCodecTest, Utf8AndFallbacks) {
  EXPECT_EQ(DecodeCodePage(65001, B({0xC3, 0xA9, 0xFF, 'x'})), "é\uFFFDx");
  EXPECT_EQ(DecodeCodePage(65001, B({0xED, 0xA0, 0x80})), "\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_FALSE(TryDecodeCodePage(4242, B({'a'})).has_value());
  EXPECT_EQ(DecodeCodePage(4242, B({'a', 0xE9})), "aé");  // unsupported -> system ANSI
  EXPECT_EQ(DecodeCodePage(0, B({0xE9})), "é");
  EXPECT_EQ(DecodeCodePage(1252, {}), "");
  EXPECT_EQ(WidenLatin1(B({'A', 0x80, 0xFF})), "A\u0080\u00FF");
}

TEST(TextCodecTest, LongInputGrowsOutput) {
  std::vector<uint8_t> many(5000, 0xE4);  // each byte becomes 2 UTF-8 bytes
  std::string text = DecodeCodePage(1252, many);
  EXPECT_EQ(text.size(), 10000u);
  std::vector<uint8_t> kanji;
  for (int i = 0; i < 3000; ++i) kanji.insert(kanji.end(), {0x93, 0xFA});
  EXPECT_EQ(DecodeCodePage(932, kanji).size(), 9000u);
}

TEST(TextCodecTest, Utf16Conversions) {
  EXPECT_EQ(Utf16LeToUtf8(B({'H', 0, 'i', 0, 0x2C, 0x67})), "Hi本");
  EXPECT_EQ(Utf16LeToUtf8(B({'A', 0, 'B'})), "A");  // odd final byte ignored
  // Surrogate pair for U+1F600.
  EXPECT_EQ(Utf16LeToUtf8(B({0x3D, 0xD8, 0x00, 0xDE})), "\U0001F600");
  // Lone high surrogate at the end and in the middle, lone low surrogate.
  EXPECT_EQ(Utf16LeToUtf8(B({0x3D, 0xD8})), "\uFFFD");
  EXPECT_EQ(Utf16LeToUtf8(B({'a', 0, 0x3D, 0xD8, 'b', 0, 0x00, 0xDE})), "a\uFFFDb\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(u"a\xD83D" u"b"), "a\uFFFDb");
  EXPECT_EQ(Utf16ToUtf8(u"\xDE00x"), "\uFFFDx");

  EXPECT_EQ(Utf8ToUtf16("Grüße \U0001F600"), u"Grüße \U0001F600");
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xE6\x97"), u"\uFFFD\uFFFD");  // cut-off sequence
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("round trip ü 日本")), "round trip ü 日本");
}

}  // namespace
}  // namespace brinehold
