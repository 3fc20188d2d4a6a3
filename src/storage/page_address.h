// PageAddress: a page pointer, file id and page number.
//
// On disk a page pointer is 6 bytes: page number (4 bytes LE) then file id
// (2 bytes LE). File id 1 is the primary file; 0 or less, or page number 0 or
// less, addresses no page.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/byte_reader.h"

namespace brinehold {

constexpr size_t kPageSize = 8192;
constexpr size_t kPageHeaderSize = 96;
constexpr size_t kPageBufferSize = kPageSize + 1;  // reads leave a trailing zero byte

struct PageAddress {
  int16_t fileId = 0;
  int32_t pageNumber = 0;

  bool IsNull() const { return fileId <= 0 || pageNumber <= 0; }
  std::string ToString() const { return std::to_string(fileId) + ":" + std::to_string(pageNumber); }

  auto operator<=>(const PageAddress&) const = default;

  // The 6-byte on-disk form at `offset`; nothing when it does not fit.
  static std::optional<PageAddress> Read(const ByteReader& reader, size_t offset) {
    auto page = reader.I32(offset);
    auto file = reader.I16(offset + 4);
    if (!page || !file) return std::nullopt;
    return PageAddress{*file, *page};
  }
};

}  // namespace brinehold
