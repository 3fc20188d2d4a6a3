// damage_file INPUT OUTPUT KIND [PERCENT] [SEED]
//
// Writes a damaged copy of a data file (see writer/file_damage.h for the
// kinds) and prints the indexes of the pages whose bytes changed, one a
// line, so that a recovery run on the copy can be judged on the rest.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "writer/file_damage.h"

using brinehold::Bytes;
namespace writer = brinehold::writer;

int main(int argc, char** argv) {
  std::optional<writer::DamageKind> kind = argc >= 4 ? writer::DamageKindNamed(argv[3]) : std::nullopt;
  if (argc < 4 || argc > 6 || !kind) {
    std::fprintf(stderr, "usage: damage_file INPUT OUTPUT KIND [PERCENT] [SEED]\nkinds:");
    for (writer::DamageKind k : writer::AllDamageKinds()) std::fprintf(stderr, " %s", writer::DamageKindName(k));
    std::fprintf(stderr, "\n");
    return 2;
  }
  writer::Damage damage;
  damage.kind = *kind;
  if (argc >= 5) damage.percent = std::atoi(argv[4]);
  if (argc >= 6) damage.seed = std::strtoull(argv[5], nullptr, 10);
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "damage_file: cannot read %s\n", argv[1]);
    return 1;
  }
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  writer::DamagedFile damaged = writer::DamageFile(std::move(bytes), damage);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(damaged.bytes.data()), static_cast<std::streamsize>(damaged.bytes.size()));
  if (!out) {
    std::fprintf(stderr, "damage_file: cannot write %s\n", argv[2]);
    return 1;
  }
  for (uint32_t page : damaged.damagedPages) std::printf("%u\n", page);
  return 0;
}
