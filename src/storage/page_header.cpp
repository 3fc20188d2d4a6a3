#include "storage/page_header.h"

namespace brinehold {

std::optional<CPage_Header> CPage_Header::ParseOnly(const ByteReader& r) {
  if (!r.Has(0, kPageHeaderSize)) return std::nullopt;
  CPage_Header h;
  h.headerVersion = *r.U8(0);
  h.pageType = *r.U8(1);
  h.typeFlagBits = *r.U8(2);
  h.level = *r.U8(3);
  h.flagBits = *r.U16(4);
  h.indexId = *r.I16(6);
  h.previousPage = {*r.I16(12), *r.I32(8)};
  h.minimumFixedLength = *r.I16(14);
  h.nextPage = {*r.I16(20), *r.I32(16)};
  h.slotCount = *r.I16(22);
  h.ownerObjectId = *r.I32(24);
  h.freeByteCount = *r.I16(28);
  h.freeDataOffset = *r.I16(30);
  h.thisPage = {*r.I16(36), *r.I32(32)};
  h.reservedCount = *r.I16(38);
  h.lsnFile = *r.U32(40);
  h.lsnBlock = *r.U32(44);
  h.lsnSlot = *r.U16(48);
  h.transactionReservedCount = *r.I16(50);
  h.transactionIdHigh = *r.U32(52);
  h.transactionIdLow = *r.U16(56);
  h.ghostRecordCount = *r.I16(58);
  h.tornBits = *r.U32(60);
  return h;
}

std::optional<CPage_Header> CPage_Header::Parse(Bytes& page) {
  auto header = ParseOnly(ByteReader(page));
  if (header) RestoreTornBits(page, header->flagBits, header->tornBits);
  return header;
}

bool CPage_Header::PassesSanityCheck() const {
  return previousPage.pageNumber >= 0 && previousPage.fileId >= 0 && nextPage.pageNumber >= 0 &&
         nextPage.fileId >= 0 && thisPage.pageNumber >= 0 && thisPage.fileId >= 0 &&
         freeByteCount >= 0 && ghostRecordCount >= 0;
}

void RestoreTornBits(Bytes& page, uint16_t flagBits, uint32_t tornBits) {
  if ((flagBits & 0x100) == 0) return;
  for (unsigned k = 1; k <= 15; ++k) {
    size_t offset = 512 * k + 511;
    if (offset >= page.size()) break;
    uint8_t bits = static_cast<uint8_t>((tornBits >> (2 * k)) & 0x3);
    page[offset] = static_cast<uint8_t>((page[offset] & 0xFC) | bits);
  }
}

}  // namespace brinehold
