// make_sample_database OUTPUT.mdf
//
// Writes the embedded sample: a small SharePoint content database in the
// modern layout (see writer/sharepoint_sample.h), for trying the tool
// without real files.
#include <cstdio>

#include "writer/sharepoint_sample.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample_database OUTPUT.mdf\n");
    return 2;
  }
  if (!brinehold::writer::BuildSharePointSample().WriteTo(argv[1])) {
    std::fprintf(stderr, "make_sample_database: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
