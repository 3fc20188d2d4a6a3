// DocumentCollection: the documents read from "AllDocs", kept compactly.
//
// A content database can hold millions of documents, and the tree keeps
// every one for the document view and for saving. Of the ten texts of a
// document, four repeat on every document of a site, list or folder (site,
// web, list, folder path): those are stored once per distinct value; the
// others are packed into a TextPool. A document then costs its own texts
// plus 64 bytes, against some 600 as ten std::strings.
//
// A document's index is its identity (the tree's tags carry it). Fields()
// gives views that stay valid until clear(); operator[] gives a copy as a
// DocRecord. Not thread-safe: filled by the scan, read once it is done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text_pool.h"
#include "sharepoint/sharepoint_records.h"

namespace brinehold {

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
  DocFields Fields(size_t index) const;
  DocRecord operator[](size_t index) const;
  DocRecord at(size_t index) const;  // throws std::out_of_range past the end
  void clear();

 private:
  // The document's own texts (id, leaf name, the two times) stand one
  // after the other in `texts_` from `ownTexts`; the repeating ones are
  // indexes into `shared_`.
  struct Stored {
    const char* ownTexts = nullptr;
    uint32_t idLength = 0;
    uint32_t leafNameLength = 0;
    uint32_t timeCreatedLength = 0;
    uint32_t timeLastModifiedLength = 0;
    int64_t size = 0;
    uint32_t siteId = 0;
    uint32_t listId = 0;
    uint32_t webId = 0;
    uint32_t dirName = 0;
    uint8_t type = 0;
  };
  uint32_t Shared(std::string_view text);

  TextPool texts_;
  std::string ownTexts_;  // a document's own texts while they are joined
  std::deque<Stored> documents_;
  // Distinct repeating texts, index 0 the empty one; `sharedIndex_` finds
  // one by its interned data pointer (equal interned texts share it).
  std::vector<std::string_view> shared_{std::string_view()};
  std::unordered_map<const char*, uint32_t> sharedIndex_;
};

}  // namespace brinehold
