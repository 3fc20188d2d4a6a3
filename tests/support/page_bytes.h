// Tiny builders for hand-made pages: just enough header fields for the page
// layer's tests (owner, type, page number, file id, flags, torn bits). Real
// synthetic databases come from the writer library in tools/writer/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brinehold::test {

struct PageLayout {
  uint32_t pageNumber = 0;  // header field at offset 32
  int16_t fileId = 1;       // offset 36
  int32_t owner = 0;        // offset 24
  uint8_t type = 0;         // offset 1
  uint16_t flagBits = 0;    // offset 4
  uint32_t tornBits = 0;    // offset 60
  uint8_t fill = 0;         // every byte after the header
};

// One 8192-byte page.
std::vector<uint8_t> MakePage(const PageLayout& blueprint);

// A file image: `pages` pages where page i carries its own number i and the
// owner/type that `shape(i, blueprint)` sets (a page of owner 0 and type 0 when
// no shape is given), between `before` and `after` bytes of junk.
using PageShaper = void (*)(uint32_t index, PageLayout& blueprint);
std::vector<uint8_t> MakeFileImage(uint32_t pages, PageShaper shape = nullptr, size_t before = 0,
                                   size_t after = 0, uint8_t junk = 0xA5);

// Shapes used by several tests: page 1 belongs to system table 7 (a data
// page), every other page from 2 on is a data page of object 1000.
void SmallDatabaseShape(uint32_t index, PageLayout& blueprint);

}  // namespace brinehold::test
