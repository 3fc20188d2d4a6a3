#include "support/page_bytes.h"

namespace brinehold::test {

namespace {

void Put(std::vector<uint8_t>& page, size_t offset, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) page[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<uint8_t> MakePage(const PageLayout& blueprint) {
  std::vector<uint8_t> page(8192, blueprint.fill);
  for (size_t i = 0; i < 96; ++i) page[i] = 0;
  page[0] = 1;
  page[1] = blueprint.type;
  Put(page, 4, blueprint.flagBits, 2);
  Put(page, 24, static_cast<uint32_t>(blueprint.owner), 4);
  Put(page, 32, blueprint.pageNumber, 4);
  Put(page, 36, static_cast<uint16_t>(blueprint.fileId), 2);
  Put(page, 60, blueprint.tornBits, 4);
  return page;
}

std::vector<uint8_t> MakeFileImage(uint32_t pages, PageShaper shape, size_t before, size_t after,
                                   uint8_t junk) {
  std::vector<uint8_t> image(before, junk);
  image.reserve(before + size_t{pages} * 8192 + after);
  for (uint32_t i = 0; i < pages; ++i) {
    PageLayout blueprint;
    blueprint.pageNumber = i;
    if (shape) shape(i, blueprint);
    std::vector<uint8_t> page = MakePage(blueprint);
    image.insert(image.end(), page.begin(), page.end());
  }
  image.insert(image.end(), after, junk);
  return image;
}

void SmallDatabaseShape(uint32_t index, PageLayout& blueprint) {
  if (index == 1) {
    blueprint.owner = 7;
    blueprint.type = 1;
  } else if (index >= 2) {
    blueprint.owner = 1000;
    blueprint.type = 1;
  }
}

}  // namespace brinehold::test
