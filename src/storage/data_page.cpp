#include "storage/data_page.h"

#include "storage/data_file.h"

namespace brinehold {

std::unique_ptr<CDataPage> CDataFile::ReadDataPage(PageAddress address, const CompressedRowLayout* layout) const {
  auto buffer = ReadPage(address);
  if (!buffer) return nullptr;
  return std::make_unique<CDataPage>(std::move(*buffer), this, layout);
}

}  // namespace brinehold
