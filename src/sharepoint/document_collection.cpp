#include "sharepoint/document_collection.h"

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
  Stored stored;
  stored.id = texts_.Add(document.id);
  stored.leafName = texts_.Add(document.leafName);
  stored.timeCreated = texts_.Add(document.timeCreated);
  stored.timeLastModified = texts_.Add(document.timeLastModified);
  stored.size = document.size;
  stored.siteId = Shared(document.siteId);
  stored.listId = Shared(document.listId);
  stored.webId = Shared(document.webId);
  stored.dirName = Shared(document.dirName);
  stored.type = document.type;
  documents_.push_back(stored);
}

void DocumentCollection::push_back(const DocRecord& document) {
  push_back(DocFields{document.id, document.siteId, document.listId, document.type, document.dirName,
                      document.webId, document.leafName, document.size, document.timeCreated,
                      document.timeLastModified});
}

DocFields DocumentCollection::Fields(size_t index) const {
  const Stored& stored = documents_[index];
  return DocFields{stored.id,       shared_[stored.siteId],   shared_[stored.listId],
                   stored.type,     shared_[stored.dirName],  shared_[stored.webId],
                   stored.leafName, stored.size,              stored.timeCreated,
                   stored.timeLastModified};
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
