// BinaryXmlConverter: the XmlConverter that decodes SQL Server's binary xml
// (DecodeBinaryXml with the default limits).
//
// InstallBinaryXmlConverter makes it the process's converter; programs call
// it once at start-up, before any listing runs.
#pragma once

#include <optional>
#include <string>

#include "values/xml_converter.h"

namespace brinehold {

class BinaryXmlConverter final : public XmlConverter {
 public:
  std::optional<std::string> Convert(std::span<const uint8_t> stored) override;
};

void InstallBinaryXmlConverter();

}  // namespace brinehold
