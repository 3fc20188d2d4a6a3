// CatalogRecord and CatalogPage: what the catalog readers take from a record
// page, detached from the page classes.
//
// A CatalogRecord is the part of a parsed record the system-table row
// parsers look at: its record type, its fixed-length data (absent for
// records that could not be parsed), its column count and its list of
// variable-length column values, one entry per column, empty where the
// column had no bytes. A CatalogPage is one page's header facts and its
// record list in slot order, an empty entry standing for a slot that gave no
// record. Everything is a copy, so a page can be released as soon as it has
// been converted.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/byte_reader.h"

namespace brinehold {

struct CatalogRecord {
  int recordType = 0;  // bits 1-3 of the first status byte
  bool hasFixed = false;
  Bytes fixed;
  int32_t columnCount = 0;
  std::vector<Bytes> variableColumns;

  ByteReader Fixed() const { return hasFixed ? ByteReader(fixed) : ByteReader(); }
  size_t FixedLength() const { return hasFixed ? fixed.size() : 0; }
};

struct CatalogPage {
  int pageType = 0;
  int32_t slotCount = 0;
  std::vector<std::optional<CatalogRecord>> records;
};

}  // namespace brinehold
