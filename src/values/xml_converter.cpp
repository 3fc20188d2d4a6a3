#include "values/xml_converter.h"

namespace brinehold {
namespace {

class FailingXmlConverter final : public XmlConverter {
 public:
  std::optional<std::string> Convert(std::span<const uint8_t>) override { return std::nullopt; }
};

std::unique_ptr<XmlConverter>& InstalledConverter() {
  static std::unique_ptr<XmlConverter> installed;
  return installed;
}

}  // namespace

XmlConverter& CurrentXmlConverter() {
  static FailingXmlConverter failing;
  auto& installed = InstalledConverter();
  return installed ? *installed : static_cast<XmlConverter&>(failing);
}

void InstallXmlConverter(std::unique_ptr<XmlConverter> converter) {
  InstalledConverter() = std::move(converter);
}

}  // namespace brinehold
