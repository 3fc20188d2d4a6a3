// Writes the seed corpora of the fuzz targets (fuzz/corpus/<name>/) from
// the synthetic writer, in each target's input layout. Run once when a
// target's input layout changes: make_fuzz_seeds <fuzz/corpus directory>.
#include <cstdio>
#include <string>
#include <vector>

#include "storage/page_address.h"
#include "writer/binary_xml_writer.h"
#include "writer/compression_builder.h"
#include "writer/file_builder.h"
#include "writer/lob_builder.h"
#include "writer/page_builder.h"
#include "writer/record_builder.h"

using namespace brinehold;
using namespace brinehold::writer;

namespace {

std::string root;

void Save(const std::string& target, const std::string& name, const Bytes& bytes) {
  std::string path = root + "/" + target + "/" + name;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return;
  }
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Ascii(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Int32(int32_t value) {
  Bytes out;
  AppendLE(out, static_cast<uint32_t>(value), 4);
  return out;
}

Bytes PlainRow() {
  return RecordBuilder().SetFixed(Cat({Int32(7), Int32(-3)})).SetColumnCount(3).AddVariable(Ascii("hello")).Build();
}

Bytes GhostRow() { return RecordBuilder().SetType(6).SetFixed(Int32(1)).SetColumnCount(2).AddVariable(Ascii("x")).Build(); }

Bytes CompressedRow() {
  return CompressedRowBuilder()
      .Add(CompressedValue::Short(CompressedInteger(42)))
      .Add(CompressedValue::Null())
      .Add(CompressedValue::Short(ScsuEncode("caf\xC3\xA9")))
      .Add(CompressedValue::Symbol(0))
      .Add(CompressedValue::Long(Ascii(std::string(40, 'L'))))
      .Build();
}

Bytes DataPage(const std::vector<Bytes>& rows) {
  PageBuilder page({1, 20}, 1, 0x7A0);
  for (const Bytes& row : rows) page.AddRecord(row);
  return page.Build();
}

Bytes CompressedPage() {
  CompressionInfoSpec info;
  info.anchorRecord = CompressedRowBuilder()
                          .Add(CompressedValue::Short(CompressedInteger(40)))
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Short(ScsuEncode("ca")))
                          .Build();
  info.dictionary = {Ascii("dict"), Ascii("entry")};
  return CompressedDataPage({1, 20}, 0x7A0, info, {CompressedRow(), CompressedRow()});
}

// Six bytes per column in the fuzz targets' layout (fuzz_input.h).
Bytes ColumnBytes(uint8_t kind, uint8_t length, uint8_t flags, uint8_t place) { return {kind, length, flags, 0, 0, place}; }

Bytes XmlDocument() {
  BinaryXmlWriter xml;
  xml.StartElement("p:doc", "urn:seed")
      .Attribute("xmlns:p", "urn:seed")
      .Attribute("id", "1")
      .Text("text & more")
      .Comment("note")
      .CData("<raw>")
      .ProcessingInstruction("pi", "data")
      .StartElement("n")
      .Value(xmlvalue::Int(42))
      .EndElement()
      .StartElement("f")
      .Value(xmlvalue::Float(1.5))
      .EndElement()
      .EndElement();
  return xml.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <corpus directory>\n");
    return 2;
  }
  root = argv[1];

  Save("record", "plain", Cat({{0}, PlainRow()}));
  Save("record", "ghost_deleted", Cat({{0x03}, GhostRow()}));
  Save("record", "compressed", Cat({{0}, CompressedRow()}));
  Save("record", "sparse", Cat({{0}, RecordBuilder().SetFixed({}).SetColumnCount(1).AddVariable(
                                          SparseVector({{3, Int32(5)}, {9, Ascii("ab")}}), true).Build()}));
  Save("record", "stub", Cat({{0}, ForwardingStub({1, 21}, 0)}));

