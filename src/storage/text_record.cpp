#include "storage/text_record.h"

namespace brinehold {

TextRecord::TextRecord(ByteReader bytes, int32_t maxLength_) : maxLength(maxLength_) {
  auto a = bytes.U8(0);
  if (!a) return;
  statusA = *a;
  recordType = RecordTypeOf(statusA);
  hasNullBitmap = (statusA & kStatusNullBitmap) != 0;
  hasVariableColumns = (statusA & kStatusVariableColumns) != 0;
  fixedEnd = bytes.GetOr<uint16_t>(2, 0);
  const int32_t fixedLength = fixedEnd - 4;
  if (fixedEnd <= 4 || fixedLength >= maxLength) return;
  auto copy = bytes.Copy(4, static_cast<size_t>(fixedLength));
  if (!copy) return;
  fragment = std::move(*copy);
  ByteReader view(fragment);
  payloadLength = fixedLength - static_cast<int32_t>(kFragmentHeaderSize);
  if (fragment.size() < kFragmentHeaderSize) {
    fragmentType = kUnusableFragment;
    return;
  }
  valueId = view.GetOr<uint64_t>(0, 0);
  fragmentType = view.GetOr<uint16_t>(8, 0);
}

}  // namespace brinehold
