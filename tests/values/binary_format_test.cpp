#include "values/binary_format.h"

#include <gtest/gtest.h>

#include <string>

namespace brinehold {
namespace {

// SQL Server shows the first three groups of a uniqueidentifier byte-swapped
// and the last two in storage order; ParseGuid must undo exactly that.
TEST(BinaryFormat, GuidTextAndItsStoredBytesGoBothWays) {
  const uint8_t stored[16] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                              0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0xFF};
  const std::string text = FormatGuid(ByteReader(stored, sizeof stored));
  EXPECT_EQ(text, "03020100-0504-0706-0809-0A0B0C0D0EFF");
  // Bytes a short value lacks count as zero.
  EXPECT_EQ(FormatGuid(ByteReader(stored, 3)), "00020100-0000-0000-0000-000000000000");
  EXPECT_EQ(FormatHex(ByteReader(stored + 12, 4), true), "0x0C0D0EFF");
  EXPECT_EQ(FormatHex(ByteReader(stored, 0), false), "");
  uint8_t parsed[16] = {};
  ASSERT_TRUE(ParseGuid(text, parsed));
  EXPECT_EQ(std::string(parsed, parsed + 16), std::string(stored, stored + 16));

  for (const char* other : {"03020100-0504-0706-0809-0a0b0c0d0eff", "{03020100-0504-0706-0809-0A0B0C0D0EFF}",
                            "03020100-0504-0706+0809-0A0B0C0D0EFF", "03020100-0504-0706-0809-0A0B0C0D0EF",
                            "03020100050407060809-0A0B0C0D0EFF-G", "03020100-0504-0706-0809-0A0B0C0D0EFG",
                            "03020100-0504-0706-0809-0A0B0C0D0E\xC3\x89", ""})
    EXPECT_FALSE(ParseGuid(other, parsed)) << other;
}

}  // namespace
}  // namespace brinehold
