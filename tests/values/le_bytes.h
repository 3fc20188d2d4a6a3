// Little-endian byte builders for the value decoder tests: values are
// written the way SQL Server stores them.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace brinehold::test {

class LeBytes {
 public:
  LeBytes& Int(uint64_t value, int width) {
    for (int i = 0; i < width; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return *this;
  }
  LeBytes& Raw(std::initializer_list<int> values) {
    for (int v : values) bytes_.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  LeBytes& Text(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  LeBytes& Utf16(const std::u16string& text) {
    for (char16_t unit : text) Int(unit, 2);
    return *this;
  }
  LeBytes& Double(double value) {
    uint64_t raw;
    std::memcpy(&raw, &value, sizeof raw);
    return Int(raw, 8);
  }
  LeBytes& Single(float value) {
    uint32_t raw;
    std::memcpy(&raw, &value, sizeof raw);
    return Int(raw, 4);
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  operator const std::vector<uint8_t>&() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// Day number (days since 0001-01-01) of a proleptic Gregorian date.
inline int64_t DayNumber(int year, int month, int day) {
  static const int kBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int64_t y = year - 1;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400 + kBefore[month - 1] + day - 1;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (leap && month > 2) ++days;
  return days;
}

}  // namespace brinehold::test
