// CDataPage: a data page as CDataFile::ReadDataPage returns it; a
// PrimaryRecordPage that adds nothing to the parsing.
#pragma once

#include "storage/primary_record_page.h"

namespace brinehold {

class CDataPage : public PrimaryRecordPage {
 public:
  CDataPage(Bytes buffer, const CDataFile* file, const CompressedRowLayout* layout = nullptr)
      : PrimaryRecordPage(std::move(buffer), file, layout) {}
  ~CDataPage() override = default;
};

}  // namespace brinehold
