// make_sample_database OUTPUT.mdf [--layout 2010|2013] [--documents N]
//
// Writes a SharePoint content database (see writer/content_database.h):
// without options the embedded sample in the 2007/2010 layout; --layout
// 2013 puts the bytes in DocStreams pieces and "Webs" becomes a view;
// --documents N adds N files in nested folders to the sample's content.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "writer/content_database.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: make_sample_database OUTPUT.mdf [--layout 2010|2013] [--documents N]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace brinehold::writer;
  if (argc < 2) return Usage();
  const std::string output = argv[1];
  ContentLayout layout = ContentLayout::SharePoint2010;
  long documents = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    const std::string value = argv[++i];
    if (option == "--layout" && (value == "2010" || value == "2013")) {
      layout = value == "2013" ? ContentLayout::SharePoint2013 : ContentLayout::SharePoint2010;
    } else if (option == "--documents") {
      char* end = nullptr;
      documents = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || documents < 0 || documents > 1000000) return Usage();
    } else {
      return Usage();
    }
  }
  const ContentModel model = documents > 0 ? GeneratedContent(static_cast<int32_t>(documents)) : SampleContent();
  if (!BuildContentDatabase(model, layout).WriteTo(output)) {
    std::fprintf(stderr, "make_sample_database: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
