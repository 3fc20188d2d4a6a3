// Large-value traversal over a tiny file made from the input: byte 0 picks
// the options and the entry (text pointer, in-row root or a fragment), the
// next 16 (or, for an in-row root, a length byte and that many) bytes are
// the entry, and the rest fills pages 20 .. 23 of a small file whose other
// pages are the writer's standard ones. The file is written to a temp path
// per input, so the reader sees exactly what a damaged file would give.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_input_file.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "storage/large_value.h"
#include "writer/file_builder.h"

using namespace brinehold;

namespace {

constexpr uint32_t kFirstFuzzPage = 20;
constexpr uint32_t kFuzzPages = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  uint8_t mode = in.Byte();
  TheApp().ResetForTests();
  std::vector<uint8_t> entry = (mode & 0x30) == 0x10 ? in.Take(in.Byte() % 128) : in.Take(16);

  HeadlessWindow window;
  auto file = fuzz::OpenInputPagesFile(in, "large_value.mdf", kFirstFuzzPage, kFuzzPages, window);
  if (!file) return 0;

  LargeValueOptions options;
  options.typePrefix = mode & 0x01;
  options.renderMode = (mode & 0x02) ? kRenderHex : kRenderText;
  options.unicode = mode & 0x04;
  options.collect = mode & 0x08;
  options.maxBytes = (mode & 0x40) ? 1000 : kMaxLargeValueBytes;
  ValueCollector collector;
  ByteReader reader(entry.data(), entry.size());
  switch ((mode >> 4) & 0x03) {
    case 0: (void)ResolveTextPointer(*file, reader, options, &collector); break;
    case 1: (void)ResolveInRowRoot(*file, reader, options, &collector); break;
    default: {
      // The entry bytes taken as a fragment's fixed data.
      (void)ReadLargeValue(reader, *file, options, static_cast<int32_t>(entry.size()) - 4, &collector);
      break;
    }
  }
  (void)collector.Join();
  TheApp().ResetForTests();
  return 0;
}
