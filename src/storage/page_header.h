// CPage_Header: the parsed 96-byte header of a page.
//
// A plain data object holding every header field in its natural width. Built
// from a page buffer, it also restores torn-page bits in that buffer: when
// flag bit 0x100 is set, the two low bits of the last byte of each 512-byte
// sector 1..15 are replaced by bits 2k and 2k+1 of the torn-bits field, so
// every record read from the page afterwards sees the restored bytes.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/byte_reader.h"
#include "storage/page_address.h"

namespace brinehold {

// Page types the system acts on.
enum PageType : uint8_t {
  kDataPageType = 1,
  kIndexPageType = 2,
  kTextMixPageType = 3,
  kTextTreePageType = 4,
  kGamPageType = 8,
  kSgamPageType = 9,
  kIamPageType = 10,
  kPfsPageType = 11,
  kBootPageType = 13,
  kFileHeaderPageType = 15,
};

class CPage_Header {
 public:
  CPage_Header() = default;

  // Parses the header of `page` and restores its torn-page bits in place.
  // Nothing when the buffer is shorter than a header.
  static std::optional<CPage_Header> Parse(Bytes& page);
  // Parses without touching the buffer (for raw inspection).
  static std::optional<CPage_Header> ParseOnly(const ByteReader& page);

  uint8_t headerVersion = 0;
  uint8_t pageType = 0;
  uint8_t typeFlagBits = 0;
  uint8_t level = 0;
  uint16_t flagBits = 0;
  int16_t indexId = 0;
  PageAddress previousPage;
  int16_t minimumFixedLength = 0;
  PageAddress nextPage;
  int16_t slotCount = 0;
  int32_t ownerObjectId = 0;
  int16_t freeByteCount = 0;
  int16_t freeDataOffset = 0;
  PageAddress thisPage;
  int16_t reservedCount = 0;
  uint32_t lsnFile = 0;
  uint32_t lsnBlock = 0;
  uint16_t lsnSlot = 0;
  int16_t transactionReservedCount = 0;
  uint32_t transactionIdHigh = 0;
  uint16_t transactionIdLow = 0;
  int16_t ghostRecordCount = 0;
  uint32_t tornBits = 0;

  bool HasCompressionInfo() const { return (typeFlagBits & 0x80) != 0; }
  bool UsesTornBits() const { return (flagBits & 0x100) != 0; }

  // The check made before records are read: none of the page pointers, the
  // free byte count or the ghost count may be negative.
  bool PassesSanityCheck() const;
};

// Applies torn-page restoration to a page buffer given its flag bits and torn
// bits. Exposed for the inventory, which reads raw headers.
void RestoreTornBits(Bytes& page, uint16_t flagBits, uint32_t tornBits);

}  // namespace brinehold