  Save("primary_record_page", "data_page", Cat({{0, 0, 0}, DataPage({PlainRow(), PlainRow(), GhostRow()})}));
  Save("primary_record_page", "deleted_search", Cat({{0x03, 1, 0}, DataPage({PlainRow(), GhostRow()})}));
  Save("primary_record_page", "compressed_page", Cat({{0, 0, 0}, CompressedPage()}));

  Bytes columns = {5, 0x00, 0x00, 0x22, 0x01, 0x00, 0x02, 0x08, 0x00, 0x01, 0x00};
  Save("compressed_row", "row", Cat({columns, CompressedRow()}));
  Save("compressed_row", "page", Cat({{0x80}, Bytes(columns.begin() + 1, columns.end()), CompressedPage()}));

  Bytes renderColumns = Cat({{3}, ColumnBytes(9, 4, 0, 4), ColumnBytes(9, 4, 1, 4), ColumnBytes(17, 10, 1, 0x80)});
  Save("row_renderer", "int_int_varchar", Cat({{0}, renderColumns, DataPage({PlainRow(), PlainRow()})}));
  Save("row_renderer", "positional_deleted", Cat({{0x0B}, renderColumns, DataPage({PlainRow(), GhostRow()})}));

  Save("value_decoder", "int", Cat({ColumnBytes(9, 4, 0, 4), {0}, Int32(123456)}));
  Save("value_decoder", "nvarchar", Cat({ColumnBytes(11, 20, 1, 0x80), {1}, Utf16("h\xC3\xA9llo")}));
  Save("value_decoder", "decimal", Cat({ColumnBytes(24, 9, 0, 9), {0}, {1, 0x39, 0x30, 0, 0, 0, 0, 0, 0}}));
  Save("value_decoder", "datetime", Cat({ColumnBytes(4, 8, 0, 8), {0}, Int32(300), Int32(40000)}));
  Save("value_decoder", "variant_int", Cat({ColumnBytes(20, 0x80, 1, 0x80), {1}, {0x38, 1}, Int32(9)}));
  Save("value_decoder", "guid", Cat({ColumnBytes(15, 16, 0, 16), {0}, Bytes(16, 0xAB)}));

  Save("scsu", "ascii", Cat({{0}, Ascii("plain text")}));
  Save("scsu", "windows", Cat({{0}, ScsuEncode("caf\xC3\xA9 \xD0\x9F\xD1\x80\xD0\xB8 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80")}));
  Save("scsu", "unicode_mode", {0, 0x0F, 0x30, 0x42, 0x30, 0x44, 0xE0, 0x41});

  Save("binary_xml", "document", Cat({{0}, XmlDocument()}));
  Save("binary_xml", "document_small_limits", Cat({{1}, XmlDocument()}));

  // Large values: a value over several fragments on pages 20 .. 23, reached
  // through a text pointer (mode 0) and through an in-row root (mode 0x10).
  DatabaseFileBuilder file(24);
  LargeValueWriter lob(file, 20, 4242);
  Bytes value(9000);
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>('a' + i % 26);
  LobLinkSpec top = lob.Write(value, 3000, 4, false);
  Bytes image = file.Build();
  Bytes pages(image.begin() + 20 * kPageSize, image.begin() + 24 * kPageSize);
  Save("large_value", "text_pointer", Cat({{0}, TextPointer(top.page, top.slot), pages}));
  Save("large_value", "text_pointer_hex", Cat({{0x02}, TextPointer(top.page, top.slot), pages}));
  DatabaseFileBuilder chunked(24);
  LargeValueWriter chunks(chunked, 20, 4242);
  Bytes rootBytes = InRowRoot(chunks.WriteChunks(value, 4000));
  Bytes chunkImage = chunked.Build();
  Bytes chunkPages(chunkImage.begin() + 20 * kPageSize, chunkImage.begin() + 24 * kPageSize);
  Save("large_value", "in_row_root", Cat({{0x10, static_cast<uint8_t>(rootBytes.size())}, rootBytes, chunkPages}));
  return 0;
}
