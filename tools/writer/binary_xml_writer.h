// BinaryXmlWriter: builds the stored (binary) form of an xml value.
//
// Calls mirror the document in order: StartElement, its attributes, then
// content (text, typed values, comments, CDATA, processing instructions,
// child elements) and EndElement. Names are defined on first use (a name
// definition and a qualified-name definition ahead of the token that uses
// them) and referred to afterwards; after attributes the first content or
// end closes the attribute list. Qualified names are written "prefix:local"
// with their namespace uri; namespace declarations are given as attributes
// (Attribute("xmlns:p", uri)) and written as the format declares them (a
// qualified name with local name 0). Raw() appends bytes as they are, for
// damaged and hostile streams; nothing is checked.
//
// The XmlValue helpers give the token and payload of one typed value, in
// the layouts the decoder reads (values/binary_xml_values.h).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "platform/byte_reader.h"

namespace brinehold::writer {

class BinaryXmlWriter {
 public:
  explicit BinaryXmlWriter(uint8_t version = 1);

  BinaryXmlWriter& XmlDeclaration(const std::string& version, const std::string& encoding, uint8_t standalone);
  BinaryXmlWriter& DocType(const std::string& name, const std::string& systemId, const std::string& publicId,
                           const std::string& subset);
  BinaryXmlWriter& StartElement(const std::string& qualifiedName, const std::string& uri = "");
  BinaryXmlWriter& Attribute(const std::string& qualifiedName, const std::string& text,
                             const std::string& uri = "");
  // An attribute whose value is one or more typed values (XmlValue bytes).
  BinaryXmlWriter& TypedAttribute(const std::string& qualifiedName, const Bytes& values,
                                  const std::string& uri = "");
  BinaryXmlWriter& Text(const std::string& text);
  BinaryXmlWriter& Value(const Bytes& typedValue);
  // A value of type QName naming `qualifiedName` in `uri`.
  BinaryXmlWriter& QNameValue(const std::string& qualifiedName, const std::string& uri);
  BinaryXmlWriter& Comment(const std::string& text);
  BinaryXmlWriter& CData(const std::string& text);
  BinaryXmlWriter& ProcessingInstruction(const std::string& target, const std::string& data);
  BinaryXmlWriter& EndElement();
  // Forgets every name defined so far (and tells the reader to).
  BinaryXmlWriter& FlushNames();
  // Xml in text form, copied into the output as it is.
  BinaryXmlWriter& XmlText(const std::string& text);
  // A whole stored document (another writer's Finish()) nested here.
  BinaryXmlWriter& Nested(const Bytes& document);
  BinaryXmlWriter& Raw(const Bytes& bytes);

  Bytes Finish() const { return out_; }

 private:
  uint32_t NameRef(const std::string& name);
  uint32_t QNameRef(const std::string& qualifiedName, const std::string& uri);
  void CloseAttributes();

  Bytes out_;
  std::map<std::string, uint32_t> names_;
  std::map<std::tuple<uint32_t, uint32_t, uint32_t>, uint32_t> qnames_;
  bool attributesOpen_ = false;
  bool hadAttributes_ = false;
};

// Variable-length integer of 7-bit groups, lowest first.
void AppendMb(Bytes& out, uint64_t value);
// mb32 count of UTF-16 units, then the UTF-16LE text.
void AppendUtf16Text(Bytes& out, const std::string& utf8);

namespace xmlvalue {
Bytes NVarChar(const std::string& text);
Bytes VarChar(int32_t codePage, const Bytes& bytes);
Bytes SmallInt(int16_t value);
Bytes Int(int32_t value);
Bytes BigInt(int64_t value);
Bytes TinyInt(uint8_t value);
Bytes Byte(int8_t value);
Bytes UnsignedShort(uint16_t value);
Bytes UnsignedInt(uint32_t value);
Bytes UnsignedLong(uint64_t value);
Bytes Bit(bool value);
Bytes Boolean(bool value);
Bytes Real(float value);
Bytes Float(double value);
Bytes Money(int64_t tenThousandths);
Bytes SmallMoney(int32_t tenThousandths);
// token: the decimal, numeric or xsd decimal token.
Bytes Decimal(uint8_t token, uint8_t precision, uint8_t scale, bool positive, uint64_t magnitude);
Bytes Uuid(const Bytes& sixteen);
Bytes Base64Binary(const Bytes& bytes);
Bytes VarBinary(const Bytes& bytes);
Bytes BinHex(const Bytes& bytes);
Bytes DateTime(int32_t daysSince1900, uint32_t threeHundredths);
Bytes SmallDateTime(uint16_t daysSince1900, uint16_t minutes);
// The xsd date, time or dateTime token's packed value (UTC; the date token
// keeps its offset).
struct PackedParts {
  int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0, offsetMinutes = 0;
};
Bytes Packed(uint8_t token, const PackedParts& parts);
// token: one of the six newer date and time tokens: scale and time (not for
// the date token), the day, and the offset for the three offset tokens.
Bytes Newer(uint8_t token, uint8_t scale, uint64_t timeUnits, uint32_t day, int16_t offsetMinutes);
}  // namespace xmlvalue

}  // namespace brinehold::writer
