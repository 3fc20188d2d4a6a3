// Large values in synthetic files: small roots, data fragments, large roots
// over several internal levels, text pointers and in-row roots, collect
// mode, and the damaged and looping structures a broken file can hold.
#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "storage/large_value.h"
#include "storage/lob_structure.h"
#include "storage/text_mix_page.h"
#include "support/temp_dir.h"
#include "writer/file_builder.h"
#include "writer/lob_builder.h"
#include "writer/record_builder.h"

namespace brinehold {
namespace {

using writer::DatabaseFileBuilder;
using writer::LargeValueWriter;
using writer::LobLinkLayout;

constexpr int32_t kOwner = 4242;

Bytes Ascii(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Bytes 0, 1, 2, ... (mod 251): every value differs from its neighbours.
Bytes Pattern(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i % 251);
  return bytes;
}

LargeValueOptions TextMode(bool unicode = false) {
  LargeValueOptions options;
  options.unicode = unicode;
  return options;
}

LargeValueOptions HexMode() {
  LargeValueOptions options;
  options.renderMode = kRenderHex;
  return options;
}

class LobValueTest : public ::testing::Test {
 protected:
  void SetUp() override { TheApp().ResetForTests(); }
  void TearDown() override { TheApp().ResetForTests(); }

  void Open() {
    std::string path = dir_.Path("lob.mdf");
    ASSERT_TRUE(file_.WriteTo(path));
    data_ = OpenDataFile(path, false, &window_);
    ASSERT_TRUE(data_->IsValid());
  }

  std::string Pointer(const LobLinkLayout& at, const LargeValueOptions& options, ValueCollector* collector = nullptr) {
    return ResolveTextPointer(*data_, ByteReader(writer::TextPointer(at.page, at.slot)), options, collector);
  }

