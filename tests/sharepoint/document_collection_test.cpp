#include "sharepoint/document_collection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brinehold {
namespace {

struct Texts {
  std::string id;
  std::string leafName;
  std::string timeCreated;
  std::string timeLastModified;
};

// Identifiers and times are packed when they come back exactly; every
// other text is kept as it is. Each case must read back unchanged, the
// packed forms (upper-case GUIDs, times with up to 19 digits, leading
// zeros) and the ones that must not be packed alike.
TEST(DocumentCollection, EveryTextComesBackExactlyAsItWentIn) {
  const std::vector<Texts> cases = {
      {"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0", "Report.docx", "2020-01-06 10:04:00", "2020-01-16 10:05:00.123"},
      {"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0", "", "0001-01-01 00:00:00.000", "9999-12-31 23:59:59.9999999"},
      {"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}", "naïve résumé.txt", "", "NULL"},
      {"0F1E2D3C-4B5A-6978-8796+A5B4C3D2E1F0", std::string(300, 'x'), "12345678901234567890", "# 1"},
      {"", "a", "Jan  6 2020 10:04AM", std::string(70, '1')},
      {"00000000-0000-0000-0000-000000000000", "b", "0", "1234567890123456789"},
  };
  // Sizes at both ends of the range; sites, lists and webs that change in
  // different rhythms, so that a document's place is not always the last.
  const int64_t sizes[] = {-1, 0, 1, INT64_MIN, INT64_MAX, 5'000'000'000};
  auto webOf = [](size_t i) { return i % 3 ? "web" : "other web"; };
  DocumentCollection documents;
  for (size_t i = 0; i < cases.size(); ++i) {
    DocFields fields;
    fields.id = cases[i].id;
    fields.leafName = cases[i].leafName;
    fields.timeCreated = cases[i].timeCreated;
    fields.timeLastModified = cases[i].timeLastModified;
    fields.siteId = "site";
    fields.listId = i % 2 ? "list one" : "list two";
    fields.webId = webOf(i);
    fields.dirName = "sites/a/Shared Documents";
    fields.size = sizes[i];
    fields.type = static_cast<uint8_t>(i % 2);
    documents.push_back(fields);
  }
  ASSERT_EQ(documents.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    const DocRecord record = documents[i];
    EXPECT_EQ(record.id, cases[i].id) << i;
    EXPECT_EQ(record.leafName, cases[i].leafName) << i;
    EXPECT_EQ(record.timeCreated, cases[i].timeCreated) << i;
    EXPECT_EQ(record.timeLastModified, cases[i].timeLastModified) << i;
    EXPECT_EQ(record.listId, i % 2 ? "list one" : "list two") << i;
    EXPECT_EQ(record.size, sizes[i]) << i;
    EXPECT_EQ(record.webId, webOf(i)) << i;
    EXPECT_EQ(record.siteId, "site") << i;
    const DocPlace place = documents.Place(i);
    EXPECT_EQ(place.leafName, cases[i].leafName) << i;
    EXPECT_EQ(place.dirName, "sites/a/Shared Documents") << i;
    EXPECT_EQ(place.type, i % 2) << i;
    EXPECT_EQ(place.size, sizes[i]) << i;
    EXPECT_EQ(place.webId, webOf(i)) << i;
  }
  // Repeating texts are kept once: equal texts give the same view.
  EXPECT_EQ(documents.Place(0).dirName.data(), documents.Place(5).dirName.data());
  EXPECT_THROW(documents.at(cases.size()), std::out_of_range);
  documents.clear();
  EXPECT_TRUE(documents.empty());
  // Nothing of before the clear is taken again: not even the texts the
  // last document repeated.
  DocFields again;
  again.dirName = "sites/a/Shared Documents";
  again.timeCreated = "2021-02-03";
  documents.push_back(again);
  EXPECT_EQ(documents[0].dirName, "sites/a/Shared Documents");
  EXPECT_EQ(documents[0].timeCreated, "2021-02-03");
}

}  // namespace
}  // namespace brinehold
