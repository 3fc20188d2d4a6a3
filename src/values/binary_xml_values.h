// Typed values of a binary xml stream as XML Schema lexical text.
//
// ReadBinaryXmlValue reads the payload of one value token (the token byte
// already consumed) and gives its text, unescaped, in UTF-8: integers in
// decimal; decimal, numeric, money and smallmoney with their scale (the xsd
// decimal without trailing fraction zeros); float and real in the shortest
// text that reads back as the same value ("INF", "-INF", "NaN" when not
// finite); bit as 1 or 0, boolean as true or false; uniqueidentifier in
// upper-case hexadecimal groups; binary as base64 (hexadecimal for the
// binhex token); dates as YYYY-MM-DD, times as HH:MM:SS with their fraction
// (datetime three digits, the newer types without trailing zeros), joined
// by "T"; the values counted in UTC carry "Z", the offset values their
// offset (+HH:MM, or Z for zero).
//
// Layouts read (little-endian throughout): smallint, int, bigint, tinyint,
// byte, unsigned short/int/long, real, float at their natural width; money
// a 64-bit and smallmoney a 32-bit count of ten-thousandths; decimal as a
// length byte (bytes that follow), precision, scale, sign (0 negative) and
// 4 to 16 magnitude bytes; datetime as days since 1900-01-01 (32 bits) then
// 1/300 s of the day, smalldatetime as days (16 bits) then minutes; the xsd
// date, time and dateTime tokens packed in one 64-bit value (PackedValue);
// the newer tokens as in the wire protocol: a scale byte, the time of day in
// 10^-scale seconds in 3, 4 or 5 bytes by scale, a 3-byte day number from
// 0001-01-01 and, for the three offset tokens, a 16-bit offset in minutes
// (the stored time is UTC); the date token only its 3-byte day number, the
// time and dateTime tokens scale, time and date; character data as a UTF-16
// run, or a byte run (mb64 length) opening with a 32-bit code page; binary
// data as an mb64 byte run.
//
// Nothing when the payload is cut short or out of range. The qualified-name
// token needs the name tables and is read by the decoder itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/byte_reader.h"

namespace brinehold::binxml {

std::optional<std::string> ReadBinaryXmlValue(uint8_t token, ByteReader in, size_t* pos);

// Standard base64 with padding.
std::string Base64(ByteReader bytes);

}  // namespace brinehold::binxml
