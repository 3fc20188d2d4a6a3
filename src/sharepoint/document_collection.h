// DocumentCollection: the documents read from "AllDocs", kept compactly.
//
// A content database can hold millions of documents, and the tree keeps
// every one for the document view and for saving. Of the ten texts of a
// document, four repeat on every document of a site, list or folder (site,
// web, list, folder path): those are stored once per distinct value. The
// document's own texts are packed into a TextPool: the identifier, when it
// is a GUID as the renderer writes it, as its 16 bytes; each time as its
// digits in 8 bytes plus the shared shape of the rest ("####-##-## ..."),
// so that any text comes back exactly as it went in; the four repeating
// texts together are one index to the document's place. A document then
// costs its name plus about 60 bytes, against some 600 as ten std::strings.
//
// A document's index is its identity (the tree's tags carry it). Place()
// gives views of what the tree is built from, valid until clear();
// operator[] gives a copy of the whole record. Not thread-safe: filled by
// the scan, read once it is done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/chunked_vector.h"
#include "platform/text_pool.h"
#include "sharepoint/sharepoint_records.h"

namespace brinehold {

// The fields of a kept document that place it in the tree.
struct DocPlace {
  std::string_view listId;
  std::string_view webId;
  std::string_view dirName;
  std::string_view leafName;
  int64_t size = 0;
  uint8_t type = 0;
};

class DocumentCollection {
 public:
  DocumentCollection() = default;
  DocumentCollection(const DocumentCollection&) = delete;
  DocumentCollection& operator=(const DocumentCollection&) = delete;

  // Appends a copy of the document; its index is the size before.
  void push_back(const DocFields& document);

  size_t size() const { return documents_.size(); }
  bool empty() const { return documents_.empty(); }
  // Views of document `index` (< size()), valid until clear().
  DocPlace Place(size_t index) const;
  DocRecord operator[](size_t index) const;
  DocRecord at(size_t index) const;  // throws std::out_of_range past the end
  void clear();

 private:
  // The document's own texts (id, leaf name, the two times) and its size
  // are packed one after the other from `ownTexts` (see
  // document_collection.cpp); its four repeating texts, which change only
  // from folder to folder, are one index into `places_`. 16 bytes.
  struct Stored {
    const char* ownTexts = nullptr;
    uint32_t place = 0;
    uint8_t type = 0;
  };
  // The indexes into `shared_` of a document's site, list, web and folder
  // path.
  struct PlaceTexts {
    uint32_t siteId = 0;
    uint32_t listId = 0;
    uint32_t webId = 0;
    uint32_t dirName = 0;
    bool operator==(const PlaceTexts&) const = default;
  };
  struct PlaceHash {
    size_t operator()(const PlaceTexts& place) const;
  };
  // The last repeating text of one field and its index: documents come
  // folder by folder, so most repeat the one before and need no lookup.
  struct SharedMemo {
    std::string_view text;  // interned, or empty
    uint32_t index = 0;
  };
  enum MemoField { kSiteMemo, kListMemo, kWebMemo, kDirMemo, kCreatedShapeMemo, kModifiedShapeMemo, kMemoFields };

  uint32_t Shared(std::string_view text);
  uint32_t Shared(std::string_view text, MemoField field);
  uint32_t InternPlace(const PlaceTexts& place);
  void PackTime(std::string_view time, MemoField shapeField, uint8_t packedFlag, uint8_t& flags);

  TextPool texts_;
  std::string ownTexts_;  // a document's own texts while they are packed
  std::string shape_;     // a time's shape while it is packed
  ChunkedVector<Stored> documents_;
  // Distinct repeating texts and time shapes, kept once in `texts_`,
  // index 0 the empty one; `sharedIndex_` finds one by its text.
  std::vector<std::string_view> shared_{std::string_view()};
  std::unordered_map<std::string_view, uint32_t> sharedIndex_;
  SharedMemo memos_[kMemoFields];
  // Distinct places, found by `placeIndex_`; the last one is tried first.
  std::vector<PlaceTexts> places_;
  std::unordered_map<PlaceTexts, uint32_t, PlaceHash> placeIndex_;
  uint32_t lastPlace_ = UINT32_MAX;
};

}  // namespace brinehold
