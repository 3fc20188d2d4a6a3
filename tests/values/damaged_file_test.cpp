// Damaged copies of real data files (and of the embedded sample database),
// read the way `brinehold rows` reads them: open, catalog bootstrap, then
// for every user table its schema, its page list and the rendered rows of
// each page. The damage is made up front with fixed pseudo-random numbers,
// so every run reads the same bytes:
//  - noise:    every 5th page from page 16 on overwritten with random bytes;
//  - catalog:  a few bytes flipped in every data page of a system table;
//  - cut:      the file ends at 60 % of its length, inside a page;
//  - maps:     every IAM, PFS, GAM and SGAM page zeroed.
// What is checked is that every step returns (the sanitizer build turns
// any out-of-bounds read or undefined behaviour into a failure, ctest's
// timeout catches a hang), that tables wholly before a cut keep their rows,
// and that the command line program ends with exit code 0 or 1 and a
// message, never with a signal.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "catalog/database_catalog.h"
#include "catalog/table_schema.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "support/corpus.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "support/user_tables.h"
#include "values/page_rows.h"
#include "values/row_decoding_context.h"
#include "values/table_page_source.h"
#include "writer/sharepoint_sample.h"

namespace brinehold {
namespace {

using test::TempDir;

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// splitmix64: the same sequence on every platform and library.
class Noise {
 public:
  explicit Noise(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t bound) { return static_cast<size_t>(Next() % bound); }

 private:
  uint64_t state_;
};

enum class Damage { Noise, Catalog, Cut, Maps };

const char* DamageName(Damage damage) {
  switch (damage) {
    case Damage::Noise: return "noise";
    case Damage::Catalog: return "catalog";
    case Damage::Cut: return "cut";
    case Damage::Maps: return "maps";
  }
  return "?";
}

size_t PageCount(const Bytes& bytes) { return bytes.size() / kPageSize; }
uint8_t PageType(const Bytes& bytes, size_t page) { return bytes[page * kPageSize + 1]; }
int32_t PageOwner(const Bytes& bytes, size_t page) {
  int32_t owner = 0;
  std::memcpy(&owner, bytes.data() + page * kPageSize + 24, sizeof owner);
  return owner;
}

// Where the cut variant ends: 60 % of the file, a little way into a page.
size_t CutLength(size_t length) { return length * 6 / 10 / kPageSize * kPageSize + 4321; }

Bytes Damaged(Bytes bytes, Damage damage) {
  Noise noise(0x5EED0000u + static_cast<uint64_t>(damage));
  const size_t pages = PageCount(bytes);
  switch (damage) {
    case Damage::Noise:
      for (size_t page = 16; page < pages; page += 5)
        for (size_t i = 0; i < kPageSize; ++i) bytes[page * kPageSize + i] = static_cast<uint8_t>(noise.Next());
      break;
    case Damage::Catalog:
      // Rows of the base system tables (owner ids below 100) with a few
      // bytes changed past the page header.
      for (size_t page = 0; page < pages; ++page) {
        if (PageType(bytes, page) != kDataPageType) continue;
        const int32_t owner = PageOwner(bytes, page);
        if (owner <= 0 || owner >= 100) continue;
        for (int flip = 0; flip < 4; ++flip) {
          const size_t offset = 96 + noise.Below(kPageSize - 96);
          bytes[page * kPageSize + offset] ^= static_cast<uint8_t>(1 + noise.Below(255));
        }
      }
      break;
    case Damage::Cut:
      if (bytes.size() > CutLength(bytes.size())) bytes.resize(CutLength(bytes.size()));
      break;
    case Damage::Maps:
      for (size_t page = 0; page < pages; ++page) {
        const uint8_t type = PageType(bytes, page);
        if (type == kIamPageType || type == kPfsPageType || type == kGamPageType || type == kSgamPageType)
          std::memset(bytes.data() + page * kPageSize, 0, kPageSize);
      }
      break;
  }
  return bytes;
}

struct TableRead {
  std::vector<std::string> columns;  // "name type" of each
  int64_t rows = 0;
  std::vector<PageAddress> pages;  // every page listed for it
  PageAddress firstIam;
};

struct FileRead {
  bool opened = false;
  std::map<std::string, TableRead> tables;  // user tables by name
};

// What `brinehold rows FILE TABLE` does, for every user table of the file.
FileRead ReadEveryTable(const std::string& path) {
  FileRead result;
  result.opened = test::ForEachUserTable(path, [&](const std::string& name, CDataFile& file, CDatabaseCatalog& catalog) {
    const TableSchema& schema = catalog.tableSchema;
    TableRead& table = result.tables[name];
    table.firstIam = schema.currentAllocationUnit.firstIamPage;
    for (const ColumnInfo& column : schema.columns) table.columns.push_back(column.name + " " + column.typeText);
    RowDecodingContext context = BuildRowDecodingContext(schema.columns);
    ListTablePages(catalog, [&](PageSource, const std::vector<PageAddress>& pages) {
      const int64_t before = table.rows;
      for (const PageAddress& address : pages) {
        table.pages.push_back(address);
        table.rows += static_cast<int64_t>(GetPageRows(file, address, schema, context).size());
      }
      return table.rows > before;
    });
  });
  return result;
}

// The name of the first user table of an undamaged file.
std::string FirstUserTable(const std::string& path) {
  TheApp().ResetForTests();
  auto file = OpenDataFile(path, false, nullptr);
  std::string name;
  if (file->IsValid()) {
    auto catalog = BuildCatalog(*file);
    for (const ObjectRow& object : catalog->objects) {
      if (object.type != "U ") continue;
      name = object.name;
      break;
    }
  }
  TheApp().ResetForTests();
  return name;
}

// Reads the damaged copy of every file in `files` (and of the sample) and
// records how many of them still opened.
void ReadDamagedCopies(const std::vector<std::string>& files, Damage damage) {
  TempDir dir;
  std::vector<std::pair<std::string, Bytes>> sources = {{"sample.mdf", writer::BuildSharePointSample().Build()}};
  for (const std::string& path : files) sources.emplace_back(BaseName(path), test::ReadWholeFile(path));
  int opened = 0;
  for (auto& [name, bytes] : sources) {
    SCOPED_TRACE(name + " (" + DamageName(damage) + ")");
    ASSERT_FALSE(bytes.empty());
    // Allocation pages are not needed to open a file or to find its tables.
    const bool expectTables = damage == Damage::Maps && !FirstUserTable(dir.Write(name, bytes)).empty();
    const std::string copy = dir.Write(name, Damaged(std::move(bytes), damage));
    FileRead read = ReadEveryTable(copy);
    opened += read.opened;
    if (damage == Damage::Maps) {
      EXPECT_TRUE(read.opened);
    }
    if (expectTables) {
      EXPECT_FALSE(read.tables.empty());
    }
    std::remove(copy.c_str());
  }
  ::testing::Test::RecordProperty("opened", opened);
}

TEST(DamagedFileTest, RandomPagesReadToTheEnd) { ReadDamagedCopies(test::CorpusDataFiles(), Damage::Noise); }

TEST(DamagedFileTest, FlippedCatalogBytesReadToTheEnd) {
  ReadDamagedCopies(test::CorpusDataFiles(), Damage::Catalog);
}

TEST(DamagedFileTest, ZeroedAllocationPagesReadToTheEnd) {
  ReadDamagedCopies(test::CorpusDataFiles(), Damage::Maps);
}

// Cut files read to the end; a table whose columns, allocation map and data
// pages all lie before the cut reads exactly as in the whole file (one
// whose column rows were cut off has no columns to render).
TEST(DamagedFileTest, CutFilesReadToTheEnd) {
  auto files = test::CorpusDataFiles();
  ReadDamagedCopies({}, Damage::Cut);  // the sample
  BRINEHOLD_REQUIRE_CORPUS(files);
  TempDir dir;
  int compared = 0;
  for (const std::string& path : files) {
    SCOPED_TRACE(BaseName(path));
    Bytes bytes = test::ReadWholeFile(path);
    ASSERT_FALSE(bytes.empty());
    const int64_t cutPage = static_cast<int64_t>(CutLength(bytes.size()) / kPageSize);
    FileRead whole = ReadEveryTable(path);
    ASSERT_TRUE(whole.opened);
    const std::string copy = dir.Write(BaseName(path), Damaged(std::move(bytes), Damage::Cut));
    FileRead cut = ReadEveryTable(copy);
    std::remove(copy.c_str());
    if (!cut.opened) continue;
    for (const auto& [name, table] : whole.tables) {
      auto it = cut.tables.find(name);
      if (it == cut.tables.end() || it->second.columns != table.columns) continue;
      bool before = table.firstIam.pageNumber < cutPage;
      for (const PageAddress& page : table.pages) before = before && page.pageNumber < cutPage;
      if (!before || table.pages.empty()) continue;
      EXPECT_EQ(it->second.rows, table.rows) << name;
      ++compared;
    }
  }
  ::testing::Test::RecordProperty("compared", compared);
  EXPECT_GT(compared, 0);
}

// A message and exit code 0 or 1 from `brinehold`, and no sanitizer report.
void ExpectOrderlyEnd(const test::CliResult& result, const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(result.signal, 0);
  EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1) << result.exitCode;
  if (result.exitCode == 1) {
    EXPECT_FALSE(result.err.empty());
  } else if (result.exitCode == 0) {
    EXPECT_FALSE(result.out.empty());
  }
  EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("runtime error:"), std::string::npos) << result.err;
}

