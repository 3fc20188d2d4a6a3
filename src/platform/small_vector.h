// SmallVector: a sequence of plain records that keeps its first N in
// itself and goes to the heap only beyond them.
//
// A parsed row keeps one entry per variable-length column; with a vector
// each row cost two heap blocks, a sixth of the time of listing a table of
// short rows. Records must be trivially copyable; the interface is the part
// of std::vector the readers use. Not thread-safe.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

namespace brinehold {

template <typename T, size_t N>
class SmallVector {
  static_assert(std::is_trivially_copyable_v<T> && N > 0);

 public:
  SmallVector() = default;
  SmallVector(const SmallVector& other) { assign(other.begin(), other.end()); }
  SmallVector& operator=(const SmallVector& other) {
    if (this != &other) assign(other.begin(), other.end());
    return *this;
  }
  SmallVector(SmallVector&& other) noexcept { *this = std::move(other); }
  SmallVector& operator=(SmallVector&& other) noexcept {
    if (this == &other) return *this;
    if (other.heap_) {
      heap_ = std::move(other.heap_);
      capacity_ = other.capacity_;
    } else {
      heap_.reset();
      capacity_ = N;
      std::copy_n(other.inline_.data(), other.size_, inline_.data());
    }
    size_ = std::exchange(other.size_, 0);
    other.capacity_ = N;
    return *this;
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return heap_ ? heap_.get() : inline_.data(); }
  const T* data() const { return heap_ ? heap_.get() : inline_.data(); }
  T& operator[](size_t index) { return data()[index]; }
  const T& operator[](size_t index) const { return data()[index]; }
  T* begin() { return data(); }
  T* end() { return data() + size_; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size_; }
  T& front() { return data()[0]; }
  const T& front() const { return data()[0]; }
  T& back() { return data()[size_ - 1]; }
  const T& back() const { return data()[size_ - 1]; }

  void reserve(size_t wanted) {
    if (wanted <= capacity_) return;
    auto grown = std::make_unique_for_overwrite<T[]>(wanted);
    std::copy_n(data(), size_, grown.get());
    heap_ = std::move(grown);
    capacity_ = wanted;
  }
  void push_back(const T& value) {
    const T copy = value;  // `value` may be an entry that growing moves
    if (size_ == capacity_) reserve(capacity_ * 2);
    data()[size_++] = copy;
  }
  void clear() { size_ = 0; }
  template <typename Iterator>
  void assign(Iterator first, Iterator last) {
    const auto count = static_cast<size_t>(std::distance(first, last));
    size_ = 0;
    reserve(count);
    std::copy(first, last, data());
    size_ = count;
  }

 private:
  std::array<T, N> inline_;
  std::unique_ptr<T[]> heap_;
  size_t size_ = 0;
  size_t capacity_ = N;
};

}  // namespace brinehold
