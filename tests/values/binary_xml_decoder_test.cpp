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
  w.ProcessingInstruction("empty", "");
  w.ProcessingInstruction("odd", "a?>b");
  w.EndElement();
  EXPECT_EQ(DecodeOk(w.Finish()),
            "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?><!DOCTYPE doc SYSTEM \"doc.dtd\">"
            "<?xml-stylesheet href=\"s.xsl\"?><doc><!-- plain --><!--a- -b- -->"
            "<![CDATA[<raw> & ]]]]><![CDATA[> end]]><?empty?><?odd a? >b?></doc>");
}

TEST(BinaryXmlRoundTrip, DocumentTypeTakesEitherTokenNumbering) {
  // The document-type tokens are read in both numberings the format has
  // been described with; the result is the same declaration.
  auto doctype = [](uint8_t declaration, uint8_t publicToken, uint8_t systemToken, uint8_t subsetToken) {
    Bytes bytes{declaration};
    writer::AppendUtf16Text(bytes, "doc");
    bytes.push_back(publicToken);
    writer::AppendUtf16Text(bytes, "-//X//DTD doc//EN");
    bytes.push_back(systemToken);
    writer::AppendUtf16Text(bytes, "doc.dtd");
    bytes.push_back(subsetToken);
    writer::AppendUtf16Text(bytes, "<!ENTITY e \"x\">");
    BinaryXmlWriter w;
    w.Raw(bytes).StartElement("doc").EndElement();
    return DecodeOk(w.Finish());
  };
  const std::string expected =
      "<!DOCTYPE doc PUBLIC \"-//X//DTD doc//EN\" \"doc.dtd\" [<!ENTITY e \"x\">]><doc/>";
  EXPECT_EQ(doctype(bx::kDocTypeDecl, bx::kPublic, bx::kSystem, bx::kSubset), expected);
  EXPECT_EQ(doctype(bx::kDocTypeDeclHigh, bx::kPublicHigh, bx::kSystemHigh, bx::kSubsetHigh), expected);
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
constexpr int64_t kTicksPerDay = int64_t{86400} * 10000000;

TEST(BinaryXmlRoundTrip, EveryTypedValueAsSchemaText) {
  const int64_t noon = kDay2000 * kTicksPerDay + int64_t{43200} * 10000000 + 5000000;
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
      {"xsd dateTime", xv::Ticks(bx::kXsdDateTime, noon), "2000-01-01T12:00:00.5Z"},
      {"xsd date", xv::Ticks(bx::kXsdDate, noon), "2000-01-01Z"},
      {"xsd time", xv::Ticks(bx::kXsdTime, noon), "12:00:00.5Z"},
      {"date2", xv::Newer(bx::kXsdDate2, 0, 0, kDay2000, 0), "2000-01-01"},
      {"time2", xv::Newer(bx::kXsdTime2, 3, 3723004, 0, 0), "01:02:03.004"},
      {"datetime2", xv::Newer(bx::kXsdDateTime2, 7, 1, kDay2000, 0), "2000-01-01T00:00:00.0000001"},
      {"datetimeoffset", xv::Newer(bx::kXsdDateTimeOffset, 0, 23 * 3600, kDay2000, 120),
       "2000-01-02T01:00:00+02:00"},
      {"timeoffset", xv::Newer(bx::kXsdTimeOffset, 1, 10, 0, -330), "18:30:01.0-05:30"},
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
  EXPECT_TRUE(Decode(Concat(base, {bx::kNest, bx::kEndNest, bx::kExtension, 0x02, 0xAA, 0xBB})));
  EXPECT_FALSE(Decode(Concat(base, {bx::kExtension, 0x05, 0xAA})));         // extension cut short
}

TEST(BinaryXmlHostile, ReferencesOutOfRange) {
  const Bytes name = Concat(Header(), {bx::kNameDef, 0x01, 'a', 0x00});
  EXPECT_FALSE(Decode(Concat(name, {bx::kQNameDef, 0x00, 0x00, 0x02})));          // local name 2 of 1
  EXPECT_FALSE(Decode(Concat(name, {bx::kQNameDef, 0x05, 0x00, 0x01})));          // uri name 5
  EXPECT_FALSE(Decode(Concat(name, {bx::kQNameDef, 0x00, 0x00, 0x00})));          // no local name
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
  EXPECT_FALSE(Decode(Concat(Header(), xv::Ticks(bx::kXsdDateTime, -1))));
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
  nests.insert(nests.end(), 100000, bx::kNest);
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
