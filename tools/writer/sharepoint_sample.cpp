#include "writer/sharepoint_sample.h"

namespace brinehold::writer {

CatalogFileBuilder BuildSharePointSample() {
  return BuildContentDatabase(SampleContent(), ContentLayout::SharePoint2010);
}

}  // namespace brinehold::writer
