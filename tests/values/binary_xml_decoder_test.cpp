#include "values/binary_xml_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "values/binary_xml_converter.h"
#include "values/binary_xml_tokens.h"
#include "values/convert_xml.h"
#include "writer/binary_xml_writer.h"

namespace brinehold {
namespace {

using writer::BinaryXmlWriter;
namespace xv = writer::xmlvalue;
namespace bx = binxml;

std::optional<std::string> Decode(const Bytes& bytes, const BinaryXmlLimits& limits = BinaryXmlLimits()) {
  return DecodeBinaryXml(std::span<const uint8_t>(bytes.data(), bytes.size()), limits);
}

std::string DecodeOk(const Bytes& bytes) {
  auto text = Decode(bytes);
  EXPECT_TRUE(text.has_value());
  return text.value_or("<failed>");
}

Bytes Header() { return Bytes{0xDF, 0xFF, 0x01, 0xB0, 0x04}; }

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---------------------------------------------------------------------------
// Documents round-tripped through the writer.

TEST(BinaryXmlRoundTrip, ElementsAttributesTextAndEscaping) {
  BinaryXmlWriter w;
  w.StartElement("order").Attribute("id", "7").Attribute("note", "a \"b\" <c> & d\te\n");
  w.StartElement("line").Text("fish & chips <2>").EndElement();
  w.StartElement("empty").EndElement();
  w.StartElement("flag").Attribute("on", "yes").EndElement();
  w.StartElement("line").Text("second").EndElement();
  w.EndElement();
  EXPECT_EQ(DecodeOk(w.Finish()),
            "<order id=\"7\" note=\"a &quot;b&quot; &lt;c&gt; &amp; d&#x9;e&#xA;\">"
            "<line>fish &amp; chips &lt;2&gt;</line><empty/><flag on=\"yes\"/><line>second</line></order>");
}

TEST(BinaryXmlRoundTrip, TopLevelFragmentsAndNonAsciiText) {
  BinaryXmlWriter w;
  w.Text("lead ").StartElement("a").Text("Grüße ✓ 𝄞").EndElement().StartElement("b").EndElement();
  EXPECT_EQ(DecodeOk(w.Finish()), "lead <a>Grüße ✓ 𝄞</a><b/>");
  EXPECT_EQ(DecodeOk(BinaryXmlWriter().Finish()), "");
}

TEST(BinaryXmlRoundTrip, NamespaceDeclarationsKeptAndMissingOnesAdded) {
  // Declarations written as attributes stay as they are and are not repeated.
  BinaryXmlWriter declared;
  declared.StartElement("p:root", "urn:p")
      .Attribute("xmlns:p", "urn:p", "http://www.w3.org/2000/xmlns/")
      .Attribute("xmlns", "urn:default", "http://www.w3.org/2000/xmlns/");
  declared.StartElement("p:child", "urn:p").Attribute("p:kind", "x", "urn:p").EndElement();
  declared.StartElement("plain", "urn:default").EndElement();
  declared.EndElement();
  EXPECT_EQ(DecodeOk(declared.Finish()),
            "<p:root xmlns:p=\"urn:p\" xmlns=\"urn:default\"><p:child p:kind=\"x\"/><plain/></p:root>");

  // Names in a namespace without a declaration in scope get one.
  BinaryXmlWriter implicit;
  implicit.StartElement("root", "urn:a").Attribute("q:attr", "1", "urn:q");
  implicit.StartElement("root", "urn:a").EndElement();  // same default: nothing new
  implicit.StartElement("inner").EndElement();           // no namespace: undeclares the default
  implicit.StartElement("q:x", "urn:other").EndElement();  // q rebound inside
  implicit.EndElement();
  EXPECT_EQ(DecodeOk(implicit.Finish()),
            "<root xmlns=\"urn:a\" xmlns:q=\"urn:q\" q:attr=\"1\"><root/><inner xmlns=\"\"/>"
            "<q:x xmlns:q=\"urn:other\"/></root>");

  // A prefix rebound inside a child is bound as before once the child ends.
  BinaryXmlWriter rebound;
  rebound.StartElement("r").Attribute("xmlns:q", "urn:1", "http://www.w3.org/2000/xmlns/");
  rebound.StartElement("q:x", "urn:2").StartElement("q:x", "urn:2").EndElement().EndElement();
  rebound.StartElement("q:y", "urn:1").EndElement().EndElement();
  EXPECT_EQ(DecodeOk(rebound.Finish()), "<r xmlns:q=\"urn:1\"><q:x xmlns:q=\"urn:2\"><q:x/></q:x><q:y/></r>");

  // The xml prefix is always bound.
  BinaryXmlWriter xmlPrefix;
  xmlPrefix.StartElement("t").Attribute("xml:lang", "en", "http://www.w3.org/XML/1998/namespace").EndElement();
  EXPECT_EQ(DecodeOk(xmlPrefix.Finish()), "<t xml:lang=\"en\"/>");
}

TEST(BinaryXmlRoundTrip, CommentsCDataProcessingInstructionsAndDeclarations) {
  BinaryXmlWriter w;
  w.XmlDeclaration("1.0", "utf-8", 1);
  w.DocType("doc", "doc.dtd", "", "");
  w.ProcessingInstruction("xml-stylesheet", "href=\"s.xsl\"");
  w.StartElement("doc");
  w.Comment(" plain ").Comment("a--b-");
  w.CData("<raw> & ]]> end");
  w.XmlText("<t>as is</t>");
  w.Nested(BinaryXmlWriter().XmlDeclaration("1.0", "", 0).StartElement("inner").Text("n").EndElement().Finish());
  w.ProcessingInstruction("empty", "");
  w.ProcessingInstruction("odd", "a?>b");
  w.EndElement();
  EXPECT_EQ(DecodeOk(w.Finish()),
            "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?><!DOCTYPE doc SYSTEM \"doc.dtd\">"
            "<?xml-stylesheet href=\"s.xsl\"?><doc><!-- plain --><!--a- -b- -->"
            "<![CDATA[<raw> & ]]]]><![CDATA[> end]]><t>as is</t><inner>n</inner><?empty?><?odd a? >b?></doc>");
}

// ---------------------------------------------------------------------------
// Byte vectors laid out by hand from the format's published description,
// independent of our writer. P1 is the header, the name "a", its qualified
// name and the start of <a>; each vector ends the element.

Bytes P1(const Bytes& body) {
  Bytes bytes = {0xDF, 0xFF, 0x01, 0xB0, 0x04, 0xF0, 0x01, 0x61, 0x00, 0xEF, 0x00, 0x00, 0x01, 0xF8, 0x01};
  bytes.insert(bytes.end(), body.begin(), body.end());
  bytes.push_back(0xF7);
  return bytes;
}

TEST(BinaryXmlPublishedLayouts, ValuesAndStructures) {
  struct Case {
    const char* what;
    Bytes bytes;
    std::string text;
  };
  const Bytes noon23 = {0x70, 0x43, 0x01, 0x07, 0x24, 0x0B, 0x78, 0x00};  // 23:00 UTC, 2000-01-01, +02:00
  const std::vector<Case> cases = {
      {"cdata", P1({0xF2, 0x01, 0x41, 0x00, 0xF1}), "<a><![CDATA[A]]></a>"},
      {"cdata in two runs", P1({0xF2, 0x01, 0x41, 0x00, 0xF2, 0x01, 0x42, 0x00, 0xF1}), "<a><![CDATA[AB]]></a>"},
      {"money", P1({0x05, 0x10, 0x27, 0, 0, 0, 0, 0, 0}), "<a>1.0000</a>"},
      {"xsd dateTime", P1({0x82, 0x0C, 0x54, 0x75, 0x30, 0xB7, 0x7B, 0x05, 0x00}),
       "<a>2006-01-02T03:04:05.123Z</a>"},
      {"xsd time", P1({0x81, 0x0C, 0x24, 0xA2, 0x02, 0, 0, 0, 0}), "<a>03:04:05.123Z</a>"},
      {"xsd date with offset", P1({0x83, 0x60, 0xB4, 0xA7, 0x3C, 0x07, 0, 0, 0}), "<a>2006-01-02+05:00</a>"},
      {"time with its date", P1({0x7D, 0x03, 0xFC, 0xCE, 0x38, 0x00, 0x00, 0x00, 0x00}), "<a>01:02:03.004</a>"},
      {"dateTime2 fraction trimmed", P1({0x7E, 0x07, 0x40, 0x4B, 0x4C, 0, 0, 0x07, 0x24, 0x0B}),
       "<a>2000-01-01T00:00:00.5</a>"},
      {"date offset", P1(Concat({0x7C, 0x00}, noon23)), "<a>2000-01-02+02:00</a>"},
      {"time offset", P1(Concat({0x7A, 0x00}, noon23)), "<a>01:00:00+02:00</a>"},
      {"dateTime offset", P1(Concat({0x7B, 0x00}, noon23)), "<a>2000-01-02T01:00:00+02:00</a>"},
      {"float shortest", P1({0x04, 0x34, 0x33, 0x33, 0x33, 0x33, 0x33, 0xD3, 0x3F}), "<a>0.30000000000000004</a>"},
      {"float exponent", P1({0x04, 0x9C, 0x75, 0x00, 0x88, 0x3C, 0xE4, 0x37, 0x7E}), "<a>1E+300</a>"},
      {"real denormal", P1({0x03, 0x01, 0x00, 0x00, 0x00}), "<a>1E-45</a>"},
      {"datetime milliseconds", P1({0x12, 0, 0, 0, 0, 0xE4, 0x7A, 0x10, 0x00}), "<a>1900-01-01T01:00:00.120</a>"},
      {"xsd decimal trimmed", P1({0x87, 0x07, 0x05, 0x02, 0x01, 0x96, 0, 0, 0}), "<a>1.5</a>"},
      {"sql decimal kept", P1({0x0A, 0x07, 0x05, 0x02, 0x01, 0x96, 0, 0, 0}), "<a>1.50</a>"},
      {"raw xml text", P1({0xED, 0x04, '<', 0, 'b', 0, '/', 0, '>', 0}), "<a><b/></a>"},
      {"nested document", P1({0xEC, 0xDF, 0xFF, 0x01, 0xB0, 0x04, 0xF0, 0x01, 'b', 0, 0xEF, 0, 0, 1, 0xF8, 0x01,
                              0xF7, 0xEB, 0xF8, 0x01, 0xF7}),
       "<a><b/><a/></a>"},
      {"namespace declaration",
       Bytes{0xDF, 0xFF, 0x01, 0xB0, 0x04, 0xF0, 0x01, 'p', 0, 0xF0, 0x01, 'a', 0,
             0xF0, 0x07, 'x', 0, 'm', 0, 'l', 0, 'n', 0, 's', 0, ':', 0, 'p', 0,
             0xF0, 0x05, 'u', 0, 'r', 0, 'n', 0, ':', 0, 'p', 0,
             0xEF, 0x00, 0x00, 0x00,  // placeholder
             0xEF, 0x04, 0x01, 0x02,  // p:a in urn:p
             0xEF, 0x00, 0x03, 0x00,  // xmlns:p
             0xF8, 0x02, 0xF6, 0x03, 0x11, 0x05, 'u', 0, 'r', 0, 'n', 0, ':', 0, 'p', 0, 0xF5, 0xF7},
       "<p:a xmlns:p=\"urn:p\"/>"},
      {"document type", Concat({0xDF, 0xFF, 0x01, 0xB0, 0x04, 0xFC, 0x01, 'd', 0, 0xFB, 0x01, 's', 0, 0xF9, 0x01, 'x', 0},
                               {}),
       "<!DOCTYPE d SYSTEM \"s\" [x]>"},
  };
  for (const Case& c : cases) EXPECT_EQ(Decode(c.bytes).value_or("<failed>"), c.text) << c.what;

  // The placeholder names nothing; a declaration's prefix must be xmlns.
  const Bytes declared = {0xDF, 0xFF, 0x01, 0xB0, 0x04, 0xF0, 0x01, 'q', 0};
  EXPECT_FALSE(Decode(Concat(declared, {0xEF, 0, 0, 0, 0xF8, 0x01, 0xF7})));
  EXPECT_FALSE(Decode(Concat(declared, {0xEF, 0, 1, 0})));
  // A CDATA run must be closed; a nested document needs its own header and end.
  EXPECT_FALSE(Decode(P1({0xF2, 0x01, 0x41, 0x00})));
  EXPECT_FALSE(Decode(P1({0xEC, 0xF8, 0x01, 0xF7, 0xEB})));
  EXPECT_FALSE(Decode(P1({0xEC, 0xDF, 0xFF, 0x01, 0xB0, 0x04})));
}

TEST(BinaryXmlPublishedLayouts, FailureNamesOffsetAndToken) {
  BinaryXmlError error;
  EXPECT_FALSE(DecodeBinaryXml(P1({0x05, 0x10, 0x27, 0x99}), BinaryXmlLimits(), &error));
  EXPECT_EQ(error.offset, 15u);
  EXPECT_EQ(error.token, 0x05);
  const Bytes open = {0xDF, 0xFF, 0x01, 0xB0, 0x04, 0xF0, 0x01, 0x61, 0x00, 0xEF, 0x00, 0x00, 0x01, 0xF8, 0x01};
  EXPECT_FALSE(DecodeBinaryXml(open, BinaryXmlLimits(), &error));
  EXPECT_EQ(error.offset, open.size());
  EXPECT_EQ(error.token, -1);
}

TEST(BinaryXmlRoundTrip, NamesFlushedAreDefinedAgain) {
  BinaryXmlWriter w;
  w.StartElement("a").StartElement("b").EndElement();
  w.FlushNames();
  w.StartElement("b").Text("again").EndElement().EndElement();
  EXPECT_EQ(DecodeOk(w.Finish()), "<a><b/><b>again</b></a>");

  // Without the new definitions, the old reference no longer resolves.
  BinaryXmlWriter stale;
  stale.StartElement("a").EndElement();
  stale.Raw({bx::kFlushNames, bx::kElement, 0x01, bx::kEndElement});
  EXPECT_FALSE(Decode(stale.Finish()));
}

struct TypedCase {
  const char* what;
  Bytes value;
  std::string text;
};

Bytes Sixteen() {
  Bytes b;
  for (uint8_t i = 0; i < 16; ++i) b.push_back(i);
  return b;
}

constexpr int64_t kDay2000 = 730119;  // 2000-01-01 counted from 0001-01-01

TEST(BinaryXmlRoundTrip, EveryTypedValueAsSchemaText) {
  const std::vector<TypedCase> cases = {
      {"smallint", xv::SmallInt(-5), "-5"},
      {"int", xv::Int(2147483647), "2147483647"},
      {"bigint", xv::BigInt(INT64_MIN), "-9223372036854775808"},
      {"tinyint", xv::TinyInt(255), "255"},
      {"byte", xv::Byte(-128), "-128"},
      {"unsignedShort", xv::UnsignedShort(65535), "65535"},
      {"unsignedInt", xv::UnsignedInt(4294967295u), "4294967295"},
      {"unsignedLong", xv::UnsignedLong(UINT64_MAX), "18446744073709551615"},
      {"bit", xv::Bit(true), "1"},
      {"boolean", xv::Boolean(false), "false"},
      {"real", xv::Real(1.5f), "1.5"},
      {"float", xv::Float(0.1), "0.1"},
      {"float inf", xv::Float(-1.0 / 0.0), "-INF"},
      {"money", xv::Money(123456789), "12345.6789"},
      {"money negative", xv::Money(-1), "-0.0001"},
      {"money wide", xv::Money(int64_t{5} << 32), "2147483.6480"},
      {"smallmoney", xv::SmallMoney(-25000), "-2.5000"},
      {"decimal", xv::Decimal(bx::kSqlDecimal, 10, 2, false, 12345), "-123.45"},
      {"numeric small", xv::Decimal(bx::kSqlNumeric, 5, 3, true, 5), "0.005"},
      {"xsd decimal", xv::Decimal(bx::kXsdDecimal, 19, 0, true, 18446744073709551615u), "18446744073709551615"},
      {"negative zero", xv::Decimal(bx::kSqlDecimal, 5, 1, false, 0), "0.0"},
      {"uuid", xv::Uuid(Sixteen()), "03020100-0504-0706-0809-0A0B0C0D0E0F"},
      {"base64", xv::Base64Binary({'M', 'a', 'n'}), "TWFu"},
      {"base64 pad", xv::Base64Binary({'M', 'a'}), "TWE="},
      {"varbinary", xv::VarBinary({0xFF}), "/w=="},
      {"binhex", xv::BinHex({0xDE, 0xAD, 0x01}), "DEAD01"},
      {"empty binary", xv::VarBinary({}), ""},
      {"datetime", xv::DateTime(0, 300 * 3600 + 1), "1900-01-01T01:00:00.003"},
      {"datetime before 1900", xv::DateTime(-1, 0), "1899-12-31T00:00:00"},
      {"smalldatetime", xv::SmallDateTime(1, 61), "1900-01-02T01:01:00"},
      {"xsd dateTime", xv::Packed(bx::kXsdDateTime, {2000, 1, 1, 12, 0, 0, 500, 0}), "2000-01-01T12:00:00.500Z"},
      {"xsd date", xv::Packed(bx::kXsdDate, {-44, 3, 15, 0, 0, 0, 0, -90}), "-0044-03-15-01:30"},
      {"xsd time", xv::Packed(bx::kXsdTime, {1, 1, 1, 23, 59, 59, 0, 0}), "23:59:59Z"},
      {"date2", xv::Newer(bx::kXsdDate2, 0, 0, kDay2000, 0), "2000-01-01"},
      {"time2", xv::Newer(bx::kXsdTime2, 3, 3723000, 0, 0), "01:02:03"},
      {"datetime2", xv::Newer(bx::kXsdDateTime2, 7, 1, kDay2000, 0), "2000-01-01T00:00:00.0000001"},
      {"datetimeoffset", xv::Newer(bx::kXsdDateTimeOffset, 0, 23 * 3600, kDay2000, 120),
       "2000-01-02T01:00:00+02:00"},
      {"timeoffset", xv::Newer(bx::kXsdTimeOffset, 1, 10, 1, -330), "18:30:01-05:30"},
      {"dateoffset", xv::Newer(bx::kXsdDateOffset, 0, 0, kDay2000, 0), "2000-01-01Z"},
      {"varchar", xv::VarChar(1252, {'c', 'a', 'f', 0xE9}), "caf\xC3\xA9"},
      {"nvarchar", xv::NVarChar("<&>"), "&lt;&amp;&gt;"},
  };
  for (const TypedCase& c : cases) {
    BinaryXmlWriter w;
    w.StartElement("v").Value(c.value).EndElement();
    EXPECT_EQ(DecodeOk(w.Finish()), "<v>" + c.text + "</v>") << c.what;
  }
}

TEST(BinaryXmlRoundTrip, TypedListsAttributesAndQNameValues) {
  BinaryXmlWriter w;
  w.StartElement("v").TypedAttribute("at", Concat(xv::Int(1), xv::Boolean(true)));
  w.Value(xv::Int(1)).Value(xv::Int(2)).Text("a").Text("b").Value(xv::Int(3));
  w.StartElement("q").QNameValue("x:t", "urn:x").EndElement();
  w.EndElement();
  EXPECT_EQ(DecodeOk(w.Finish()), "<v at=\"1 true\">1 2ab3<q>x:t</q></v>");
}

TEST(BinaryXmlConverterTest, InstalledConverterDecodesThroughConvertXml) {
  BinaryXmlWriter w;
  w.StartElement("a").Text("b").EndElement();
  const Bytes stored = w.Finish();
  InstallBinaryXmlConverter();
  EXPECT_EQ(ConvertXml(std::span<const uint8_t>(stored.data(), stored.size())), "<a>b</a>");
  const Bytes junk = {1, 2, 3};
  EXPECT_EQ(ConvertXml(std::span<const uint8_t>(junk.data(), junk.size())), "");
  InstallXmlConverter(nullptr);
}

// ---------------------------------------------------------------------------
// Damaged and hostile input fails cleanly.

Bytes SampleDocument() {
  BinaryXmlWriter w;
  w.StartElement("p:r", "urn:p").Attribute("k", "v").Attribute("n", "1");
  w.Comment("c").CData("d").ProcessingInstruction("pi", "x");
  w.StartElement("e").Value(xv::Decimal(bx::kSqlDecimal, 9, 2, true, 5)).Value(xv::DateTime(1, 2)).EndElement();
  w.Value(xv::Newer(bx::kXsdDateTimeOffset, 7, 5, 10, 60)).Value(xv::VarBinary({1, 2, 3}));
  w.QNameValue("p:r", "urn:p");
  w.EndElement();
  return w.Finish();
}

TEST(BinaryXmlHostile, EveryTruncationFailsOrIsEmpty) {
  const Bytes full = SampleDocument();
  ASSERT_TRUE(Decode(full));
  for (size_t n = 0; n < full.size(); ++n) {
    auto text = Decode(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_TRUE(!text || text->empty()) << "cut at " << n << ": " << *text;
  }
}

TEST(BinaryXmlHostile, HeaderMustBeSignatureVersionAndUtf16) {
  EXPECT_FALSE(Decode({}));
  EXPECT_FALSE(Decode({0xDF, 0xFF, 0x01, 0xB0}));
  EXPECT_FALSE(Decode({0xFF, 0xFE, 0x01, 0xB0, 0x04}));           // UTF-16 text, not binary xml
  EXPECT_FALSE(Decode({0xDF, 0xFF, 0x03, 0xB0, 0x04}));           // unknown version
  EXPECT_FALSE(Decode({0xDF, 0xFF, 0x01, 0xE9, 0xFD}));           // another encoding
  EXPECT_TRUE(Decode({0xDF, 0xFF, 0x02, 0xB0, 0x04}));            // version 2, nothing in it
}

TEST(BinaryXmlHostile, UnknownTokensAndStructureErrors) {
  for (uint8_t token : {0x00, 0x15, 0x19, 0x80, 0x90, 0xE0, 0xFF}) {
    EXPECT_FALSE(Decode(Concat(Header(), {token}))) << int(token);
  }
  BinaryXmlWriter defs;
  defs.StartElement("a").EndElement();
  const Bytes base = defs.Finish();
  EXPECT_FALSE(Decode(Concat(base, {bx::kEndElement})));                    // end without start
  EXPECT_FALSE(Decode(Concat(base, {bx::kAttribute, 0x01})));               // attribute outside a tag
  EXPECT_FALSE(Decode(Concat(base, {bx::kElement, 0x01})));                 // never closed
  EXPECT_FALSE(Decode(Concat(base, {bx::kElement, 0x01, 0x11, 0x00, bx::kAttribute, 0x01, bx::kEndElement,
                                    bx::kEndElement})));                    // attribute after content
  EXPECT_FALSE(Decode(Concat(base, {bx::kElement, 0x01, bx::kEndAttributes, bx::kAttribute, 0x01, 0x11, 0x00,
                                    bx::kEndElement})));                    // attribute after the list ended
  EXPECT_EQ(Decode(Concat(base, {bx::kElement, 0x01, bx::kEndAttributes, bx::kEndElement})), "<a/><a/>");
  EXPECT_FALSE(Decode(Concat(base, {bx::kEndNest})));                       // end of a nest never opened
  EXPECT_FALSE(Decode(Concat(base, {bx::kXmlDecl, 0x00})));                 // declaration after content
  EXPECT_TRUE(Decode(Concat(base, {bx::kNest, 0xDF, 0xFF, 0x01, 0xB0, 0x04, bx::kEndNest, bx::kExtension, 0x02,
                                   0xAA, 0xBB})));
  EXPECT_FALSE(Decode(Concat(base, {bx::kExtension, 0x05, 0xAA})));         // extension cut short
}

TEST(BinaryXmlHostile, ReferencesOutOfRange) {
  const Bytes name = Concat(Header(), {bx::kNameDef, 0x01, 'a', 0x00});
  EXPECT_FALSE(Decode(Concat(name, {bx::kQNameDef, 0x00, 0x00, 0x02})));          // local name 2 of 1
  EXPECT_FALSE(Decode(Concat(name, {bx::kQNameDef, 0x05, 0x00, 0x01})));          // uri name 5
  EXPECT_FALSE(Decode(Concat(name, {bx::kQNameDef, 0x00, 0x00, 0x00, bx::kElement, 0x01})));  // placeholder
  const Bytes qname = Concat(name, {bx::kQNameDef, 0x00, 0x00, 0x01});
  EXPECT_TRUE(Decode(Concat(qname, {bx::kElement, 0x01, bx::kEndElement})));
  EXPECT_FALSE(Decode(Concat(qname, {bx::kElement, 0x00, bx::kEndElement})));     // qname 0
  EXPECT_FALSE(Decode(Concat(qname, {bx::kElement, 0x02, bx::kEndElement})));     // qname 2 of 1
  EXPECT_FALSE(Decode(Concat(qname, {bx::kElement, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, bx::kEndElement})));
  EXPECT_FALSE(Decode(Concat(qname, {bx::kPi, 0x07, 0x00})));                     // target name 7
  EXPECT_FALSE(Decode(Concat(qname, {bx::kXsdQName, 0x03})));                     // qname value 3
}

TEST(BinaryXmlHostile, HugeAndOverlongLengths) {
  // A name claiming 2^32-1 characters, a byte run claiming 2^63, an mb32 of
  // six bytes and one whose fifth byte overflows 32 bits.
  EXPECT_FALSE(Decode(Concat(Header(), {bx::kNameDef, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 'a', 0})));
  EXPECT_FALSE(Decode(Concat(Header(), {bx::kSqlVarBinary, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1})));
  EXPECT_FALSE(Decode(Concat(Header(), {bx::kSqlNVarChar, 0x81, 0x80, 0x80, 0x80, 0x80, 0x00})));
  EXPECT_FALSE(Decode(Concat(Header(), {bx::kSqlNVarChar, 0x80, 0x80, 0x80, 0x80, 0x10})));
  EXPECT_FALSE(Decode(Concat(Header(), {bx::kSqlVarChar, 0x02, 0xE4, 0x04})));     // shorter than its code page
  EXPECT_FALSE(Decode(Concat(Header(), {bx::kSqlDecimal, 0x20, 5, 0, 1})));        // decimal of 32 bytes
  EXPECT_FALSE(Decode(Concat(Header(), {bx::kXsdTime2, 0x09, 0, 0, 0})));          // scale 9
  EXPECT_FALSE(Decode(Concat(Header(), xv::DateTime(0, 300 * 86400))));           // a day's worth of ticks
  EXPECT_FALSE(Decode(Concat(Header(), {bx::kXsdDateTime, 0xFC, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})));
  EXPECT_FALSE(Decode(Concat(Header(), xv::Packed(bx::kXsdTime, {1, 1, 1, 24, 0, 0, 0, 0}))));
  EXPECT_FALSE(Decode(Concat(Header(), xv::Newer(bx::kXsdDate2, 0, 0, 3652059, 0))));  // after 9999-12-31
}

TEST(BinaryXmlHostile, NestingDepthIsBounded) {
  BinaryXmlLimits limits;
  limits.maxDepth = 8;
  auto nested = [](int depth) {
    BinaryXmlWriter w;
    for (int i = 0; i < depth; ++i) w.StartElement("d");
    for (int i = 0; i < depth; ++i) w.EndElement();
    return w.Finish();
  };
  EXPECT_TRUE(Decode(nested(8), limits));
  EXPECT_FALSE(Decode(nested(9), limits));
  // A hundred thousand open elements with the default limits: no recursion,
  // no success.
  BinaryXmlWriter deep;
  deep.StartElement("d");
  deep.Raw(Bytes(100000, bx::kElement));  // each followed by... nothing valid
  EXPECT_FALSE(Decode(deep.Finish()));
  Bytes chain = BinaryXmlWriter().Finish();
  chain = Concat(chain, {bx::kNameDef, 0x01, 'd', 0, bx::kQNameDef, 0, 0, 1});
  for (int i = 0; i < 100000; ++i) {
    chain.push_back(bx::kElement);
    chain.push_back(0x01);
  }
  EXPECT_FALSE(Decode(chain));
  Bytes nests = Header();
  const Bytes nest = Concat({bx::kNest}, Header());
  for (int i = 0; i < 100000; ++i) nests.insert(nests.end(), nest.begin(), nest.end());
  EXPECT_FALSE(Decode(nests));
}

TEST(BinaryXmlHostile, OutputIsBounded) {
  // One long name used many times: a small input that would expand a
  // thousandfold.
  BinaryXmlWriter w;
  w.StartElement(std::string(4000, 'n'));
  for (int i = 0; i < 2000; ++i) w.StartElement(std::string(4000, 'n')).EndElement();
  w.EndElement();
  const Bytes bytes = w.Finish();
  BinaryXmlLimits limits;
  limits.maxOutputBytes = 1 << 20;
  EXPECT_FALSE(Decode(bytes, limits));
  limits.maxOutputBytes = 64 << 20;
  EXPECT_TRUE(Decode(bytes, limits));
  // Attributes piling up in one start tag count as well.
  BinaryXmlWriter attrs;
  attrs.StartElement("a");
  for (int i = 0; i < 2000; ++i) attrs.Attribute(std::string(4000, 'x'), "v");
  attrs.EndElement();
  limits.maxOutputBytes = 1 << 20;
  EXPECT_FALSE(Decode(attrs.Finish(), limits));
}

TEST(BinaryXmlHostile, MutatedDocumentsNeverCrashOrOverrun) {
  const Bytes base = SampleDocument();
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  };
  BinaryXmlLimits limits;
  limits.maxOutputBytes = 4096;
  for (int round = 0; round < 5000; ++round) {
    Bytes bytes = base;
    const int edits = 1 + static_cast<int>(next() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = 5 + next() % (bytes.size() - 5);
      switch (next() % 3) {
        case 0: bytes[at] = static_cast<uint8_t>(next()); break;
        case 1: bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at)); break;
        default: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(next())); break;
      }
    }
    auto text = Decode(bytes, limits);
    if (text) {
      EXPECT_LE(text->size(), limits.maxOutputBytes);
    }
  }
}

}  // namespace
}  // namespace brinehold
