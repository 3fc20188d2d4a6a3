// brinehold: the command-line front end.
#include "cli/commands.h"

int main(int argc, char** argv) { return brinehold::cli::Main(argc, argv); }
