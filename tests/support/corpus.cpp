#include "support/corpus.h"

#include "platform/read_only_file.h"

namespace brinehold::test {

std::string CorpusDir() { return BRINEHOLD_CORPUS_DIR; }

std::vector<std::string> CorpusDataFiles() {
  std::vector<std::string> files = ListFilesWithExtension(CorpusDir(), ".mdf");
  for (std::string& ndf : ListFilesWithExtension(CorpusDir(), ".ndf")) files.push_back(std::move(ndf));
  return files;
}

}  // namespace brinehold::test
