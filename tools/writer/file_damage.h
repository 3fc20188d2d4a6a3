// Damaged copies of data files, the way disks, copies and failed writes
// damage them, for the recovery suite and the damage_file tool.
//
// Every kind is made from fixed pseudo-random numbers (splitmix64 from the
// seed), so a seed names one damaged file on every platform. The result says
// which pages (by their index in the undamaged file) no longer hold the bytes
// they held, so a reader of the damaged copy can be measured on the rows of
// the pages that are still intact.
//
//   zero-pages      `percent` % of the pages zeroed
//   random-bodies   5 % of the pages: bytes 96..8191 random, header kept
//   zero-headers    5 % of the pages: the 96 header bytes zeroed
//   garble-slots    5 % of the pages: the slot array at the page end random
//   torn-sectors    5 % of the pages: sectors from a random one to the last
//                   hold the same sectors of another page (a write that
//                   stopped part way)
//   displace-pages  5 % of the pages swapped in pairs
//   cut             the file ends at `percent` % of its length, inside a page
//   junk-prefix     3000 random bytes before the first page
//   destroy-iam     every IAM page random
//   destroy-boot    the boot page (page 9) random
//   destroy-catalog every data page of a base system table (owner id below
//                   100) random
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/byte_reader.h"

namespace brinehold::writer {

enum class DamageKind {
  ZeroPages,
  RandomBodies,
  ZeroHeaders,
  GarbleSlots,
  TornSectors,
  DisplacePages,
  Cut,
  JunkPrefix,
  DestroyIam,
  DestroyBoot,
  DestroyCatalog,
};

struct Damage {
  DamageKind kind = DamageKind::ZeroPages;
  int percent = 5;  // zero-pages: share of pages; cut: where the file ends
  uint64_t seed = 1;
};

struct DamagedFile {
  Bytes bytes;
  std::set<uint32_t> damagedPages;  // indexes in the undamaged file
};

// The kinds in the order listed above.
std::vector<DamageKind> AllDamageKinds();
const char* DamageKindName(DamageKind kind);
std::optional<DamageKind> DamageKindNamed(const std::string& name);

DamagedFile DamageFile(Bytes file, const Damage& damage);

}  // namespace brinehold::writer
