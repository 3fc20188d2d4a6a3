#include "writer/file_damage.h"

#include <algorithm>
#include <cstring>

namespace brinehold::writer {

namespace {

constexpr size_t kPage = 8192;
constexpr size_t kHeader = 96;
constexpr size_t kSector = 512;
constexpr uint32_t kBootPage = 9;
constexpr int kDefaultShare = 5;
constexpr size_t kJunkPrefixBytes = 3000;
constexpr size_t kCutIntoPage = 4321;

// splitmix64: the same sequence on every platform and library.
class Noise {
 public:
  explicit Noise(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t bound) { return bound == 0 ? 0 : static_cast<size_t>(Next() % bound); }
  void Fill(uint8_t* out, size_t count) {
    for (size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(Next());
  }

 private:
  uint64_t state_;
};

uint32_t PageCount(const Bytes& bytes) { return static_cast<uint32_t>(bytes.size() / kPage); }
uint8_t* PageAt(Bytes& bytes, uint32_t page) { return bytes.data() + static_cast<size_t>(page) * kPage; }

// `percent` % of the pages (at least one), chosen without repeats.
std::vector<uint32_t> ChoosePages(uint32_t pages, int percent, Noise& noise) {
  std::vector<uint32_t> all(pages);
  for (uint32_t i = 0; i < pages; ++i) all[i] = i;
  size_t count = std::max<size_t>(1, static_cast<size_t>(pages) * static_cast<size_t>(percent) / 100);
  count = std::min<size_t>(count, pages);
  for (size_t i = 0; i < count; ++i) std::swap(all[i], all[i + noise.Below(pages - i)]);
  all.resize(count);
  return all;
}

uint16_t SlotCountOf(const uint8_t* page) { return static_cast<uint16_t>(page[22] | page[23] << 8); }
int32_t OwnerOf(const uint8_t* page) {
  int32_t owner = 0;
  std::memcpy(&owner, page + 24, sizeof owner);
  return owner;
}

void DamageChosen(DamagedFile& out, const Damage& damage, Noise& noise) {
  const uint32_t pages = PageCount(out.bytes);
  const int share = damage.kind == DamageKind::ZeroPages ? damage.percent : kDefaultShare;
  std::vector<uint32_t> chosen = ChoosePages(pages, share, noise);
  if (damage.kind == DamageKind::DisplacePages && chosen.size() % 2 == 1) chosen.pop_back();
  for (size_t i = 0; i < chosen.size(); ++i) {
    uint8_t* page = PageAt(out.bytes, chosen[i]);
    switch (damage.kind) {
      case DamageKind::ZeroPages: std::memset(page, 0, kPage); break;
      case DamageKind::RandomBodies: noise.Fill(page + kHeader, kPage - kHeader); break;
      case DamageKind::ZeroHeaders: std::memset(page, 0, kHeader); break;
      case DamageKind::GarbleSlots: {
        const size_t slotBytes = std::clamp<size_t>(2 * SlotCountOf(page), 2, kPage - kHeader);
        noise.Fill(page + kPage - slotBytes, slotBytes);
        break;
      }
      case DamageKind::TornSectors: {
        const size_t first = 1 + noise.Below(kPage / kSector - 1);
        const uint8_t* other = PageAt(out.bytes, static_cast<uint32_t>(noise.Below(pages)));
        if (other != page) std::memmove(page + first * kSector, other + first * kSector, kPage - first * kSector);
        else std::memset(page + first * kSector, 0, kPage - first * kSector);
        break;
      }
      case DamageKind::DisplacePages:
        if (i % 2 == 1) std::swap_ranges(page, page + kPage, PageAt(out.bytes, chosen[i - 1]));
        break;
      default: break;
    }
    out.damagedPages.insert(chosen[i]);
  }
}

// Every page that `matches` (by its undamaged bytes) filled with noise.
template <typename Match>
void DestroyPages(DamagedFile& out, Noise& noise, Match matches) {
  for (uint32_t p = 0; p < PageCount(out.bytes); ++p) {
    uint8_t* page = PageAt(out.bytes, p);
    if (!matches(p, page)) continue;
    noise.Fill(page, kPage);
    out.damagedPages.insert(p);
  }
}

}  // namespace

std::vector<DamageKind> AllDamageKinds() {
  return {DamageKind::ZeroPages,     DamageKind::RandomBodies, DamageKind::ZeroHeaders, DamageKind::GarbleSlots,
          DamageKind::TornSectors,   DamageKind::DisplacePages, DamageKind::Cut,        DamageKind::JunkPrefix,
          DamageKind::DestroyIam,    DamageKind::DestroyBoot,  DamageKind::DestroyCatalog};
}

const char* DamageKindName(DamageKind kind) {
  switch (kind) {
    case DamageKind::ZeroPages: return "zero-pages";
    case DamageKind::RandomBodies: return "random-bodies";
    case DamageKind::ZeroHeaders: return "zero-headers";
    case DamageKind::GarbleSlots: return "garble-slots";
    case DamageKind::TornSectors: return "torn-sectors";
    case DamageKind::DisplacePages: return "displace-pages";
    case DamageKind::Cut: return "cut";
    case DamageKind::JunkPrefix: return "junk-prefix";
    case DamageKind::DestroyIam: return "destroy-iam";
    case DamageKind::DestroyBoot: return "destroy-boot";
    case DamageKind::DestroyCatalog: return "destroy-catalog";
  }
  return "?";
}

std::optional<DamageKind> DamageKindNamed(const std::string& name) {
  for (DamageKind kind : AllDamageKinds())
    if (name == DamageKindName(kind)) return kind;
  return std::nullopt;
}

DamagedFile DamageFile(Bytes file, const Damage& damage) {
  DamagedFile out{std::move(file), {}};
  Noise noise(damage.seed * 0x100 + static_cast<uint64_t>(damage.kind));
  const uint32_t pages = PageCount(out.bytes);
  if (pages == 0) return out;
  switch (damage.kind) {
    case DamageKind::Cut: {
      const size_t length = out.bytes.size() * static_cast<size_t>(std::clamp(damage.percent, 0, 100)) / 100;
      const size_t cut = std::min(out.bytes.size(), length / kPage * kPage + kCutIntoPage);
      for (uint32_t p = static_cast<uint32_t>(cut / kPage); p < pages; ++p) out.damagedPages.insert(p);
      out.bytes.resize(cut);
      break;
    }
    case DamageKind::JunkPrefix: {
      Bytes junk(kJunkPrefixBytes);
      noise.Fill(junk.data(), junk.size());
      out.bytes.insert(out.bytes.begin(), junk.begin(), junk.end());
      break;
    }
    case DamageKind::DestroyIam:
      DestroyPages(out, noise, [](uint32_t, const uint8_t* page) { return page[1] == 10; });
      break;
    case DamageKind::DestroyBoot:
      DestroyPages(out, noise, [](uint32_t p, const uint8_t*) { return p == kBootPage; });
      break;
    case DamageKind::DestroyCatalog:
      DestroyPages(out, noise, [](uint32_t, const uint8_t* page) {
        const int32_t owner = OwnerOf(page);
        return page[1] == 1 && owner > 0 && owner < 100;
      });
      break;
    default:
      DamageChosen(out, damage, noise);
      break;
  }
  return out;
}

}  // namespace brinehold::writer
