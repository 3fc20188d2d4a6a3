#include "storage/record.h"

namespace brinehold {

const char* RecordTypeName(uint8_t type) {
  switch (type & 0x07) {
    case kPrimaryRecordType: return "primary";
    case kForwardedRecordType: return "forwarded";
    case kForwardingStubType: return "forwarding stub";
    case kIndexRecordType: return "index";
    case kLargeValueFragmentType: return "large value";
    case kGhostIndexRecordType: return "ghost index";
    case kGhostDataRecordType: return "ghost data";
    default: return "ghost version";
  }
}

Bytes CopyWithTerminator(const ByteReader& bytes, size_t offset, size_t count) {
  Bytes out;
  if (auto copy = bytes.Copy(offset, count)) {
    out = std::move(*copy);
    out.push_back(0);
    out.push_back(0);
  }
  return out;
}

}  // namespace brinehold
