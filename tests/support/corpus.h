// Where the real SQL Server files for the corpus tests live. The directory
// is optional: tests that need it skip with a message when it is missing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "catalog/database_catalog.h"
#include "storage/data_file.h"

namespace brinehold::test {

std::string CorpusDir();
// Every data file (.mdf, .ndf) in the corpus directory, sorted; empty when
// the directory is missing.
std::vector<std::string> CorpusDataFiles();

// Each corpus file opened afresh (the app state reset first) with its
// catalog built; `visit` gets the file's path, the file and the catalog. A
// file that does not open is a test failure.
void ForEachCorpusCatalog(
    const std::function<void(const std::string& path, CDataFile& file, CDatabaseCatalog& catalog)>& visit);

// Each user table of each corpus file, its schema loaded as the catalog's
// current table (check `tableSchema.found` before use); the failure traces
// name the file and the table.
void ForEachCorpusTable(const std::function<void(const std::string& path, CDataFile& file,
                                                 CDatabaseCatalog& catalog, const ObjectRow& table)>& visit);

}  // namespace brinehold::test

// Skips the current test when the corpus is not present.
#define BRINEHOLD_REQUIRE_CORPUS(files)                                                      \
  if ((files).empty()) GTEST_SKIP() << "corpus not found at " << ::brinehold::test::CorpusDir()
