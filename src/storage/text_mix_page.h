// TextMixPage: a text page, whose records are large-value fragments.
//
// One TextRecord per slot; a slot above 8192 (or 0, or inside the header)
// gives an empty entry, any other slot a record of maximum length
// 8192 - slot. Building stops (leaving the rest of the list empty) when the
// user asks to stop.
//
// ReadTextMixPage corrects a displaced page: when the page at P says it is
// page S != P, pages are shifted by S - P in the file, so page P is read
// from position P - (S - P). The corrected page is used only when it does
// say P; otherwise the page at P is used as it is.
#pragma once

#include <memory>

#include "storage/page_address.h"
#include "storage/record_page.h"
#include "storage/text_record.h"

namespace brinehold {

class TextMixPage : public RecordPage {
 public:
  TextMixPage(Bytes buffer, const CDataFile* file);
  ~TextMixPage() override = default;

  const TextRecord* Record(size_t index) const { return static_cast<const TextRecord*>(RecordAt(index)); }
};

std::unique_ptr<TextMixPage> ReadTextMixPage(const CDataFile& file, PageAddress address);

}  // namespace brinehold
