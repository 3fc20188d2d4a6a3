// PfsPage: a page free space page, the allocation state of every page of
// its range.
//
// Where they stand: page 1 of every data file covers pages 0 .. 8087; after
// it a PFS page stands at every multiple of 8088 (8088, 16176, ...) and
// covers the 8088 pages from itself on.
//
// Layout: an ordinary page header (type 11) and one record in slot 0 at
// offset 96: two status bytes, the record length (2 bytes, 8092), then one
// byte per page of the range, in page order, from page offset 100:
//   0x07  how full the page is: 0 empty, 1 up to 50 %, 2 up to 80 %,
//         3 up to 95 %, 4 full (5 .. 7 are never written)
//   0x08  the page holds ghost records
//   0x10  the page is an IAM page
//   0x20  the page lies in a mixed extent
//   0x40  the page is allocated
//   0x80  unused (never set)
// A page the server frees keeps its bytes (and the owner id in its header)
// until it is used again; only its PFS byte says that it is free.
//
// Damage: a page that is not a PFS page, whose header names another page,
// or whose record is not the full-length record at offset 96 is not used
// at all (Read gives nothing); a byte that no server writes (fullness 5 .. 7
// or bit 0x80) tells nothing about its page.
//
// PageAllocation answers for any page of a data file, reading the PFS page
// that covers it on first use and keeping it for the caller's walk.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "storage/page.h"
#include "storage/page_address.h"

namespace brinehold {

inline constexpr int32_t kPagesPerPfsPage = 8088;

// The PFS page that covers `page` (same file).
PageAddress PfsPageFor(PageAddress page);

enum class AllocationState { Allocated, Free, Unknown };

class PfsPage : public CPage {
 public:
  // The PFS page at `address`; null when it cannot be read or is damaged.
  static std::unique_ptr<PfsPage> Read(const CDataFile& file, PageAddress address);

  PfsPage(Bytes buffer, const CDataFile* file, PageAddress address);
  bool Usable() const { return usable_; }

  // Unknown for a page outside the range, a damaged page or byte.
  AllocationState StateOf(PageAddress page) const;

 private:
  bool CheckLayout(PageAddress address) const;

  PageAddress address_;
  bool usable_ = false;
};

class PageAllocation {
 public:
  explicit PageAllocation(const CDataFile& file) : file_(file) {}

  AllocationState StateOf(PageAddress page);
  // Whether this answers for `file`.
  bool Covers(const CDataFile& file) const { return &file_ == &file; }

 private:
  const CDataFile& file_;
  // By PFS page address; null for one that cannot be used.
  std::map<PageAddress, std::unique_ptr<PfsPage>> pages_;
};

}  // namespace brinehold
