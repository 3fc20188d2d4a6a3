// LobStructureBase and its kinds: one parsed large-value fragment each.
//
// Fragment layout (offsets from the start of the fragment):
//   small root (0):  10 data length (2), data from 16
//   internal (2):    10 maximum links, 12 link count, 14 level (2 each),
//                    links from 16, 16 bytes each: offset (8), page (4),
//                    file id (2), slot (2)
//   data (3):        data from 10, payload length bytes
//   large root (5):  10 maximum links, 12 link count, 14 level (2 each),
//                    links from 20, 12 bytes each: size (4), page (4),
//                    file id (2), slot (2)
// Types 4 and 6 are read as large roots. A node reads its first `link
// count` links, and only as many as the fragment holds (never beyond page
// offset 8192), so a damaged count can never make a read leave the
// fragment. The link slots after the count are not part of the value: a
// server leaves stale pointers there (to other values' fragments). Every
// structure holds copies of what it parsed.
//
// The two operations render a data fragment (the others render nothing,
// because the traversal in large_value.h renders them through their links).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "storage/page_address.h"

namespace brinehold {

class CDataFile;

// One link of an internal node or a large root.
struct LobLink {
  PageAddress page;
  int16_t slot = 0;
  int64_t offsetOrSize = 0;  // internal: offset (held); large root: size (held)
};

class LobStructureBase {
 public:
  LobStructureBase(const CDataFile* file_, uint64_t valueId_, int32_t type_)
      : file(file_), valueId(valueId_), fragmentType(type_) {}
  virtual ~LobStructureBase() = default;
  LobStructureBase(const LobStructureBase&) = delete;
  LobStructureBase& operator=(const LobStructureBase&) = delete;

  // The value as text (data fragments only; empty otherwise).
  virtual std::string ValueText() const { return {}; }
  // The first `count` bytes as upper-case hexadecimal digits (data
  // fragments only; empty otherwise).
  virtual std::string ValueHex(size_t /*count*/) const { return {}; }

  const CDataFile* file;  // where linked fragments are read from; not owned
  uint64_t valueId;
  int32_t fragmentType;
};

class SmallRoot : public LobStructureBase {
 public:
  using LobStructureBase::LobStructureBase;
  int32_t dataLength = 0;  // as stored
  Bytes data;              // the data, clipped to the fragment
};

class Internal : public LobStructureBase {
 public:
  using LobStructureBase::LobStructureBase;
  int32_t maxLinks = 0;
  int32_t linkCount = 0;
  int32_t level = 0;
  std::vector<LobLink> links;
};

class LargeRootYukon : public LobStructureBase {
 public:
  using LobStructureBase::LobStructureBase;
  int32_t maxLinks = 0;
  int32_t linkCount = 0;
  int32_t level = 0;
  std::vector<LobLink> links;
};

class LobSData : public LobStructureBase {
 public:
  using LobStructureBase::LobStructureBase;
  // 8-bit characters (system code page) up to the first zero byte.
  std::string ValueText() const override;
  std::string ValueHex(size_t count) const override;
  Bytes data;
};

// The fragment type as the traversal uses it: 4 and 6 become 5.
int32_t NormalisedFragmentType(int32_t type);

// Parses `fragment` (fixed data of a TextRecord) with `payloadLength` bytes
// after its 10-byte header. Null for an unusable fragment: unknown type, or a
// payload too short for its type's own fields.
std::unique_ptr<LobStructureBase> ParseLobStructure(const ByteReader& fragment, int32_t payloadLength,
                                                    const CDataFile* file);

// Two upper-case hexadecimal digits per byte.
std::string HexDigits(const ByteReader& bytes);

}  // namespace brinehold
