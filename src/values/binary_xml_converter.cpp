#include "values/binary_xml_converter.h"

#include <memory>

#include "values/binary_xml_decoder.h"

namespace brinehold {

std::optional<std::string> BinaryXmlConverter::Convert(std::span<const uint8_t> stored) {
  return DecodeBinaryXml(stored);
}

void InstallBinaryXmlConverter() { InstallXmlConverter(std::make_unique<BinaryXmlConverter>()); }

}  // namespace brinehold
