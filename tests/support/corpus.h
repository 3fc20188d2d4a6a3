// Where the real SQL Server files for the corpus tests live. The directory
// is optional: tests that need it skip with a message when it is missing.
#pragma once

#include <string>
#include <vector>

namespace brinehold::test {

std::string CorpusDir();
// Every data file (.mdf, .ndf) in the corpus directory, sorted; empty when
// the directory is missing.
std::vector<std::string> CorpusDataFiles();

}  // namespace brinehold::test

// Skips the current test when the corpus is not present.
#define BRINEHOLD_REQUIRE_CORPUS(files)                                                      \
  if ((files).empty()) GTEST_SKIP() << "corpus not found at " << ::brinehold::test::CorpusDir()
