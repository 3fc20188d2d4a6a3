// Token bytes of SQL Server's binary xml format.
//
// A stored xml value starts with the signature DF FF, a version byte (1, or
// 2 when the newer date and time tokens may occur) and the encoding B0 04
// (code page 1200, UTF-16LE). A stream of tokens follows. Structure tokens
// sit at the top of the byte range; typed values below 0x90. Integers in
// the stream are little-endian; counts and name references are
// variable-length integers of 7 bits per byte, lowest group first, a set
// high bit meaning another byte follows.
//
// Names: kNameDef appends a UTF-16 name to the name table (entry 0 is the
// empty name); kQNameDef appends a qualified name of three name references,
// namespace uri, prefix and local name. A local name of 0 makes it a
// namespace declaration: the prefix entry then holds "xmlns" or
// "xmlns:p", and the attribute's value is the namespace uri; the triple
// 0,0,0 only takes a place in the table. A CDATA section is one or more
// kCData runs closed by kCDataEnd. A nested document (kNest) opens with its
// own header and name tables and ends with kEndNest, which brings back the
// tables of the outer document.
//
// Header-only: the decoder and the synthetic writer share these values.
#pragma once

#include <cstdint>

namespace brinehold::binxml {

inline constexpr uint8_t kSignature0 = 0xDF;
inline constexpr uint8_t kSignature1 = 0xFF;
inline constexpr uint8_t kVersion1 = 0x01;
inline constexpr uint8_t kVersion2 = 0x02;
inline constexpr uint8_t kEncodingUtf16Low = 0xB0;  // 1200 = 0x04B0
inline constexpr uint8_t kEncodingUtf16High = 0x04;

// Structure.
inline constexpr uint8_t kXmlDecl = 0xFE;
inline constexpr uint8_t kEncoding = 0xFD;
inline constexpr uint8_t kDocTypeDecl = 0xFC;
inline constexpr uint8_t kSystem = 0xFB;
inline constexpr uint8_t kPublic = 0xFA;
inline constexpr uint8_t kSubset = 0xF9;
inline constexpr uint8_t kElement = 0xF8;
inline constexpr uint8_t kEndElement = 0xF7;
inline constexpr uint8_t kAttribute = 0xF6;
inline constexpr uint8_t kEndAttributes = 0xF5;
inline constexpr uint8_t kPi = 0xF4;
inline constexpr uint8_t kComment = 0xF3;
inline constexpr uint8_t kCData = 0xF2;
inline constexpr uint8_t kCDataEnd = 0xF1;
inline constexpr uint8_t kNameDef = 0xF0;
inline constexpr uint8_t kQNameDef = 0xEF;
inline constexpr uint8_t kXmlText = 0xED;  // raw xml text, copied as it is
inline constexpr uint8_t kNest = 0xEC;     // a nested document: header, own names, up to kEndNest
inline constexpr uint8_t kEndNest = 0xEB;
inline constexpr uint8_t kExtension = 0xEA;
inline constexpr uint8_t kFlushNames = 0xE9;

// Typed values: SQL types.
inline constexpr uint8_t kSqlSmallInt = 0x01;
inline constexpr uint8_t kSqlInt = 0x02;
inline constexpr uint8_t kSqlReal = 0x03;
inline constexpr uint8_t kSqlFloat = 0x04;
inline constexpr uint8_t kSqlMoney = 0x05;
inline constexpr uint8_t kSqlBit = 0x06;
inline constexpr uint8_t kSqlTinyInt = 0x07;
inline constexpr uint8_t kSqlBigInt = 0x08;
inline constexpr uint8_t kSqlUuid = 0x09;
inline constexpr uint8_t kSqlDecimal = 0x0A;
inline constexpr uint8_t kSqlNumeric = 0x0B;
inline constexpr uint8_t kSqlBinary = 0x0C;
inline constexpr uint8_t kSqlChar = 0x0D;
inline constexpr uint8_t kSqlNChar = 0x0E;
inline constexpr uint8_t kSqlVarBinary = 0x0F;
inline constexpr uint8_t kSqlVarChar = 0x10;
inline constexpr uint8_t kSqlNVarChar = 0x11;
inline constexpr uint8_t kSqlDateTime = 0x12;
inline constexpr uint8_t kSqlSmallDateTime = 0x13;
inline constexpr uint8_t kSqlSmallMoney = 0x14;
inline constexpr uint8_t kSqlText = 0x16;
inline constexpr uint8_t kSqlImage = 0x17;
inline constexpr uint8_t kSqlNText = 0x18;
inline constexpr uint8_t kSqlUdt = 0x1B;

// Typed values: XSD types.
inline constexpr uint8_t kXsdTimeOffset = 0x7A;
inline constexpr uint8_t kXsdDateTimeOffset = 0x7B;
inline constexpr uint8_t kXsdDateOffset = 0x7C;
inline constexpr uint8_t kXsdTime2 = 0x7D;
inline constexpr uint8_t kXsdDateTime2 = 0x7E;
inline constexpr uint8_t kXsdDate2 = 0x7F;
inline constexpr uint8_t kXsdTime = 0x81;
inline constexpr uint8_t kXsdDateTime = 0x82;
inline constexpr uint8_t kXsdDate = 0x83;
inline constexpr uint8_t kXsdBinHex = 0x84;
inline constexpr uint8_t kXsdBase64 = 0x85;
inline constexpr uint8_t kXsdBoolean = 0x86;
inline constexpr uint8_t kXsdDecimal = 0x87;
inline constexpr uint8_t kXsdByte = 0x88;
inline constexpr uint8_t kXsdUnsignedShort = 0x89;
inline constexpr uint8_t kXsdUnsignedInt = 0x8A;
inline constexpr uint8_t kXsdUnsignedLong = 0x8B;
inline constexpr uint8_t kXsdQName = 0x8C;

// True for every token that carries one value (text or typed).
constexpr bool IsValueToken(uint8_t token) {
  return (token >= kSqlSmallInt && token <= kSqlSmallMoney) || (token >= kSqlText && token <= kSqlNText) ||
         token == kSqlUdt || (token >= kXsdTimeOffset && token <= kXsdDate2) ||
         (token >= kXsdTime && token <= kXsdQName);
}

// True for the value tokens that hold character data (no separator is put
// between two of them).
constexpr bool IsTextValueToken(uint8_t token) {
  return token == kSqlChar || token == kSqlNChar || token == kSqlVarChar || token == kSqlNVarChar ||
         token == kSqlText || token == kSqlNText;
}

}  // namespace brinehold::binxml
