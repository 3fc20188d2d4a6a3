// Writes the seed corpora of the fuzz targets (fuzz/corpus/<name>/) from
// the synthetic writer, in each target's input layout. Run once when a
// target's input layout changes: make_fuzz_seeds <fuzz/corpus directory>.
#include <cstdio>
#include <string>
#include <vector>

#include "storage/page_address.h"
#include "storage/record.h"
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
  CompressionInfoLayout info;
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

// --- forwarded rows: pages 20 .. 23 of a 24-page file ---------------------

// The first `count` of pages 20 .. 23 of `file`, as the forwarded-rows
// target takes them (the pages left out are written as zeros).
Bytes FuzzPages(const DatabaseFileBuilder& file, uint32_t count) {
  Bytes image = file.Build();
  return Bytes(image.begin() + 20 * kPageSize, image.begin() + (20 + count) * kPageSize);
}

// A plain row moved off page 20: id, id * 10, a text, and the back pointer
// to its stub.
Bytes ForwardedRow(int32_t id, const std::string& text, uint16_t stubSlot) {
  return RecordBuilder()
      .SetType(kForwardedRecordType)
      .SetFixed(Cat({Int32(id), Int32(id * 10)}))
      .SetColumnCount(3)
      .AddVariable(Ascii(text))
      .AddVariable(ForwardedBackPointer({1, 20}, stubSlot), true)
      .Build();
}

// A compressed row moved off page 20 (status 0x03: compressed, forwarded):
// 42, null, a text in SCSU, and the first entry of its page's dictionary.
Bytes CompressedForwardedRow() {
  return CompressedRowBuilder()
      .SetStatus(writer::CompressedRowStatus(kForwardedRecordType))
      .Add(CompressedValue::Short(CompressedInteger(42)))
      .Add(CompressedValue::Null())
      .Add(CompressedValue::Short(ScsuEncode("moved")))
      .Add(CompressedValue::Symbol(0))
      .Build();
}

// Compression information whose anchor and dictionary differ from page to
// page, so a rebuild with the wrong page's block gives other values.
CompressionInfoLayout CompressionInfoFor(int32_t anchorNumber, const std::string& entry) {
  CompressionInfoLayout info;
  info.anchorRecord = CompressedRowBuilder()
                          .Add(CompressedValue::Short(CompressedInteger(anchorNumber)))
                          .Add(CompressedValue::Null())
                          .Add(CompressedValue::Short(ScsuEncode("anc")))
                          .Add(CompressedValue::Short(Ascii("anchor")))
                          .Build();
  info.dictionary = {Ascii(entry), Ascii("other")};
  return info;
}