  test::TempDir dir_;
  HeadlessWindow window_;
  DatabaseFileBuilder file_{256};
  LargeValueWriter lob_{file_, 20, kOwner};
  std::unique_ptr<CDataFile> data_;
};

// --- fragments and text pages ----------------------------------------------

TEST_F(LobValueTest, TextRecordsAndFragmentTypes) {
  TextRecord usable(ByteReader(writer::TextRecordBytes(writer::DataFragment(99, Ascii("abc")))), 200);
  EXPECT_EQ(usable.recordType, kLargeValueFragmentType);
  EXPECT_EQ(usable.valueId, 99u);
  EXPECT_EQ(usable.fragmentType, kDataFragment);
  EXPECT_EQ(usable.payloadLength, 3);

  TextRecord shortFixed(ByteReader(writer::TextRecordBytes(Bytes{1, 2, 3, 4, 5, 6})), 200);
  EXPECT_TRUE(shortFixed.HasFragment());
  EXPECT_EQ(shortFixed.fragmentType, kUnusableFragment);

  // A fragment as long as the room the slot leaves is not taken.
  Bytes record = writer::TextRecordBytes(writer::DataFragment(1, Bytes(40, 'x')));
  TextRecord tooLong(ByteReader(record), 50);
  EXPECT_FALSE(tooLong.HasFragment());
  TextRecord noFixed(ByteReader(Bytes{0x08, 0, 4, 0}), 200);
  EXPECT_FALSE(noFixed.HasFragment());
}

TEST_F(LobValueTest, TextPageSlotsOutsideThePageGiveEmptyEntries) {
  writer::PageBuilder page({1, 20}, kTextMixPageType, kOwner);
  page.AddRecord(writer::TextRecordBytes(writer::DataFragment(1, Ascii("first"))));
  page.AddRawSlot(9000);
  page.AddRawSlot(40);  // inside the header
  Bytes buffer = page.Build();
  buffer.resize(kPageBufferSize, 0);
  TextMixPage text(std::move(buffer), nullptr);
  ASSERT_EQ(text.RecordCount(), 3u);
  ASSERT_NE(text.Record(0), nullptr);
  EXPECT_EQ(text.Record(0)->payloadLength, 5);
  EXPECT_EQ(text.Record(1), nullptr);
  EXPECT_EQ(text.Record(2), nullptr);
}

TEST_F(LobValueTest, DisplacedTextPageIsReadFromWhereItLies) {
  // Page 30 lies at position 28; position 30 holds the page that says 32.
  writer::PageBuilder& moved = file_.Page(28, kTextMixPageType, kOwner);
  moved.SetSelf({1, 30});
  moved.AddRecord(writer::TextRecordBytes(writer::DataFragment(1, Ascii("right"))));
  writer::PageBuilder& other = file_.Page(30, kTextMixPageType, kOwner);
  other.SetSelf({1, 32});
  other.AddRecord(writer::TextRecordBytes(writer::DataFragment(2, Ascii("wrong"))));
  // Page 40 says 45, but position 35 does not hold page 40: 40 is kept.
  writer::PageBuilder& odd = file_.Page(40, kTextMixPageType, kOwner);
  odd.SetSelf({1, 45});
  odd.AddRecord(writer::TextRecordBytes(writer::DataFragment(3, Ascii("kept"))));
  Open();
  EXPECT_EQ(Pointer({{1, 30}, 0}, TextMode()), "right");
  EXPECT_EQ(Pointer({{1, 40}, 0}, TextMode()), "kept");
  auto page = ReadTextMixPage(*data_, {1, 30});
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Header().thisPage.pageNumber, 30);
}

// --- small roots and data fragments ----------------------------------------

TEST_F(LobValueTest, SmallRootsInEveryMode) {
  auto plain = lob_.Place(writer::SmallRootFragment(1, Ascii("plain text")));
  auto wide = lob_.Place(writer::SmallRootFragment(2, writer::Utf16("abc")));
  auto binary = lob_.Place(writer::SmallRootFragment(3, Bytes{0x00, 0x41, 0x00, 0x42}));
  auto tiny = lob_.Place(writer::SmallRootFragment(4, Ascii("ab")));
  Bytes variant = {165, 0, 0, 0, 0, 0, 0, 0, 0xDE, 0xAD};
  auto prefixed = lob_.Place(writer::SmallRootFragment(5, variant));
  auto prefixedText = lob_.Place(writer::SmallRootFragment(6, Bytes{167, 0, 0, 0, 0, 0, 0, 0, 'o', 'k'}));
  Open();
  EXPECT_EQ(Pointer(plain, TextMode()), "plain text");
  EXPECT_EQ(Pointer(plain, HexMode()), "706C61696E2074657874");
  // UTF-16 in an 8-bit column: half the bytes are zero, every other byte is kept.
  EXPECT_EQ(Pointer(wide, TextMode()), "abc");
  EXPECT_EQ(Pointer(wide, TextMode(true)), "abc");
  // Binary data whose zero bytes happen to be half is never narrowed.
  EXPECT_EQ(Pointer(binary, HexMode()), "00410042");
  // A root of two bytes (a payload below 10) is still a value.
  EXPECT_EQ(Pointer(tiny, TextMode()), "ab");
  LargeValueOptions prefix;
  prefix.typePrefix = true;
  EXPECT_EQ(Pointer(prefixed, prefix), "DEAD");
  EXPECT_EQ(Pointer(prefixedText, prefix), "ok");
}

TEST_F(LobValueTest, DataFragmentsOfAnyLengthAndTextEncodings) {
  auto nine = lob_.Place(writer::DataFragment(1, Ascii("ninechars")));
  auto zero = lob_.Place(writer::DataFragment(2, Bytes{'a', 'b', 0, 'c'}));
  auto latin = lob_.Place(writer::DataFragment(3, Bytes{'c', 'a', 'f', 0xE9}));
  auto unicode = lob_.Place(writer::DataFragment(4, writer::Utf16("Gr\xC3\xBC\xC3\x9F\x65 \xE6\x97\xA5\xE6\x9C\xAC")));
  auto empty = lob_.Place(writer::DataFragment(5, {}));
  Open();
  EXPECT_EQ(Pointer(nine, TextMode()), "ninechars");
  EXPECT_EQ(Pointer(zero, TextMode()), "ab");
  EXPECT_EQ(Pointer(zero, HexMode()), "61620063");
  EXPECT_EQ(Pointer(latin, TextMode()), "caf\xC3\xA9");
  // Unicode text is decoded whole, also where few of its bytes are zero.
  EXPECT_EQ(Pointer(unicode, TextMode(true)), "Gr\xC3\xBC\xC3\x9F\x65 \xE6\x97\xA5\xE6\x9C\xAC");
  // Nothing readable: the single blank of an empty resolution.
  EXPECT_EQ(Pointer(empty, TextMode()), " ");
  LobLinkLayout nowhere{{1, 20}, 60, 0};
  EXPECT_EQ(Pointer(nowhere, TextMode()), " ");
}

TEST_F(LobValueTest, ReadLargeValueOnAFragmentInHand) {
  auto chunks = lob_.WriteChunks(Ascii("one two "), 4);
  Open();
  Bytes root = writer::LargeRootFragment(7, chunks);
  // A type-4 fragment is read as a large root.
  Bytes legacyRoot = writer::LargeRootFragment(7, chunks, 0, 0, 4);
  const int32_t payload = static_cast<int32_t>(root.size()) - 10;
  EXPECT_EQ(ReadLargeValue(ByteReader(root), *data_, TextMode(), payload, nullptr), "one two ");
  EXPECT_EQ(ReadLargeValue(ByteReader(legacyRoot), *data_, HexMode(), payload, nullptr), "6F6E652074776F20");
  EXPECT_EQ(ReadLargeValue(ByteReader(root), *data_, TextMode(), 5, nullptr), "");
}

// --- large values over several levels ----------------------------------------

TEST_F(LobValueTest, LargeValueOverSeveralInternalLevels) {
  const Bytes value = Pattern(60000);
  // 60 data fragments under internal nodes of at most 3 links: four levels.
  auto root = lob_.Write(value, 1000, 3);
  Open();
  EXPECT_EQ(Pointer(root, HexMode()), HexDigits(ByteReader(value)));

  ValueCollector collector;
  LargeValueOptions collect;
  collect.collect = true;
  EXPECT_EQ(Pointer(root, collect, &collector), " ");
  EXPECT_EQ(collector.Join(), value);
  EXPECT_EQ(collector.TotalSize(), value.size());
}

TEST_F(LobValueTest, LargeTextValueOverFullPages) {
  std::string text;
  for (int i = 0; text.size() < 50000; ++i) text += "line " + std::to_string(i) + "\r\n";
  auto root = lob_.Write(Ascii(text), 8000, 64);
  auto wide = lob_.Write(writer::Utf16(text), 8000, 2);
  Open();
  EXPECT_EQ(Pointer(root, TextMode()), text);
  EXPECT_EQ(Pointer(wide, TextMode(true)), text);
}

TEST_F(LobValueTest, InRowRootEntriesAreConcatenated) {
  auto chunks = lob_.WriteChunks(Ascii("first-second-third"), 6);
  ASSERT_EQ(chunks.size(), 3u);
  Open();
  EXPECT_EQ(ResolveInRowRoot(*data_, ByteReader(writer::InRowRoot(chunks)), TextMode(), nullptr), "first-second-third");
  // A file id above 1000 is read as file 1; entries of size 0 are skipped.
  auto entries = chunks;
  entries[0].page.fileId = 1001;
  entries[1].offsetOrSize = 0;
  EXPECT_EQ(ResolveInRowRoot(*data_, ByteReader(writer::InRowRoot(entries)), TextMode(), nullptr), "first--third");
  // An entry that leads nowhere gives a blank in its place.
  entries = chunks;
  entries[1].page = {1, 250};
  EXPECT_EQ(ResolveInRowRoot(*data_, ByteReader(writer::InRowRoot(entries)), TextMode(), nullptr), "first- -third");
  // Collect mode: the bytes go to the collector.
  ValueCollector collector;
  LargeValueOptions collect;
  collect.collect = true;
  ResolveInRowRoot(*data_, ByteReader(writer::InRowRoot(chunks)), collect, &collector);
  EXPECT_EQ(collector.Join(), Ascii("first-second-third"));
  // A header without entries, or a truncated entry, is no value.
  EXPECT_EQ(ResolveInRowRoot(*data_, ByteReader(Bytes(12 + 11, 0)), TextMode(), nullptr), "");
}

// --- damage ----------------------------------------------------------------------

TEST_F(LobValueTest, UnreadableLinkLeavesTheOtherLinks) {
  auto chunks = lob_.WriteChunks(Ascii("AAAABBBBCCCC"), 4);
  chunks[1].page = {1, 9999};
  auto root = lob_.Place(writer::LargeRootFragment(1, chunks));
  auto slotGone = lob_.WriteChunks(Ascii("xxxxyyyy"), 4);
  slotGone[0].slot = 300;
  auto root2 = lob_.Place(writer::LargeRootFragment(2, slotGone));
  Open();
  EXPECT_EQ(Pointer(root, TextMode()), "AAAACCCC");
  EXPECT_EQ(Pointer(root2, TextMode()), "yyyy");
}

TEST_F(LobValueTest, StaleLinksAfterTheLinkCountAreNotFollowed) {
  auto mine = lob_.WriteChunks(Ascii("mine"), 4);
  auto other = lob_.WriteChunks(Ascii("other"), 8);
  // Room for five links, one in use; the next slot still points at another
  // value's fragment, as servers leave it.
  std::vector<LobLinkLayout> links = {mine[0], other[0]};
  Bytes root = writer::LargeRootFragment(1, links, 0, 5);
  PutUInt(root, 12, 1, 2);  // link count 1
  auto placed = lob_.Place(root);
  Bytes node = writer::InternalFragment(2, links, 1, 5);
  PutUInt(node, 12, 1, 2);
  auto placedNode = lob_.Place(node);
  // A count larger than the links the fragment holds reads what is there.
  Bytes big = writer::LargeRootFragment(3, links);
  PutUInt(big, 12, 60000, 2);
  auto placedBig = lob_.Place(big);
  Open();
  EXPECT_EQ(Pointer(placed, TextMode()), "mine");
  EXPECT_EQ(Pointer(placedNode, TextMode()), "mine");
  EXPECT_EQ(Pointer(placedBig, TextMode()), "mineother");
}

TEST_F(LobValueTest, LoopingStructuresEnd) {
  // A large root whose only link is itself.
  const LobLinkLayout self{{1, 20}, 0, 0};
  lob_.Place(writer::LargeRootFragment(1, {self, self}));
  // An internal node and a large root pointing at each other, with data.
  auto data = lob_.WriteChunks(Ascii("data"), 4);
  const LobLinkLayout nodeAt{{1, 20}, 3, 0};
  lob_.Place(writer::LargeRootFragment(2, {nodeAt}));             // slot 2
  lob_.Place(writer::InternalFragment(2, {data[0], {{1, 20}, 2, 0}, data[0]}));  // slot 3
  Open();
  EXPECT_EQ(Pointer(self, TextMode()), " ");
  EXPECT_EQ(Pointer({{1, 20}, 2, 0}, TextMode()), "data");
  EXPECT_EQ(Pointer({{1, 20}, 2, 0}, HexMode()), "64617461");
}

TEST_F(LobValueTest, DepthAndSizeAreBounded) {
  // A chain of internal nodes deeper than any server builds.
  auto data = lob_.WriteChunks(Ascii("deep"), 4);
  LobLinkLayout below = data[0];
  for (int level = 0; level < kMaxLobDepth + 4; ++level) below = lob_.Place(writer::InternalFragment(9, {below}));
  LobLinkLayout shallow = data[0];
  for (int level = 0; level < 4; ++level) shallow = lob_.Place(writer::InternalFragment(9, {shallow}));
  auto big = lob_.Write(Pattern(30000), 3000, 4);
  Open();
  EXPECT_EQ(Pointer(below, TextMode()), " ");
  EXPECT_EQ(Pointer(shallow, TextMode()), "deep");

  LargeValueOptions capped = HexMode();
  capped.maxBytes = 5000;
  EXPECT_EQ(Pointer(big, capped), HexDigits(ByteReader(Pattern(5000))));
  ValueCollector collector;
  capped.collect = true;
  Pointer(big, capped, &collector);
  EXPECT_EQ(collector.TotalSize(), 5000u);
}

TEST_F(LobValueTest, HostileFragmentsReadNothingOutside) {
  // Small roots claiming more data than they hold, or none.
  Bytes claims = writer::SmallRootFragment(1, Ascii("abc"));
  PutUInt(claims, 10, 8000, 2);
  auto claimed = lob_.Place(claims);
  Bytes none = writer::SmallRootFragment(2, Ascii("abc"));
  PutUInt(none, 10, 0, 2);
  auto noLength = lob_.Place(none);
  // Unknown fragment types and truncated headers.
  Bytes unknown = writer::DataFragment(3, Ascii("0123456789"));
  PutUInt(unknown, 8, 7, 2);
  auto unknownType = lob_.Place(unknown);
  auto truncatedRoot = lob_.Place(Bytes{1, 0, 0, 0, 0, 0, 0, 0, 5, 0, 3, 0});
  Open();
  EXPECT_EQ(Pointer(claimed, TextMode()), "abc");
  EXPECT_EQ(Pointer(noLength, TextMode()), " ");
  EXPECT_EQ(Pointer(unknownType, TextMode()), " ");
  EXPECT_EQ(Pointer(truncatedRoot, TextMode()), " ");
  // A pointer too short to hold its slot.
  EXPECT_EQ(ResolveTextPointer(*data_, ByteReader(Bytes(13, 0)), TextMode(), nullptr), " ");
}

TEST_F(LobValueTest, SpillStepReplacesTheHexTextOfALargeRoot) {
  auto root = lob_.Write(Ascii("spill me"), 4, 8);
  auto small = lob_.Write(Ascii("tiny"), 8000);
  Open();
  LargeValueOptions options = HexMode();
  std::vector<std::string> seen;
  options.spillLargeRoot = [&](const std::string& text) {
    seen.push_back(text);
    return std::string("\\out\\1_blob");
  };
  EXPECT_EQ(Pointer(root, options), "\\out\\1_blob");
  EXPECT_EQ(seen, (std::vector<std::string>{"7370696C6C206D65"}));
  // Only large roots in hexadecimal rendering are spilled.
  EXPECT_EQ(Pointer(small, options), "74696E79");
  options.renderMode = kRenderText;
  EXPECT_EQ(Pointer(root, options), "spill me");
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(LobValueTest, StopRequestEndsTheTraversal) {
  auto root = lob_.Write(Pattern(20000), 1000, 4);
  Open();
  TheApp().stopRequested = true;
  EXPECT_EQ(Pointer(root, HexMode()), " ");
}

TEST_F(LobValueTest, DataFragmentStructureRendersItself) {
  Bytes fragment = writer::DataFragment(5, Bytes{'h', 'i', 0, 'x'});
  auto structure = ParseLobStructure(ByteReader(fragment), 4, nullptr);
  ASSERT_NE(structure, nullptr);
  EXPECT_EQ(structure->valueId, 5u);
  EXPECT_EQ(structure->ValueText(), "hi");
  EXPECT_EQ(structure->ValueHex(3), "686900");
  Bytes root = writer::LargeRootFragment(6, {{{1, 30}, 2, 77}}, 3, 9);
  auto parsed = ParseLobStructure(ByteReader(root), static_cast<int32_t>(root.size()) - 10, nullptr);
  ASSERT_NE(parsed, nullptr);
  const auto& large = static_cast<const LargeRootYukon&>(*parsed);
  EXPECT_EQ(large.maxLinks, 9);
  EXPECT_EQ(large.level, 3);
  ASSERT_EQ(large.links.size(), 1u);
  EXPECT_EQ(large.links[0].page, (PageAddress{1, 30}));
  EXPECT_EQ(large.links[0].slot, 2);
  EXPECT_EQ(large.links[0].offsetOrSize, 77);
  EXPECT_EQ(large.ValueText(), "");
}

}  // namespace
}  // namespace brinehold
