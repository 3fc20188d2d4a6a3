// SCSU decoding: the worked samples of Unicode Technical Standard #6, every
// tag of both modes, surrogates, and damaged or oversized input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/scsu_decoder.h"
#include "writer/compression_builder.h"

namespace brinehold {
namespace {

std::string Decode(const std::vector<uint8_t>& bytes) { return DecodeScsu(bytes); }

TEST(ScsuDecoderTest, StandardSamples) {
  // German: plain Latin-1 bytes are already SCSU.
  EXPECT_EQ(Decode({0xD6, 0x6C, 0x20, 0x66, 0x6C, 0x69, 0x65, 0xDF, 0x74}), "Öl fließt");
  // Russian: SC2 selects the Cyrillic window.
  EXPECT_EQ(Decode({0x12, 0x9C, 0xBE, 0xC1, 0xBA, 0xB2, 0xB0}), "Москва");
  // Japanese (the sample's opening): SQ7 quotes the ideographic space, SD3
  // places a window at U+2600, SC6 uses the katakana window, SCU switches
  // to Unicode mode and UC5 back to the hiragana window.
  EXPECT_EQ(Decode({0x08, 0x00, 0x1B, 0x4C, 0xEA, 0x16, 0xCA, 0xD3, 0x94, 0x0F, 0x53, 0xEF, 0x61, 0x1B,
                    0xE5, 0x84, 0xC4, 0x0F, 0x53, 0xEF, 0x61, 0x1B, 0xE5, 0x84, 0xC4, 0x16, 0xCA, 0xD3, 0x94}),
            "\u3000♪リンゴ可愛いや可愛いやリンゴ");
}

TEST(ScsuDecoderTest, SingleByteModeTags) {
  // Quote from a static window (SQ1: U+0080 + byte) and from a dynamic one.
  EXPECT_EQ(Decode({0x41, 0x02, 0x29, 0x42}), "A\u00A9B");
  EXPECT_EQ(Decode({0x03, 0x90}), "\u0410");  // SQ2 from the Cyrillic window, mode unchanged
  // Control characters other than NUL, tab, CR, LF come through SQ0.
  EXPECT_EQ(Decode({0x01, 0x07, 0x09, 0x0A, 0x0D}), std::string("\x07\t\n\r"));
  // SD0 with a half-block offset from the fixed table (0xF9: U+00C0).
  EXPECT_EQ(Decode({0x18, 0xF9, 0x80}), "\u00C0");
  // Offsets above the surrogate area skip it (index 0x68 → U+E000).
  EXPECT_EQ(Decode({0x18, 0x68, 0x81}), "\uE001");
  // SQU quotes one code unit.
  EXPECT_EQ(Decode({0x0E, 0x4E, 0x2D}), "\u4E2D");
  // SDX defines an extended window in the supplementary planes: window 1 at
  // U+10000 + 0x80 * 0x0010 = U+10800.
  EXPECT_EQ(Decode({0x0B, 0x20, 0x10, 0x85}), "\U00010805");
}

TEST(ScsuDecoderTest, UnicodeModeTags) {
  // SCU, two units, UQU quoting a tag-like unit, UC0 back to window 0.
  EXPECT_EQ(Decode({0x0F, 0x00, 0x41, 0xF0, 0xE0, 0x01, 0xE0, 0xE9}), "A\uE001é");
  // UD1 defines window 1 at U+0400 and returns to single-byte mode.
  EXPECT_EQ(Decode({0x0F, 0xE9, 0x08, 0x90, 0x41}), "\u0410A");
  // UDX defines an extended window.
  EXPECT_EQ(Decode({0x0F, 0xF1, 0x00, 0x00, 0x80}), "\U00010000");
  // A surrogate pair written as two Unicode-mode units.
  EXPECT_EQ(Decode({0x0F, 0xD8, 0x3D, 0xDE, 0x00}), "\U0001F600");
}

TEST(ScsuDecoderTest, SurrogatesArePairedOrDropped) {
  EXPECT_EQ(Decode({0x0E, 0xD8, 0x3D, 0x0E, 0xDE, 0x00}), "\U0001F600");
  EXPECT_EQ(Decode({0x0E, 0xD8, 0x3D, 0x41}), "A");           // high without low
  EXPECT_EQ(Decode({0x41, 0x0E, 0xDC, 0x00, 0x42}), "AB");    // low without high
  EXPECT_EQ(Decode({0x0E, 0xD8, 0x3D}), "");                   // input ends on a high surrogate
}

TEST(ScsuDecoderTest, DamagedInputStopsAndKeepsWhatCameBefore) {
  EXPECT_EQ(Decode({0x41, 0x0C, 0x42}), "A");        // reserved tag
  EXPECT_EQ(Decode({0x41, 0x18, 0x00, 0x42}), "A");  // reserved window index 0
  EXPECT_EQ(Decode({0x41, 0x18, 0xA8, 0x42}), "A");  // reserved window index 0xA8
  EXPECT_EQ(Decode({0x41, 0x0F, 0xF2, 0x00}), "A");  // reserved Unicode-mode tag
  EXPECT_EQ(Decode({0x41, 0x0E, 0x4E}), "A");        // SQU without its second byte
  EXPECT_EQ(Decode({0x41, 0x0F, 0x4E}), "A");        // half a unit in Unicode mode
  EXPECT_EQ(Decode({0x41, 0x0B, 0x20}), "A");        // SDX without its second byte
  EXPECT_EQ(Decode({0x41, 0x05}), "A");              // SQ4 without its byte
  EXPECT_EQ(Decode({}), "");
}

TEST(ScsuDecoderTest, OutputIsBounded) {
  std::vector<uint8_t> input(10000, 0x41);
  EXPECT_EQ(DecodeScsu(input).size(), kScsuOutputLimit);
  // Three-byte characters never end half-written at the bound.
  std::vector<uint8_t> wide{0x0F};
  for (int i = 0; i < 3000; ++i) {
    wide.push_back(0x4E);
    wide.push_back(0x2D);
  }
  const std::string text = DecodeScsu(wide);
  EXPECT_LE(text.size(), kScsuOutputLimit);
  EXPECT_EQ(text.size() % 3, 0u);
  EXPECT_EQ(DecodeScsu(wide, 7).size(), 6u);
  EXPECT_EQ(DecodeScsuToUtf16Le(wide, 7).size(), 6u);
  EXPECT_TRUE(DecodeScsu(input, 0).empty());
}

TEST(ScsuDecoderTest, Utf16OutputMatchesTheText) {
  EXPECT_EQ(DecodeScsuToUtf16Le(std::vector<uint8_t>{0x12, 0x9C, 0x41}),
            (std::vector<uint8_t>{0x1C, 0x04, 0x41, 0x00}));
  EXPECT_EQ(DecodeScsuToUtf16Le(std::vector<uint8_t>{0x0F, 0xD8, 0x3D, 0xDE, 0x00}),
            (std::vector<uint8_t>{0x3D, 0xD8, 0x00, 0xDE}));
}

TEST(ScsuDecoderTest, WriterEncodingRoundTrips) {
  for (const std::string text : {"plain ASCII", "Öl fließt", "Москва и Київ", "Ελληνικά", "日本語テキスト",
                                 "tab\tand\x01control", "emoji \U0001F600 end", "mixed Ωmega and ωmega"}) {
    EXPECT_EQ(DecodeScsu(writer::ScsuEncode(text)), text) << text;
  }
}

}  // namespace
}  // namespace brinehold
