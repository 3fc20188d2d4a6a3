// The object tree and the definition pane on the real files: every view,
// procedure, function and trigger a creation script makes reads back as the
// script wrote it (syscomments in the SQL Server 2000 file, sysobjvalues in
// the later ones), and a real table opens with its key marks, constraints
// and references.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "catalog/database_catalog.h"
#include "scan/object_tree_stage.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "support/corpus.h"
#include "support/create_table_script.h"
#include "support/module_script.h"
#include "values/selection_text.h"

namespace brinehold {
namespace {

struct OpenedTree {
  HeadlessWindow window;
  std::unique_ptr<CDataFile> file;
  std::unique_ptr<CDatabaseCatalog> catalog;
  std::unique_ptr<ObjectTreeStage> stage;
};

std::unique_ptr<OpenedTree> OpenTree(const std::string& path) {
  TheApp().ResetForTests();
  auto opened = std::make_unique<OpenedTree>();
  opened->file = OpenDataFile(path, false, nullptr);
  if (!opened->file || !opened->file->IsValid()) return nullptr;
  opened->catalog = BuildCatalog(*opened->file);
  opened->stage = std::make_unique<ObjectTreeStage>(opened->window);
  opened->stage->BuildSkeleton(path);
  if (!opened->stage->Finish(*opened->catalog)) return nullptr;
  return opened;
}

std::string PaneText(OpenedTree& tree, const ObjectRow& object) {
  ObjectTreeStage& stage = *tree.stage;
  const TreeItem item = stage.tree.FindObjectItem(*tree.catalog, object, stage.definitions.scanObjectValues);
  if (item == kNoTreeItem) return "<no item>";
  return SelectionText(*tree.catalog, stage.tree, stage.definitions, item).value_or("<no text>");
}

TEST(ObjectTreeCorpus, ModulesReadBackAsTheirScriptsWroteThem) {
  const auto dataFiles = test::CorpusDataFiles();
  BRINEHOLD_REQUIRE_CORPUS(dataFiles);
  int compared = 0;
  test::ForEachScriptedCorpusFile([&](const std::string& mdf, const std::map<std::string, std::string>& batches) {
    SCOPED_TRACE(mdf);
    auto tree = OpenTree(mdf);
    ASSERT_NE(tree, nullptr);
    for (const auto& [name, text] : batches) {
      SCOPED_TRACE(name);
      const ObjectRow* object = nullptr;
      for (const ObjectRow& row : tree->catalog->objects) {
        if (row.name == name && (row.type == "V " || row.type == "P " || row.type == "TR" || row.type == "FN" ||
                                 row.type == "IF" || row.type == "TF"))
          object = &row;
      }
      ASSERT_NE(object, nullptr) << "not in the catalog";
      EXPECT_EQ(test::ComparableModule(PaneText(*tree, *object)), test::ComparableModule(text));
      ++compared;
    }
  });
  EXPECT_GT(compared, 30) << "the corpus's scripts create views, procedures and triggers";
}

// pubs (SQL Server 2005): the tree's folders and one opened table, whose
// key, unique, check and foreign-key items give statements naming its
// columns.
TEST(ObjectTreeCorpus, PubsTreeAndKeyStatements) {
  const std::string path = test::CorpusDir() + "/655_pubs_88006367.mdf";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "corpus not found at " << test::CorpusDir();
  auto tree = OpenTree(path);
  ASSERT_NE(tree, nullptr);
  CObjectTree& objectTree = tree->stage->tree;
  const CObjectTree::Nodes& nodes = objectTree.nodes();
  const TreeItem employee = objectTree.FindChild(nodes.userTables, "employee");
  ASSERT_NE(employee, kNoTreeItem);
  EXPECT_TRUE(objectTree.OpenTable(*tree->catalog, employee, tree->stage->definitions.scanObjectValues));
  EXPECT_FALSE(objectTree.OpenTable(*tree->catalog, employee, tree->stage->definitions.scanObjectValues))
      << "a table opens once";

  const std::string printed = tree->window.PrintTree(TreeId::Object);
  for (const char* line : {"\n  Views\n    titleview\n  Programmability\n    Triggers\n      employee_insupd\n",
                           "\n    Store Procedure\n      byroyalty\n      reptq1\n      reptq2\n      reptq3\n"
                           "    Function\n  Tables\n    System Tables\n",
                           "\n      *employee\n        ForeignKey\n", "\n        PrimaryKey\n          PK_emp_id\n"
                           "        Columns\n          emp_id  char(9)[Primary Key]\n",
                           "\n          job_id  smallint(2)  (foreign key) references jobs( job_id)\n"}) {
    EXPECT_NE(printed.find(line), std::string::npos) << line;
  }

  auto pane = [&](const char* name) {
    for (const ObjectRow& row : tree->catalog->objects)
      if (row.name == name) return PaneText(*tree, row);
    return std::string("<not in the catalog>");
  };
  EXPECT_EQ(pane("PK_emp_id"), "ALTER TABLE employee ADD PRIMARY KEY ( emp_id )");
  EXPECT_EQ(pane("UPKCL_taind"), "ALTER TABLE titleauthor ADD PRIMARY KEY ( au_id , title_id )");
  EXPECT_EQ(pane("CK_emp_id").rfind("ALTER TABLE  [dbo].[employee] WITH NOCHECK ADD CONSTRAINT[CK_emp_id] CHECK "
                                    "([emp_id] like '[A-Z][A-Z][A-Z][1-9][0-9][0-9][0-9][0-9][FM]'", 0),
            0u);
  EXPECT_EQ(pane("DF__employee__hire_d__29572725"), "(getdate())") << "under Default: the bare definition";
}

}  // namespace
}  // namespace brinehold
