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
  if (!bytes.Has(offset, count)) return out;
  // One allocation per value: the terminator is room reserved, not growth.
  out.reserve(count + 2);
  out.assign(bytes.data() + offset, bytes.data() + offset + count);
  out.push_back(0);
  out.push_back(0);
  return out;
}

}  // namespace brinehold
