// The catalog bootstrap on every real data file of the corpus: each yields
// objects, the layout is recognised, user tables have their columns, and
// the tables and views that a file's creation script creates are found
// with their type codes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>

#include "catalog/database_catalog.h"
#include "platform/text_codec.h"
#include "session/app_state.h"
#include "storage/data_file.h"
#include "support/corpus.h"

namespace brinehold {
namespace {

struct Opened {
  std::unique_ptr<CDataFile> file;
  std::unique_ptr<CDatabaseCatalog> catalog;
};

Opened OpenAndBuild(const std::string& path) {
  TheApp().ResetForTests();
  Opened opened;
  opened.file = OpenDataFile(path, false, nullptr);
  if (opened.file->IsValid()) opened.catalog = BuildCatalog(*opened.file);
  return opened;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The script beside `mdf` with the same name stem, or "".
std::string CompanionScript(const std::string& mdf) {
  std::string sql = mdf.substr(0, mdf.size() - 4) + ".sql";
  return std::ifstream(sql).good() ? sql : std::string();
}

std::string ReadScriptText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto bytes = [&](size_t from) {
    return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(raw.data()) + from, raw.size() - from);
  };
  if (raw.size() >= 2 && static_cast<uint8_t>(raw[0]) == 0xFF && static_cast<uint8_t>(raw[1]) == 0xFE)
    return Utf16LeToUtf8(bytes(2));
  if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return raw.substr(3);
  return DecodeCodePage(1252, bytes(0));
}

struct Created {
  std::string name;
  std::string type;  // "U " or "V "
};

// Every CREATE TABLE and CREATE VIEW of a script, with its object name.
std::vector<Created> CreatedObjects(const std::string& script) {
  static const std::regex statement(
      R"re(^\s*create\s+(table|view)\s+(?:\[dbo\]\.|dbo\.)?(?:\[([^\]]+)\]|"([^"]+)"|([A-Za-z_][A-Za-z0-9_]*)))re",
      std::regex::icase);
  std::vector<Created> out;
  std::istringstream lines(script);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_search(line, m, statement)) continue;
    std::string kind = m[1].str();
    std::string name = m[2].matched ? m[2].str() : m[3].matched ? m[3].str() : m[4].str();
    out.push_back({name, (kind[0] == 't' || kind[0] == 'T') ? "U " : "V "});
  }
  return out;
}

TEST(CatalogCorpus, EveryFileYieldsAnObjectCatalog) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& path : files) {
    SCOPED_TRACE(BaseName(path));
    Opened db = OpenAndBuild(path);
    ASSERT_TRUE(db.file->IsValid());
    const CDatabaseCatalog& c = *db.catalog;
    EXPECT_FALSE(c.objects.empty());
    EXPECT_FALSE(c.databaseFiles.empty());
    bool legacy = TheApp().settings.legacyCatalog;
    EXPECT_EQ(legacy, BaseName(path).rfind("539_", 0) == 0) << "only the SQL Server 2000 file is legacy";
    if (legacy) {
      EXPECT_TRUE(c.columns.empty());
      EXPECT_FALSE(c.legacyColumns.empty());
      EXPECT_FALSE(c.legacyTables.empty());
      continue;
    }
    EXPECT_FALSE(c.scalarTypes.empty());
    EXPECT_FALSE(c.rowsets.empty());
    EXPECT_FALSE(c.allocationUnits.empty());
    EXPECT_FALSE(c.indexes.empty());
    // Every user table has columns, all of them named.
    std::set<int32_t> withColumns;
    for (const ColumnRow& column : c.columns) {
      if (column.objectId > 0) {
        withColumns.insert(column.objectId);
        EXPECT_FALSE(column.name.empty());
      }
    }
    for (const ObjectRow& object : c.objects) {
      EXPECT_EQ(object.type.size(), 2u) << object.name;
      if (object.type == "U ") {
        EXPECT_TRUE(withColumns.count(object.objectId)) << object.name;
      }
    }
  }
}

TEST(CatalogCorpus, ScriptTablesAndViewsAreFoundWithTheirTypes) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  int scripts = 0;
  for (const std::string& path : files) {
    std::string script = CompanionScript(path);
    if (script.empty()) continue;
    ++scripts;
    SCOPED_TRACE(BaseName(path));
    std::vector<Created> created = CreatedObjects(ReadScriptText(script));
    EXPECT_FALSE(created.empty());
    Opened db = OpenAndBuild(path);
    ASSERT_TRUE(db.catalog);
    for (const Created& want : created) {
      bool found = false;
      for (const ObjectRow& object : db.catalog->objects)
        if (object.name == want.name && object.type == want.type) found = true;
      EXPECT_TRUE(found) << want.type << want.name;
    }
  }
  EXPECT_GE(scripts, 1);
}

TEST(CatalogCorpus, PubsForeignKeysAndSurveyIdentity) {
  auto files = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(files);
  for (const std::string& path : files) {
    std::string name = BaseName(path);
    if (name.rfind("655_pubs_", 0) == 0) {
      Opened db = OpenAndBuild(path);
      bool found = false;
      for (const ForeignKeyColumn& fk : db.catalog->foreignKeyColumns) {
        if (fk.referencingTableName == "titles" && fk.referencedTableName == "publishers") {
          EXPECT_EQ(fk.referencingColumnName, "pub_id");
          EXPECT_EQ(fk.referencedColumnName, "pub_id");
          EXPECT_EQ(fk.ordinal, 1);
          EXPECT_EQ(fk.constraintName.rfind("FK__titles__pub_id__", 0), 0u) << fk.constraintName;
          found = true;
        }
      }
      EXPECT_TRUE(found);
      // roysched, discounts, titleauthor (2), sales (2), titles, pub_info, employee (2)
      EXPECT_EQ(db.catalog->foreignKeyColumns.size(), 10u);
    }
    if (name.rfind("904_surveyhub_", 0) == 0) {
      Opened db = OpenAndBuild(path);
      const ObjectRow* surveys = nullptr;
      for (const ObjectRow& object : db.catalog->objects)
        if (object.name == "surveys" && object.type == "U ") surveys = &object;
      ASSERT_NE(surveys, nullptr);
      int identities = 0;
      for (const ColumnRow& column : db.catalog->columns) {
        if (column.objectId != surveys->objectId || column.identityText.empty()) continue;
        ++identities;
        EXPECT_EQ(column.name, "Sur_id");
        EXPECT_EQ(column.identityText, "identity(1,1)");
      }
      EXPECT_EQ(identities, 1);
    }
  }
}

}  // namespace
}  // namespace brinehold
