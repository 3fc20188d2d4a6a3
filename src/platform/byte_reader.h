// ByteReader: the one way page bytes are read.
//
// A ByteReader is a non-owning, bounds-checked view of a byte range with
// little-endian accessors. Every offset handed to it may come straight from a
// damaged file: an access that does not fit inside the view returns nothing
// (std::nullopt) instead of reading outside the buffer. The `Or` forms return
// a caller-chosen default for the same case, for fields where the format
// defines one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace brinehold {

using Bytes = std::vector<uint8_t>;
// A view of bytes someone else owns (see the owner's lifetime rule).
using ByteView = std::span<const uint8_t>;

inline Bytes CopyOf(ByteView bytes) { return Bytes(bytes.begin(), bytes.end()); }

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
  explicit ByteReader(std::span<const uint8_t> bytes) : ByteReader(bytes.data(), bytes.size()) {}
  explicit ByteReader(const Bytes& bytes) : ByteReader(bytes.data(), bytes.size()) {}

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const uint8_t* data() const { return data_; }

  // True when [offset, offset + count) lies inside the view. Safe against
  // overflow for any offset and count.
  bool Has(size_t offset, size_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }

  template <typename T>
  std::optional<T> Get(size_t offset) const {
    static_assert(std::is_integral_v<T>, "integers only");
    if (!Has(offset, sizeof(T))) return std::nullopt;
    using U = std::make_unsigned_t<T>;
    U value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<U>(static_cast<U>(data_[offset + i]) << (8 * i));
    return static_cast<T>(value);
  }

  std::optional<uint8_t> U8(size_t offset) const { return Get<uint8_t>(offset); }
  std::optional<uint16_t> U16(size_t offset) const { return Get<uint16_t>(offset); }
  std::optional<uint32_t> U32(size_t offset) const { return Get<uint32_t>(offset); }
  std::optional<uint64_t> U64(size_t offset) const { return Get<uint64_t>(offset); }
  std::optional<int8_t> I8(size_t offset) const { return Get<int8_t>(offset); }
  std::optional<int16_t> I16(size_t offset) const { return Get<int16_t>(offset); }
  std::optional<int32_t> I32(size_t offset) const { return Get<int32_t>(offset); }
  std::optional<int64_t> I64(size_t offset) const { return Get<int64_t>(offset); }

  template <typename T>
  T GetOr(size_t offset, T fallback) const {
    auto v = Get<T>(offset);
    return v ? *v : fallback;
  }

  // Unsigned little-endian integer of 1 to 8 bytes.
  std::optional<uint64_t> UInt(size_t offset, size_t width) const {
    if (width == 0 || width > 8 || !Has(offset, width)) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= static_cast<uint64_t>(data_[offset + i]) << (8 * i);
    return value;
  }

  // A sub-view, or nothing when it does not fit.
  std::optional<ByteReader> Sub(size_t offset, size_t count) const {
    if (!Has(offset, count)) return std::nullopt;
    return ByteReader(data_ + offset, count);
  }

  // The sub-view from `offset` to the end, clipped to the view (empty when
  // the offset lies beyond it).
  ByteReader Tail(size_t offset) const {
    if (offset >= size_) return ByteReader();
    return ByteReader(data_ + offset, size_ - offset);
  }

  // Copies of a range; nothing when it does not fit.
  std::optional<Bytes> Copy(size_t offset, size_t count) const {
    if (!Has(offset, count)) return std::nullopt;
    return Bytes(data_ + offset, data_ + offset + count);
  }

  // A copy of as much of the range as lies inside the view.
  Bytes CopyClipped(size_t offset, size_t count) const {
    if (offset >= size_) return {};
    size_t n = count < size_ - offset ? count : size_ - offset;
    return Bytes(data_ + offset, data_ + offset + n);
  }

  std::span<const uint8_t> Span() const { return {data_, size_}; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// Little-endian stores into a byte vector, bounds-checked the same way; used
// by code that patches a buffer (torn-page restoration, the synthetic writer).
inline bool PutUInt(Bytes& buffer, size_t offset, uint64_t value, size_t width) {
  if (width > 8 || offset > buffer.size() || width > buffer.size() - offset) return false;
  for (size_t i = 0; i < width; ++i) buffer[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  return true;
}

}  // namespace brinehold
