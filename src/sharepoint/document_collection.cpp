#include "sharepoint/document_collection.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace brinehold {

uint32_t DocumentCollection::Shared(std::string_view text) {
  if (text.empty()) return 0;
  const std::string_view interned = texts_.Intern(text);
  auto [at, added] = sharedIndex_.emplace(interned.data(), static_cast<uint32_t>(shared_.size()));
  if (added) shared_.push_back(interned);
  return at->second;
}

void DocumentCollection::push_back(const DocFields& document) {
  // A rendered cell is far below 4 GB; a longer one is cut, not wrapped.
  auto length = [](std::string_view text) {
    return static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
  };
  Stored stored;
  stored.idLength = length(document.id);
  stored.leafNameLength = length(document.leafName);
  stored.timeCreatedLength = length(document.timeCreated);
  stored.timeLastModifiedLength = length(document.timeLastModified);
  ownTexts_.clear();
  ownTexts_.append(document.id.substr(0, stored.idLength));
  ownTexts_.append(document.leafName.substr(0, stored.leafNameLength));
  ownTexts_.append(document.timeCreated.substr(0, stored.timeCreatedLength));
  ownTexts_.append(document.timeLastModified.substr(0, stored.timeLastModifiedLength));
  stored.ownTexts = texts_.Add(ownTexts_).data();
  stored.size = document.size;
  stored.siteId = Shared(document.siteId);
  stored.listId = Shared(document.listId);
  stored.webId = Shared(document.webId);
  stored.dirName = Shared(document.dirName);
  stored.type = document.type;
  documents_.push_back(stored);
}

DocFields DocumentCollection::Fields(size_t index) const {
  const Stored& stored = documents_[index];
  const char* at = stored.ownTexts;
  auto next = [&at](uint32_t length) {
    const std::string_view text(length == 0 ? nullptr : at, length);
    at += length;
    return text;
  };
  DocFields fields;
  fields.id = next(stored.idLength);
  fields.leafName = next(stored.leafNameLength);
  fields.timeCreated = next(stored.timeCreatedLength);
  fields.timeLastModified = next(stored.timeLastModifiedLength);
  fields.siteId = shared_[stored.siteId];
  fields.listId = shared_[stored.listId];
  fields.webId = shared_[stored.webId];
  fields.dirName = shared_[stored.dirName];
  fields.size = stored.size;
  fields.type = stored.type;
  return fields;
}

DocRecord DocumentCollection::operator[](size_t index) const {
  const DocFields fields = Fields(index);
  DocRecord record;
  record.id = fields.id;
  record.siteId = fields.siteId;
  record.listId = fields.listId;
  record.type = fields.type;
  record.dirName = fields.dirName;
  record.webId = fields.webId;
  record.leafName = fields.leafName;
  record.size = fields.size;
  record.timeCreated = fields.timeCreated;
  record.timeLastModified = fields.timeLastModified;
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
  texts_.Clear();
}

}  // namespace brinehold
