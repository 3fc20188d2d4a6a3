// brinehold: the command-line front end.
#include "cli/commands.h"
#include "values/binary_xml_converter.h"

int main(int argc, char** argv) {
  // xml values are decoded by our own binary xml converter.
  brinehold::InstallBinaryXmlConverter();
  return brinehold::cli::Main(argc, argv);
}
