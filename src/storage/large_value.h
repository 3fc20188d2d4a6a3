// Large values: from a pointer in a row to the value's text or bytes.
//
// A row holds large values (text, ntext, image, and (max) values stored
// off-row) as a pointer:
//  - a 16-byte text pointer: timestamp (8), page (4), file id (2), slot (2);
//  - an in-row root: a 12-byte header, then 12-byte entries: size (4), page
//    (4), file id (2; above 1000 read as 1), slot (2); entries with a size of
//    0 or less are skipped.
// Each points at a fragment on a text page (see lob_structure.h). The
// traversal renders the fragments it reaches, in link order, either as text
// or as upper-case hexadecimal digits, or, in collect mode, appends the data
// bytes to a ValueCollector instead of rendering them.
//
// Text rendering: with the Unicode option the data is UTF-16LE; otherwise it
// is 8-bit text in `codePage`, except a small root whose zero bytes are
// exactly half of its bytes (UTF-16 stored in an 8-bit column), of which
// every other byte is kept. Each fragment's text ends at its first zero
// character. With the type-prefix option (sql_variant) the first 8 bytes of
// a data fragment or small root are skipped, and a small root whose first
// byte is 165 or 173 (binary base types) is rendered in hexadecimal.
// Results are UTF-8.
//
// Damage: a page that cannot be read, a slot outside the page's record list,
// an empty slot or an unusable fragment makes that part of the value empty;
// the rest is still assembled. A link structure that loops ends: a fragment
// already visited for this value is not visited again, the nesting depth is
// at most kMaxLobDepth, and the value stops growing at options.maxBytes data
// bytes. The traversal stops between links when TheApp().stopRequested is
// set. Nothing is reported; nothing throws.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/byte_reader.h"

namespace brinehold {

class CDataFile;

inline constexpr int kRenderText = 0;
inline constexpr int kRenderHex = 1;
inline constexpr int kMaxLobDepth = 16;
// The largest value SQL Server stores (2^31 - 1 bytes).
inline constexpr uint64_t kMaxLargeValueBytes = 0x7FFFFFFF;

struct LargeValueOptions {
  bool typePrefix = false;      // sql_variant: 8-byte prefix before the data
  int renderMode = kRenderText;  // kRenderText or kRenderHex
  bool collect = false;         // append data to the collector, render nothing
  bool unicode = false;         // the data is UTF-16LE text
  int codePage = 0;             // 8-bit text code page (0: system ANSI)
  uint64_t maxBytes = kMaxLargeValueBytes;
  // Applied to the hexadecimal text of a large root reached straight from
  // the row's pointer, when set (the spill step of the row renderer); its
  // result replaces the text. Unset by default.
  std::function<std::string(const std::string&)> spillLargeRoot;
};

// The data bytes of a value, in traversal order, as blocks.
class ValueCollector {
 public:
  void Append(std::span<const uint8_t> bytes);
  const std::vector<Bytes>& Blocks() const { return blocks_; }
  size_t TotalSize() const { return total_; }
  // The blocks joined in order (empty blocks skipped).
  Bytes Join() const;
  // The same into a string, each block freed once it is copied, so a
  // large value is not held twice; the collector is left empty.
  std::string TakeJoined();
  void Clear() {
    blocks_.clear();
    total_ = 0;
  }

 private:
  std::vector<Bytes> blocks_;
  size_t total_ = 0;
};

// The value that starts at `fragment` (a TextRecord's fixed data with
// `payloadLength` bytes after its header), as UTF-8 text; empty when
// collecting or when nothing could be read. `collector` may be null unless
// options.collect is set.
std::string ReadLargeValue(const ByteReader& fragment, const CDataFile& file, const LargeValueOptions& options,
                           int32_t payloadLength, ValueCollector* collector);

// Text pointer resolution: the value a 16-byte text pointer leads to; a
// single blank when it yields nothing.
std::string ResolveTextPointer(const CDataFile& file, const ByteReader& pointer, const LargeValueOptions& options,
                               ValueCollector* collector);

// In-row root resolution: the values of every entry with a positive size,
// each as for a text pointer, concatenated in entry order.
std::string ResolveInRowRoot(const CDataFile& file, const ByteReader& root, const LargeValueOptions& options,
                             ValueCollector* collector);

}  // namespace brinehold