// scan, objects and rows on three damaged files: the sample with flipped
// catalog bytes, the first SQL Server 2000 file of the corpus with random
// pages and the newest corpus file cut short.
TEST(DamagedFileTest, CommandLineEndsWithAnExitCode) {
  auto files = test::CorpusDataFiles();
  TempDir dir;
  const std::string logs = dir.MakeDir("logs");
  struct Case {
    std::string name;
    Bytes bytes;
    Damage damage;
  };
  std::vector<Case> cases = {{"sample.mdf", writer::BuildSharePointSample().Build(), Damage::Catalog}};
  for (const std::string& path : files) {
    if (BaseName(path).rfind("539_", 0) != 0) continue;
    cases.push_back({BaseName(path), test::ReadWholeFile(path), Damage::Noise});
    break;
  }
  if (!files.empty()) cases.push_back({BaseName(files.back()), test::ReadWholeFile(files.back()), Damage::Cut});
  for (Case& c : cases) {
    const std::string table = FirstUserTable(dir.Write(c.name, c.bytes));
    ASSERT_FALSE(table.empty()) << c.name;
    const std::string label = c.name + " (" + DamageName(c.damage) + ")";
    const std::string copy = dir.Write(c.name, Damaged(std::move(c.bytes), c.damage));
    ExpectOrderlyEnd(test::RunCli({"scan", copy, "--log-dir", logs}), "scan " + label);
    ExpectOrderlyEnd(test::RunCli({"objects", copy}), "objects " + label);
    ExpectOrderlyEnd(test::RunCli({"rows", copy, table}), "rows " + label + " " + table);
  }
}

}  // namespace
}  // namespace brinehold
