// `brinehold rows` on a synthetic table with an xml column: the stored
// binary xml of each row comes out as xml text through the converter the
// program installs at start.
#include <gtest/gtest.h>

#include <string>

#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "writer/binary_xml_writer.h"
#include "writer/catalog_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::BinaryXmlWriter;

Bytes Row(int32_t id, const Bytes& xml) {
  writer::RecordBuilder record;
  Bytes fixed;
  writer::AppendLE(fixed, static_cast<uint32_t>(id), 4);
  record.SetFixed(fixed).SetColumnCount(2).AddVariable(xml);
  return record.Build();
}

TEST(XmlRowsCliTest, XmlColumnValuesAreDecodedToText) {
  BinaryXmlWriter order;
  order.StartElement("o:order", "urn:orders").Attribute("id", "7");
  order.Comment("rush").StartElement("o:total", "urn:orders").Value(writer::xmlvalue::Money(123450)).EndElement();
  order.CData("a<b").EndElement();
  BinaryXmlWriter note;
  note.StartElement("note").Text("x & y").EndElement();

  writer::CatalogFileBuilder b(904);
  b.AddTable({100, "Docs"}, {{100, 1, "Id", 56, 4}, {100, 2, "Body", 241, -1}});
  const uint32_t pageNumber = b.NextPageNumber();
  writer::PageBuilder page({1, static_cast<int32_t>(pageNumber)}, 1, 100);
  page.AddRecord(Row(1, order.Finish()));
  page.AddRecord(Row(2, note.Finish()));
  page.AddRecord(Row(3, Bytes{0xDF, 0xFF, 0x01, 0xB0, 0x04, 0xF7}));  // damaged: an end without a start
  b.AddRawPage(100, page.Build());

  test::TempDir dir;
  const std::string path = dir.Write("docs.mdf", b.Build());
  test::CliResult result = test::RunCli({"rows", path, "Docs", "--advanced"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("1\t<o:order xmlns:o=\"urn:orders\" id=\"7\"><!--rush--><o:total>12.3450</o:total>"
                            "<![CDATA[a<b]]></o:order>"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("2\t<note>x &amp; y</note>"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("3\t \n"), std::string::npos) << result.out;  // a failed conversion shows one blank
}

}  // namespace
}  // namespace brinehold
