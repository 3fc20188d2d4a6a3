#include "writer/binary_xml_writer.h"

#include <cstring>

#include "platform/text_codec.h"
#include "values/binary_xml_tokens.h"
#include "writer/record_builder.h"

namespace brinehold::writer {

namespace {

using namespace brinehold::binxml;

void SplitQualified(const std::string& qualified, std::string* prefix, std::string* local) {
  const size_t colon = qualified.find(':');
  if (colon == std::string::npos) {
    prefix->clear();
    *local = qualified;
  } else {
    *prefix = qualified.substr(0, colon);
    *local = qualified.substr(colon + 1);
  }
}

Bytes Token(uint8_t token) { return Bytes{token}; }

template <typename T>
Bytes Fixed(uint8_t token, T value) {
  Bytes out{token};
  AppendLE(out, static_cast<uint64_t>(value), sizeof(T));
  return out;
}

}  // namespace

void AppendMb(Bytes& out, uint64_t value) {
  do {
    uint8_t group = value & 0x7F;
    value >>= 7;
    if (value != 0) group |= 0x80;
    out.push_back(group);
  } while (value != 0);
}

void AppendUtf16Text(Bytes& out, const std::string& utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  AppendMb(out, units.size());
  for (char16_t unit : units) AppendLE(out, unit, 2);
}

BinaryXmlWriter::BinaryXmlWriter(uint8_t version)
    : out_{kSignature0, kSignature1, version, kEncodingUtf16Low, kEncodingUtf16High} {}

uint32_t BinaryXmlWriter::NameRef(const std::string& name) {
  if (name.empty()) return 0;
  auto found = names_.find(name);
  if (found != names_.end()) return found->second;
  out_.push_back(kNameDef);
  AppendUtf16Text(out_, name);
  const uint32_t ref = static_cast<uint32_t>(names_.size()) + 1;
  names_[name] = ref;
  return ref;
}

uint32_t BinaryXmlWriter::QNameRef(const std::string& qualifiedName, const std::string& uri) {
  std::string prefix, local;
  SplitQualified(qualifiedName, &prefix, &local);
  // A namespace declaration: the whole "xmlns" or "xmlns:p" as the prefix,
  // local name 0.
  const bool declaration = prefix == "xmlns" || (prefix.empty() && local == "xmlns");
  const auto key = declaration ? std::make_tuple(uint32_t{0}, NameRef(qualifiedName), uint32_t{0})
                               : std::make_tuple(NameRef(uri), NameRef(prefix), NameRef(local));
  auto found = qnames_.find(key);
  if (found != qnames_.end()) return found->second;
  out_.push_back(kQNameDef);
  AppendMb(out_, std::get<0>(key));
  AppendMb(out_, std::get<1>(key));
  AppendMb(out_, std::get<2>(key));
  const uint32_t ref = static_cast<uint32_t>(qnames_.size()) + 1;
  qnames_[key] = ref;
  return ref;
}

void BinaryXmlWriter::CloseAttributes() {
  if (attributesOpen_ && hadAttributes_) out_.push_back(kEndAttributes);
  attributesOpen_ = false;
  hadAttributes_ = false;
}

BinaryXmlWriter& BinaryXmlWriter::XmlDeclaration(const std::string& version, const std::string& encoding,
                                                 uint8_t standalone) {
  out_.push_back(kXmlDecl);
  AppendUtf16Text(out_, version);
  if (!encoding.empty()) {
    out_.push_back(kEncoding);
    AppendUtf16Text(out_, encoding);
  }
  out_.push_back(standalone);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::DocType(const std::string& name, const std::string& systemId,
                                          const std::string& publicId, const std::string& subset) {
  out_.push_back(kDocTypeDecl);
  AppendUtf16Text(out_, name);
  if (!systemId.empty()) {
    out_.push_back(kSystem);
    AppendUtf16Text(out_, systemId);
  }
  if (!publicId.empty()) {
    out_.push_back(kPublic);
    AppendUtf16Text(out_, publicId);
  }
  if (!subset.empty()) {
    out_.push_back(kSubset);
    AppendUtf16Text(out_, subset);
  }
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::StartElement(const std::string& qualifiedName, const std::string& uri) {
  CloseAttributes();
  const uint32_t ref = QNameRef(qualifiedName, uri);
  out_.push_back(kElement);
  AppendMb(out_, ref);
  attributesOpen_ = true;
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Attribute(const std::string& qualifiedName, const std::string& text,
                                            const std::string& uri) {
  return TypedAttribute(qualifiedName, xmlvalue::NVarChar(text), uri);
}

BinaryXmlWriter& BinaryXmlWriter::TypedAttribute(const std::string& qualifiedName, const Bytes& values,
                                                 const std::string& uri) {
  const uint32_t ref = QNameRef(qualifiedName, uri);
  out_.push_back(kAttribute);
  AppendMb(out_, ref);
  out_.insert(out_.end(), values.begin(), values.end());
  hadAttributes_ = true;
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Text(const std::string& text) { return Value(xmlvalue::NVarChar(text)); }

BinaryXmlWriter& BinaryXmlWriter::Value(const Bytes& typedValue) {
  CloseAttributes();
  out_.insert(out_.end(), typedValue.begin(), typedValue.end());
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::QNameValue(const std::string& qualifiedName, const std::string& uri) {
  CloseAttributes();
  const uint32_t ref = QNameRef(qualifiedName, uri);
  out_.push_back(kXsdQName);
  AppendMb(out_, ref);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Comment(const std::string& text) {
  CloseAttributes();
  out_.push_back(kComment);
  AppendUtf16Text(out_, text);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::CData(const std::string& text) {
  CloseAttributes();
  out_.push_back(kCData);
  AppendUtf16Text(out_, text);
  out_.push_back(kCDataEnd);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::ProcessingInstruction(const std::string& target, const std::string& data) {
  CloseAttributes();
  const uint32_t ref = NameRef(target);
  out_.push_back(kPi);
  AppendMb(out_, ref);
  AppendUtf16Text(out_, data);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::EndElement() {
  CloseAttributes();
  out_.push_back(kEndElement);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::FlushNames() {
  CloseAttributes();
  out_.push_back(kFlushNames);
  names_.clear();
  qnames_.clear();
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::XmlText(const std::string& text) {
  CloseAttributes();
  out_.push_back(kXmlText);
  AppendUtf16Text(out_, text);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Nested(const Bytes& document) {
  CloseAttributes();
  out_.push_back(kNest);
  out_.insert(out_.end(), document.begin(), document.end());
  out_.push_back(kEndNest);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Raw(const Bytes& bytes) {
  out_.insert(out_.end(), bytes.begin(), bytes.end());
  return *this;
}

namespace xmlvalue {

Bytes NVarChar(const std::string& text) {
  Bytes out = Token(kSqlNVarChar);
  AppendUtf16Text(out, text);
  return out;
}

Bytes VarChar(int32_t codePage, const Bytes& bytes) {
  Bytes out = Token(kSqlVarChar);
  AppendMb(out, bytes.size() + 4);
  AppendLE(out, static_cast<uint32_t>(codePage), 4);
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

Bytes SmallInt(int16_t value) { return Fixed(kSqlSmallInt, static_cast<uint16_t>(value)); }
Bytes Int(int32_t value) { return Fixed(kSqlInt, static_cast<uint32_t>(value)); }
Bytes BigInt(int64_t value) { return Fixed(kSqlBigInt, static_cast<uint64_t>(value)); }
Bytes TinyInt(uint8_t value) { return Fixed(kSqlTinyInt, value); }
Bytes Byte(int8_t value) { return Fixed(kXsdByte, static_cast<uint8_t>(value)); }
Bytes UnsignedShort(uint16_t value) { return Fixed(kXsdUnsignedShort, value); }
Bytes UnsignedInt(uint32_t value) { return Fixed(kXsdUnsignedInt, value); }
Bytes UnsignedLong(uint64_t value) { return Fixed(kXsdUnsignedLong, value); }
Bytes Bit(bool value) { return Fixed(kSqlBit, static_cast<uint8_t>(value ? 1 : 0)); }
Bytes Boolean(bool value) { return Fixed(kXsdBoolean, static_cast<uint8_t>(value ? 1 : 0)); }

Bytes Real(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return Fixed(kSqlReal, bits);
}

Bytes Float(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return Fixed(kSqlFloat, bits);
}

Bytes Money(int64_t tenThousandths) { return Fixed(kSqlMoney, static_cast<uint64_t>(tenThousandths)); }

Bytes SmallMoney(int32_t tenThousandths) { return Fixed(kSqlSmallMoney, static_cast<uint32_t>(tenThousandths)); }

Bytes Decimal(uint8_t token, uint8_t precision, uint8_t scale, bool positive, uint64_t magnitude) {
  Bytes out = Token(token);
  out.push_back(3 + 8);
  out.push_back(precision);
  out.push_back(scale);
  out.push_back(positive ? 1 : 0);
  AppendLE(out, magnitude, 8);
  return out;
}

Bytes Uuid(const Bytes& sixteen) { return ByteThen(kSqlUuid, sixteen); }

namespace {
Bytes Run(uint8_t token, const Bytes& bytes) {
  Bytes out = Token(token);
  AppendMb(out, bytes.size());
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}
}  // namespace

Bytes Base64Binary(const Bytes& bytes) { return Run(kXsdBase64, bytes); }
Bytes VarBinary(const Bytes& bytes) { return Run(kSqlVarBinary, bytes); }
Bytes BinHex(const Bytes& bytes) { return Run(kXsdBinHex, bytes); }

Bytes DateTime(int32_t daysSince1900, uint32_t threeHundredths) {
  Bytes out = Token(kSqlDateTime);
  AppendLE(out, static_cast<uint32_t>(daysSince1900), 4);
  AppendLE(out, threeHundredths, 4);
  return out;
}

Bytes SmallDateTime(uint16_t daysSince1900, uint16_t minutes) {
  Bytes out = Token(kSqlSmallDateTime);
  AppendLE(out, daysSince1900, 2);
  AppendLE(out, minutes, 2);
  return out;
}

Bytes Packed(uint8_t token, const PackedParts& p) {
  int64_t value = 0;
  if (token == kXsdDate) {
    value = ((int64_t{p.year} + 9999) * 12 + (p.month - 1)) * 31 + (p.day - 1);
    value = value * (29 * 60) + (14 * 60 - p.offsetMinutes);
  } else {
    if (token == kXsdDateTime) value = ((int64_t{p.year} + 9999) * 12 + (p.month - 1)) * 31 + (p.day - 1);
    value = (((value * 24 + p.hour) * 60 + p.minute) * 60 + p.second) * 1000 + p.millisecond;
  }
  return Fixed(token, static_cast<uint64_t>(value * 4));
}

Bytes Newer(uint8_t token, uint8_t scale, uint64_t timeUnits, uint32_t day, int16_t offsetMinutes) {
  const bool time = token != kXsdDate2;
  const bool offset = token == kXsdTimeOffset || token == kXsdDateOffset || token == kXsdDateTimeOffset;
  Bytes out = Token(token);
  if (time) {
    out.push_back(scale);
    AppendLE(out, timeUnits, scale <= 2 ? 3 : (scale <= 4 ? 4 : 5));
  }
  AppendLE(out, day, 3);
  if (offset) AppendLE(out, static_cast<uint16_t>(offsetMinutes), 2);
  return out;
}

}  // namespace xmlvalue

}  // namespace brinehold::writer
