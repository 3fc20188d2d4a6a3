// make_sample_database OUTPUT.mdf
//
// Writes a small synthetic primary data file: the standard allocation pages,
// a boot page slot and data pages of base system tables, enough for the page
// inventory and the record reader to treat it like a real database.
#include <cstdio>
#include <string>

#include "writer/boot_page_builder.h"
#include "writer/file_builder.h"
#include "writer/record_builder.h"

namespace {

using brinehold::Bytes;
using namespace brinehold::writer;

constexpr uint32_t kSamplePages = 32;
constexpr int32_t kAllocationUnitsOwner = 7;  // sysallocunits
constexpr int32_t kObjectsOwner = 34;         // sysschobjs

void AddSystemTablePages(DatabaseFileBuilder& file) {
  PageBuilder& units = file.Page(16, 1, kAllocationUnitsOwner);
  for (int i = 0; i < 3; ++i) {
    Bytes fixed;
    AppendLE(fixed, 0x70000 + i, 8);  // allocation unit id
    AppendLE(fixed, 1, 1);            // type: in-row data
    AppendLE(fixed, 0x70000 + i, 8);  // owner
    AppendLE(fixed, 0, 4);
    units.AddRecord(RecordBuilder().SetFixed(fixed).SetColumnCount(4).Build());
  }
  PageBuilder& objects = file.Page(17, 1, kObjectsOwner);
  Bytes fixed;
  AppendLE(fixed, 34, 4);
  objects.AddRecord(RecordBuilder().SetFixed(fixed).SetColumnCount(2).AddVariable(Utf16("sysschobjs")).Build());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample_database OUTPUT.mdf\n");
    return 2;
  }
  DatabaseFileBuilder file(kSamplePages);
  BootPageSpec boot;
  boot.databaseName = u"BrineholdSample";
  PlaceBootRecord(file.Page(9, 13, kBootPageOwner), boot);
  AddSystemTablePages(file);
  if (!file.WriteTo(argv[1])) {
    std::fprintf(stderr, "make_sample_database: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
