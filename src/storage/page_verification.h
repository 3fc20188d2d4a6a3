// PageVerification: whether a page's bytes are as the server wrote them.
//
// SQL Server protects each page in one of two ways, chosen by the 16-bit
// header flags at offset 4:
//  - 0x0200, checksum: the 32-bit little-endian value at header offset 60
//    is a checksum of the whole page. The 8192 bytes are read as 2048
//    little-endian 32-bit words, the word at byte 60 taken as 0; the page is
//    16 sectors of 512 bytes (128 words). Each sector's words are XORed
//    together, the sector value of sector s (0..15) is rotated left by
//    15 - s bits, and the 16 rotated values XORed together give the
//    checksum.
//  - 0x0100, torn-page bits: before a write the server saves the two low
//    bits of the last byte of every 512-byte sector 1..15 into bits 2k and
//    2k+1 of the same header field and stamps all of those sectors with one
//    2-bit pattern, kept in bits 0 and 1 of the field. A sector whose low
//    bits differ from the pattern was not written with the rest: the page
//    is torn.
//  - neither bit: the page carries no protection and cannot be checked.
//
// Both checks apply to the page exactly as it lies at its place in the file,
// before the torn bits are restored or anything else is repaired.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/page_address.h"

namespace brinehold {

enum class PageProtection : uint8_t { None, Checksum, TornBits };

enum class PageVerdict : uint8_t {
  Unprotected,  // no checksum or torn bits to check (or no whole page)
  Verified,
  ChecksumMismatch,
  Torn,
};

struct PageVerification {
  PageProtection protection = PageProtection::None;
  PageVerdict verdict = PageVerdict::Unprotected;
  uint32_t stored = 0;    // the header field at offset 60
  uint32_t computed = 0;  // the checksum of the bytes (checksum pages only)

  bool Failed() const { return verdict == PageVerdict::ChecksumMismatch || verdict == PageVerdict::Torn; }
};

inline constexpr uint16_t kChecksumFlag = 0x0200;
inline constexpr uint16_t kTornBitsFlag = 0x0100;

// The checksum of the first 8192 bytes of `page` (0 when shorter).
uint32_t ComputePageChecksum(const ByteReader& page);

// Checks the page's protection. A buffer shorter than a page is Unprotected.
PageVerification VerifyPage(const ByteReader& page);

// A page that failed its check, where it physically lies.
struct FailedPage {
  PageAddress address;  // file id and physical page number
  PageVerdict verdict = PageVerdict::Unprotected;
  uint8_t pageType = 0;
  int32_t ownerObjectId = 0;
};

// How many failed pages a tally keeps by name. A file of noise fails on
// nearly every page; the count stays exact, but only these are kept, so
// the tally's memory does not grow with the file.
inline constexpr size_t kFailedPagesKept = 1000;

// What a pass over the pages of the files found: how many pages carried a
// checksum or torn bits, how many failed, and the first of those that
// failed, in the order met.
struct PageVerificationTally {
  uint64_t checked = 0;
  uint64_t failedCount = 0;
  std::vector<FailedPage> failed;  // at most kFailedPagesKept
  // Pages that look like pages (header version 1, a page type) but lie at
  // another place than the page number their header names: moved by a
  // damaged copy or a misdirected write. Unprotected pages count too.
  uint64_t displaced = 0;

  // Whether the pass met pages that are not as the server left them; the
  // pointers that lead to a table's pages may be among them.
  bool FoundDamage() const { return failedCount > 0 || displaced > 0; }

  // Verifies `page`, the page at physical place `address`, and counts it.
  void Add(const ByteReader& page, PageAddress address);
  // Counts a failed page, and keeps it while there is room.
  void AddFailed(const FailedPage& page);
  // Adds what a pass over a secondary file found, its pages named by
  // `fileId`.
  void Merge(const PageVerificationTally& other, int16_t fileId);
};

// "verified", "checksum mismatch", "torn", "unprotected".
const char* PageVerdictName(PageVerdict verdict);

// How many failed lines a report names one by one.
inline constexpr size_t kFailedPageLinesShown = 20;

// The report of a tally for the scan log: one line with the number of pages
// that failed, then one line per failed page up to `limit`, a line with the
// number left out, and a line with the number of displaced pages when there
// are any.
std::vector<std::string> VerificationReport(const PageVerificationTally& tally,
                                            size_t limit = kFailedPageLinesShown);

}  // namespace brinehold
