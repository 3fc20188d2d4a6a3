#include "values/convert_xml.h"

#include "storage/large_value.h"
#include "values/xml_converter.h"

namespace brinehold {

std::string ConvertXml(const ValueCollector& collected) {
  if (collected.TotalSize() == 0) return "";
  const Bytes joined = collected.Join();
  return ConvertXml(std::span<const uint8_t>(joined.data(), joined.size()));
}

std::string ConvertXml(std::span<const uint8_t> stored) {
  auto text = CurrentXmlConverter().Convert(stored);
  return text ? *text : std::string();
}

}  // namespace brinehold