void SaveForwardedSeeds() {
  const std::string target = "forwarded_rows";
  // id int, n int, v varchar(10); for the compressed rows also w varchar(20).
  const Bytes plainColumns = Cat({{3}, ColumnBytes(9, 4, 0, 4), ColumnBytes(9, 4, 1, 4), ColumnBytes(17, 5, 1, 0x80)});
  const Bytes compressedColumns = Cat({{4}, ColumnBytes(9, 4, 0, 4), ColumnBytes(9, 4, 1, 4), ColumnBytes(11, 10, 1, 0x80),
                                       ColumnBytes(17, 10, 1, 0x81)});

  // Two plain rows moved to page 21, a row that stayed before them.
  DatabaseFileBuilder plain(24);
  PageBuilder& stubs = plain.Page(20, 1, 0x7A0);
  stubs.AddRecord(PlainRow());
  stubs.AddRecord(ForwardingStub({1, 21}, 0));
  stubs.AddRecord(ForwardingStub({1, 21}, 1));
  PageBuilder& moved = plain.Page(21, 1, 0x7A0);
  moved.AddRecord(ForwardedRow(2, "moved one", 1));
  moved.AddRecord(ForwardedRow(3, "moved two", 2));
  Save(target, "plain", Cat({{0}, plainColumns, FuzzPages(plain, 2)}));
  Save(target, "plain_rows_command", Cat({{0x04}, plainColumns, FuzzPages(plain, 2)}));

  // A compressed row moved to page 21, which has its own anchor and
  // dictionary; page 20 is compressed too, with different ones.
  DatabaseFileBuilder compressed(24);
  compressed.SetPage(20, CompressedDataPage({1, 20}, 0x7A0, CompressionInfoFor(7, "stub page"),
                                            {CompressedRow(), ForwardingStub({1, 21}, 0)}));
  compressed.SetPage(21, CompressedDataPage({1, 21}, 0x7A0, CompressionInfoFor(9, "entry"),
                                            {CompressedForwardedRow()}));
  Save(target, "compressed", Cat({{0x04}, compressedColumns, FuzzPages(compressed, 2)}));
  Save(target, "compressed_no_column_list", Cat({{0}, compressedColumns, FuzzPages(compressed, 2)}));
  // The same row on a page without compression information.
  DatabaseFileBuilder rowCompressed(24);
  rowCompressed.Page(20, 1, 0x7A0).AddRecord(ForwardingStub({1, 21}, 0));
  rowCompressed.Page(21, 1, 0x7A0).AddRecord(CompressedForwardedRow());
  Save(target, "row_compressed", Cat({{0x04}, compressedColumns, FuzzPages(rowCompressed, 2)}));

  // A stub pointing at itself.
  DatabaseFileBuilder self(24);
  self.Page(20, 1, 0x7A0).AddRecord(ForwardingStub({1, 20}, 0));
  Save(target, "self_loop", Cat({{0}, plainColumns, FuzzPages(self, 1)}));

  // Two stubs pointing at each other across two pages.
  DatabaseFileBuilder loop(24);
  loop.Page(20, 1, 0x7A0).AddRecord(ForwardingStub({1, 21}, 0));
  loop.Page(21, 1, 0x7A0).AddRecord(ForwardingStub({1, 20}, 0));
  Save(target, "two_page_loop", Cat({{0x04}, plainColumns, FuzzPages(loop, 2)}));

  // Stubs to pages the file does not have (beyond its end, page 0, another
  // file) and to pages that are not data pages (boot page, PFS).
  DatabaseFileBuilder outside(24);
  PageBuilder& away = outside.Page(20, 1, 0x7A0);
  for (PageAddress address : {PageAddress{1, 24}, PageAddress{1, 500}, PageAddress{1, 0}, PageAddress{7, 21},
                              PageAddress{1, 9}, PageAddress{1, 1}})
    away.AddRecord(ForwardingStub(address, 0));
  Save(target, "outside_file", Cat({{0}, plainColumns, FuzzPages(outside, 1)}));

  // Stubs to slots page 21 does not have: past its slot count, negative.
  DatabaseFileBuilder slots(24);
  PageBuilder& missing = slots.Page(20, 1, 0x7A0);
  missing.AddRecord(ForwardingStub({1, 21}, 1));
  missing.AddRecord(ForwardingStub({1, 21}, 0xFFFF));
  missing.AddRecord(ForwardingStub({1, 21}, 0));
  slots.Page(21, 1, 0x7A0).AddRecord(ForwardedRow(4, "only row", 2));
  Save(target, "missing_slot", Cat({{0}, plainColumns, FuzzPages(slots, 2)}));

  // A chain of four stubs over pages 20 .. 23 ending at a row on page 22,
  // and one of five that does not.
  DatabaseFileBuilder chain(24);
  chain.Page(20, 1, 0x7A0).AddRecord(ForwardingStub({1, 21}, 0));
  chain.Page(20, 1, 0x7A0).AddRecord(ForwardingStub({1, 20}, 0));
  chain.Page(21, 1, 0x7A0).AddRecord(ForwardingStub({1, 22}, 0));
  chain.Page(22, 1, 0x7A0).AddRecord(ForwardingStub({1, 23}, 0));
  chain.Page(22, 1, 0x7A0).AddRecord(ForwardedRow(5, "far away", 0));
  chain.Page(23, 1, 0x7A0).AddRecord(ForwardingStub({1, 22}, 1));
  Save(target, "chain", Cat({{0}, plainColumns, FuzzPages(chain, 4)}));

  // Deleted rows shown: a ghost row and a stub, and a deleted row found in
  // the free space of page 21 behind the forwarded row.
  DatabaseFileBuilder deleted(24);
  PageBuilder& ghosts = deleted.Page(20, 1, 0x7A0);
  ghosts.AddRecord(GhostRow());
  ghosts.AddRecord(ForwardingStub({1, 21}, 0));
  PageBuilder& carved = deleted.Page(21, 1, 0x7A0);
  carved.AddRecord(ForwardedRow(6, "moved", 1));
  carved.PlaceBytes(2000, RecordBuilder().SetType(6).SetFixed(Bytes(128, 0x5A)).SetColumnCount(4)
                              .AddVariable(Ascii("carved")).Build());
  Save(target, "deleted_rows", Cat({{0x03}, plainColumns, FuzzPages(deleted, 2)}));
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
  // An int and a decimal(38,2) in the variable-decimal form, one long.
  Save("compressed_row", "decimals",
       Cat({{0, 3, 1, 4, 6, 17, 38, 2, 6, 17, 38, 2},
            CompressedRowBuilder()
                .Add(CompressedValue::Short(CompressedInteger(7)))
                .Add(CompressedValue::Short(writer::CompressedDecimal("-123.45")))
                .Add(CompressedValue::Long(writer::CompressedDecimal(std::string(36, '9') + ".99")))
                .Build()}));

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
  LobLinkLayout top = lob.Write(value, 3000, 4, false);
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

  SaveForwardedSeeds();
  return 0;
}
