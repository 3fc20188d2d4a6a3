// The boot record and boot page (page 9 of a primary file) of a synthetic
// database.
//
// Laid out as real files do: a page of type 13 owned by object 99, one slot
// pointing at offset 96, and there one record whose 4-byte header carries a
// zero status and the record length, followed by the database facts at their
// fixed page offsets: format version (100), creation version (102), database
// name (148, 104 UTF-16 code units), collation id (488) and the first
// system-index page (612/616). The record is as long as real files of the
// same format version make it, so the page's free-space figures look like
// theirs.
//
// The name field is filled after the name with `padding` (U+2020 as newer
// versions write it, a blank as older ones do, or 0 for a plain terminator);
// a name of 104 code units or more fills the field without any terminator.
#pragma once

#include <cstdint>
#include <string>

#include "platform/byte_reader.h"
#include "writer/page_builder.h"

namespace brinehold::writer {

struct BootPageLayout {
  uint16_t formatVersion = 904;
  uint16_t creationVersion = 0;  // 0: the same as formatVersion
  std::u16string databaseName = u"Synthetic";
  char16_t padding = u'\u2020';
  int32_t collationId = 872468488;  // SQL_Latin1_General_CP1_CI_AS
  int32_t firstSysIndexPage = 20;
  int16_t firstSysIndexFile = 1;
  // Where the page claims to be (header offsets 32 and 36).
  int32_t pageNumber = 9;
  int16_t fileId = 1;
  uint16_t recordLength = 0;  // 0: the length real files of this version use
};

inline constexpr int32_t kBootPageOwner = 99;

// The length of the boot record in real files of `formatVersion` (that of
// the nearest older measured version for others; never shorter than the
// fixed fields need).
uint16_t BootRecordLength(uint16_t formatVersion);

// The boot record alone (it belongs at page offset 96).
Bytes BuildBootRecord(const BootPageLayout& blueprint);

// Places the boot record at offset 96 of `page` (slot 0).
void PlaceBootRecord(PageBuilder& page, const BootPageLayout& blueprint);

// A whole boot page, 8192 bytes.
Bytes BuildBootPage(const BootPageLayout& blueprint);

}  // namespace brinehold::writer
