// XmlConverter: turns the stored (binary) form of an xml value into text.
//
// The conversion is supplied from outside the decoders; until one is
// installed every conversion fails, and the decoders show what they show for
// a failed conversion. Install before a listing starts, not while one runs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace brinehold {

class XmlConverter {
 public:
  virtual ~XmlConverter() = default;
  // The text of the value, or nothing when the bytes cannot be converted.
  virtual std::optional<std::string> Convert(std::span<const uint8_t> stored) = 0;
};

// The converter in use (never null: a converter that always fails when none
// was installed).
XmlConverter& CurrentXmlConverter();
// Installs `converter`; nullptr goes back to the failing default.
void InstallXmlConverter(std::unique_ptr<XmlConverter> converter);

}  // namespace brinehold
