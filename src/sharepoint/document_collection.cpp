#include "sharepoint/document_collection.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "values/binary_format.h"

namespace brinehold {

uint32_t DocumentCollection::Shared(std::string_view text) {
  if (text.empty()) return 0;
  // One lookup by the text itself; only a new text, copied to the pool,
  // takes a second to be added under its copy.
  if (auto found = sharedIndex_.find(text); found != sharedIndex_.end()) return found->second;
  const std::string_view kept = texts_.Add(text);
  const auto index = static_cast<uint32_t>(shared_.size());
  sharedIndex_.emplace(kept, index);
  shared_.push_back(kept);
  return index;
}

uint32_t DocumentCollection::Shared(std::string_view text, MemoField field) {
  SharedMemo& memo = memos_[field];
  if (text == memo.text) return memo.index;
  const uint32_t index = Shared(text);
  memo = {shared_[index], index};
  return index;
}

size_t DocumentCollection::PlaceHash::operator()(const PlaceTexts& place) const {
  uint64_t hash = place.siteId;
  for (uint32_t part : {place.listId, place.webId, place.dirName}) hash = hash * 0x9E3779B97F4A7C15ull + part;
  return static_cast<size_t>(hash ^ (hash >> 29));
}

uint32_t DocumentCollection::InternPlace(const PlaceTexts& place) {
  // Documents come folder by folder: most are in the place of the one before.
  if (lastPlace_ < places_.size() && places_[lastPlace_] == place) return lastPlace_;
  auto [at, added] = placeIndex_.try_emplace(place, static_cast<uint32_t>(places_.size()));
  if (added) places_.push_back(place);
  lastPlace_ = at->second;
  return lastPlace_;
}

namespace {

// The packed own texts of a document: a flags byte, the size (zigzag), then
// the identifier (its 16 stored bytes when kIdIsGuid, else a length and
// the text), the leaf name (length, text) and the two times (when packed:
// the index of their shape in the shared texts and their digits as an
// 8-byte number; else length, text). Numbers and lengths are LEB128; the
// store is written and read only here, never from disk.
constexpr uint8_t kIdIsGuid = 1;
constexpr uint8_t kCreatedPacked = 2;
constexpr uint8_t kModifiedPacked = 4;

constexpr size_t kGuidBytes = 16;
constexpr size_t kMaxPackedDigits = 19;  // 10^19 - 1 still fits in 64 bits
constexpr size_t kMaxShapeLength = 64;
constexpr char kDigitPlace = '#';

void AppendVarint(std::string& out, uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

uint64_t ReadVarint(const char*& at) {
  uint64_t value = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<uint8_t>(*at++);
    value |= static_cast<uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return value;
  }
}

// A size as an unsigned number that is short for sizes near zero, negative
// ones included.
uint64_t ZigZag(int64_t value) { return (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63); }
int64_t UnZigZag(uint64_t value) { return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1); }

void AppendText(std::string& out, std::string_view text) {
  // A rendered cell is far below 4 GB; a longer one is cut, not wrapped.
  const auto length = static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
  AppendVarint(out, length);
  out.append(text.substr(0, length));
}

std::string_view ReadText(const char*& at) {
  const auto length = static_cast<size_t>(ReadVarint(at));
  const std::string_view text(length == 0 ? nullptr : at, length);
  at += length;
  return text;
}

// A time text as its shape (every digit replaced by '#') and its digits
// read as one number; false when it does not come back exactly that way.
bool SplitTime(std::string_view time, std::string& shape, uint64_t& digits) {
  if (time.empty() || time.size() > kMaxShapeLength) return false;
  shape.assign(time);
  digits = 0;
  size_t count = 0;
  for (char& c : shape) {
    if (c == kDigitPlace) return false;
    if (c < '0' || c > '9') continue;
    if (++count > kMaxPackedDigits) return false;
    digits = digits * 10 + static_cast<uint64_t>(c - '0');
    c = kDigitPlace;
  }
  return count > 0;
}

void AppendTimeText(std::string_view shape, uint64_t digits, std::string& out) {
  const size_t start = out.size();
  out.append(shape);
  for (size_t i = out.size(); i > start; --i) {
    if (out[i - 1] != kDigitPlace) continue;
    out[i - 1] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
}

}  // namespace

void DocumentCollection::PackTime(std::string_view time, MemoField shapeField, uint8_t packedFlag,
                                  uint8_t& flags) {
  uint64_t digits = 0;
  if (!SplitTime(time, shape_, digits)) return AppendText(ownTexts_, time);
  flags |= packedFlag;
  AppendVarint(ownTexts_, Shared(shape_, shapeField));
  char bytes[sizeof digits];
  std::memcpy(bytes, &digits, sizeof digits);
  ownTexts_.append(bytes, sizeof bytes);
}

void DocumentCollection::push_back(const DocFields& document) {
  uint8_t flags = 0;
  ownTexts_.assign(1, '\0');
  AppendVarint(ownTexts_, ZigZag(document.size));
  uint8_t guid[kGuidBytes];
  if (ParseGuid(document.id, guid)) {
    flags |= kIdIsGuid;
    ownTexts_.append(reinterpret_cast<const char*>(guid), sizeof guid);
  } else {
    AppendText(ownTexts_, document.id);
  }
  AppendText(ownTexts_, document.leafName);
  PackTime(document.timeCreated, kCreatedShapeMemo, kCreatedPacked, flags);
  PackTime(document.timeLastModified, kModifiedShapeMemo, kModifiedPacked, flags);
  ownTexts_[0] = static_cast<char>(flags);
  Stored stored;
  stored.ownTexts = texts_.Add(ownTexts_).data();
  stored.place = InternPlace({.siteId = Shared(document.siteId, kSiteMemo),
                              .listId = Shared(document.listId, kListMemo),
                              .webId = Shared(document.webId, kWebMemo),
                              .dirName = Shared(document.dirName, kDirMemo)});
  stored.type = document.type;
  documents_.push_back(stored);
}

DocPlace DocumentCollection::Place(size_t index) const {
  const Stored& stored = documents_[index];
  const PlaceTexts& texts = places_[stored.place];
  const char* at = stored.ownTexts;
  const auto flags = static_cast<uint8_t>(*at++);
  DocPlace place;
  place.size = UnZigZag(ReadVarint(at));
  if (flags & kIdIsGuid) at += kGuidBytes;
  else ReadText(at);
  place.leafName = ReadText(at);
  place.listId = shared_[texts.listId];
  place.webId = shared_[texts.webId];
  place.dirName = shared_[texts.dirName];
  place.type = stored.type;
  return place;
}

DocRecord DocumentCollection::operator[](size_t index) const {
  const Stored& stored = documents_[index];
  const DocPlace place = Place(index);
  DocRecord record{.id = {}, .siteId = std::string(shared_[places_[stored.place].siteId]), .listId = std::string(place.listId),
                   .type = place.type, .dirName = std::string(place.dirName), .webId = std::string(place.webId),
                   .leafName = std::string(place.leafName), .size = place.size, .timeCreated = {},
                   .timeLastModified = {}};
  // The identifier and the times, on either side of the leaf name.
  const char* at = stored.ownTexts;
  const auto flags = static_cast<uint8_t>(*at++);
  ReadVarint(at);  // the size, in `place`
  if (flags & kIdIsGuid) {
    AppendGuid(ByteReader(reinterpret_cast<const uint8_t*>(at), kGuidBytes), record.id);
    at += kGuidBytes;
  } else {
    record.id = ReadText(at);
  }
  ReadText(at);
  auto time = [&](uint8_t packedFlag, std::string& out) {
    if (!(flags & packedFlag)) return void(out = ReadText(at));
    const std::string_view shape = shared_[ReadVarint(at)];
    uint64_t digits = 0;
    std::memcpy(&digits, at, sizeof digits);
    at += sizeof digits;
    AppendTimeText(shape, digits, out);
  };
  time(kCreatedPacked, record.timeCreated);
  time(kModifiedPacked, record.timeLastModified);
  return record;
}

DocRecord DocumentCollection::at(size_t index) const {
  if (index >= documents_.size()) throw std::out_of_range("document index " + std::to_string(index));
  return (*this)[index];
}

void DocumentCollection::clear() {
  documents_.clear();
  shared_.assign(1, std::string_view());
  sharedIndex_.clear();
  for (SharedMemo& memo : memos_) memo = SharedMemo();
  places_.clear();
  placeIndex_.clear();
  lastPlace_ = UINT32_MAX;
  texts_.Clear();
}

}  // namespace brinehold
