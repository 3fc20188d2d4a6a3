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

ByteView ViewOf(const ByteReader& bytes, size_t offset, size_t count) {
  if (!bytes.Has(offset, count)) return {};
  return ByteView(bytes.data() + offset, count);
}

}  // namespace brinehold
