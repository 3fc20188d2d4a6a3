// The table listing over the records list: list pages of 1000 rows with
// their captions and buttons, paging forward and back without a row shown
// twice or skipped, the removal of empty rows, computed columns, Stop, and
// the choice of page source on synthetic files (allocation maps, page
// chain, inventory). Rows come from a stand-in for the renderer so that the
// paging rules are checked on exact row counts.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalog/database_catalog.h"
#include "session/app_state.h"
#include "session/headless_window.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "values/record_listing.h"
#include "writer/file_builder.h"
#include "writer/iam_builder.h"

namespace brinehold {
namespace {

using writer::DatabaseFileBuilder;

constexpr const char* kTable = "Customers";

ColumnInfo Column(int32_t id, const std::string& name, int32_t hobt, const std::string& text = {}) {
  ColumnInfo column;
  column.columnId = id;
  column.name = name;
  column.hobtColumnId = hobt;
  column.valueText = text;
  return column;
}

class RecordListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheApp().ResetForTests();
    SetColumns({Column(1, "Id", 1), Column(2, "Name", 2)});
    catalog_.tableSchema.found = true;
  }
  void TearDown() override { TheApp().ResetForTests(); }

  void SetColumns(std::vector<ColumnInfo> columns) {
    TableSchema& schema = catalog_.tableSchema;
    schema.columns = std::move(columns);
    schema.firstStoredColumn = 0;
    for (size_t i = 0; i < schema.columns.size(); ++i)
      if (schema.columns[i].hobtColumnId != ColumnInfo::kNoStoredValue) {
        schema.firstStoredColumn = i;
        break;
      }
  }

  // Inventory pages 1, 2, ... holding the given numbers of rows. Row i of
  // page n shows "n.i" in its first stored column and "v" in the others,
  // unless `texts` says otherwise.
  void UsePages(const std::vector<int>& rowsPerPage) {
    catalog_.tableSchema.tablePages.clear();
    for (size_t n = 1; n <= rowsPerPage.size(); ++n) {
      catalog_.tableSchema.tablePages.Add({1, static_cast<int32_t>(n)});
      rowsOnPage_[static_cast<int32_t>(n)] = rowsPerPage[n - 1];
    }
    listing_.pageRows = [this](PageAddress address, RowDecodingContext& context) {
      std::vector<RenderedRow> rows;
      if (onPage) onPage(address.pageNumber);
      auto found = rowsOnPage_.find(address.pageNumber);
      if (found == rowsOnPage_.end()) return rows;
      for (int i = 0; i < found->second; ++i) {
        RenderedRow row = context.columns;
        bool first = true;
        for (ColumnInfo& column : row) {
          if (column.hobtColumnId == ColumnInfo::kNoStoredValue) continue;
          column.valueText = first ? std::to_string(address.pageNumber) + "." + std::to_string(i) : "v";
          first = false;
        }
        if (texts) texts(address.pageNumber, i, row);
        rows.push_back(std::move(row));
      }
      return rows;
    };
  }

  // The expected first cells of rows `from` to `to` (1-based) in reading order.
  std::vector<std::string> Expected(int64_t from, int64_t to) const {
    std::vector<std::string> all;
    for (const auto& [page, count] : rowsOnPage_)
      for (int i = 0; i < count; ++i) all.push_back(std::to_string(page) + "." + std::to_string(i));
    return std::vector<std::string>(all.begin() + (from - 1), all.begin() + to);
  }

  // The first list page, as the table-listing worker shows it after a
  // click on the table (page sources from the inventory unless a test
  // gives a file).
  bool SelectTable(bool advanced = true) {
    listing_.ResetPagingCounters();
    TheApp().isRunning = 1;
    return listing_.ListLoadedTable(catalog_, kTable, advanced);
  }

  std::vector<std::string> FirstCells() const {
    std::vector<std::string> cells;
    for (const auto& item : window_.Snapshot().listItems) cells.push_back(item.texts.empty() ? "" : item.texts[0]);
    return cells;
  }
  std::string Caption() const { return window_.Snapshot().pageCaption; }
  bool NextEnabled() const { return window_.Snapshot().nextButton.enabled; }
  bool PreviousEnabled() const { return window_.Snapshot().previousButton.enabled; }
  bool Logged(const std::string& line) const {
    for (const std::string& row : window_.Snapshot().logList)
      if (row == line) return true;
    return false;
  }

  HeadlessWindow window_;
  CDatabaseCatalog catalog_{nullptr, nullptr};  // no file: rows come from the stand-in
  RecordListing listing_{window_};
  std::map<int32_t, int> rowsOnPage_;
  std::function<void(int32_t page)> onPage;
  std::function<void(int32_t page, int row, RenderedRow& texts)> texts;
};

TEST_F(RecordListingTest, ExactlyThousandRowsMakeOneListPageEvenWithEmptyPagesAfterThem) {
  // Ten pages of 100 rows, then two pages that give no rows: the thousandth
  // row ends the data, so no further list page is offered.
  UsePages({100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 0, 0});
  ASSERT_TRUE(SelectTable());
  HeadlessWindow::State state = window_.Snapshot();
  EXPECT_EQ(state.pageCaption, "Page1 - [1000](1-1000) Records");
  EXPECT_EQ(state.captionBar, "Customers[1000]");
  EXPECT_EQ(FirstCells(), Expected(1, 1000));
  EXPECT_FALSE(NextEnabled());
  EXPECT_FALSE(PreviousEnabled());
  EXPECT_TRUE(state.listVisible && state.pageCaptionVisible && state.nextButton.visible);
  EXPECT_FALSE(state.statusLineVisible);
  EXPECT_FALSE(state.progressVisible);
  EXPECT_EQ(listing_.positionStack.size(), 1u);
  EXPECT_FALSE(listing_.HasNextPage());
  ASSERT_GE(state.logList.size(), 3u);
  EXPECT_EQ(state.logList[state.logList.size() - 3], "0 rows to 1000");
  EXPECT_EQ(state.logList[state.logList.size() - 2], "Customers[1000]");
  EXPECT_EQ(state.logList.back(), "Scanning process completed.");
  EXPECT_EQ(TheApp().isRunning, 0);
  EXPECT_FALSE(TheApp().tableLoadActive);

  // Pressing Next anyway lists nothing.
  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(FirstCells(), Expected(1, 1000));
  EXPECT_EQ(TheApp().isRunning, 0);
}

TEST_F(RecordListingTest, ThousandAndOneRowsGiveASecondPageOfOneRow) {
  UsePages({500, 500, 1});
  ASSERT_TRUE(SelectTable());
  EXPECT_EQ(Caption(), "Page1 - [1000](1-1000) Records");
  EXPECT_TRUE(NextEnabled());
  ASSERT_EQ(listing_.positionStack.size(), 2u);
  EXPECT_EQ(listing_.positionStack[1], (PagePosition{2, 0}));
  EXPECT_EQ(listing_.resumePosition, (PagePosition{2, 0}));

  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(Caption(), "Page2 - [1](1001-1001) Records");
  EXPECT_EQ(window_.Snapshot().captionBar, "1000 rows to 1001");
  EXPECT_TRUE(Logged("1000 rows to 1001"));
  EXPECT_EQ(FirstCells(), Expected(1001, 1001));
  EXPECT_FALSE(NextEnabled());
  EXPECT_TRUE(PreviousEnabled());
  EXPECT_EQ(TheApp().isRunning, 0);
  EXPECT_FALSE(window_.Snapshot().progressVisible);
}

TEST_F(RecordListingTest, TwentyFiveHundredRowsForwardAndBackShowEveryRowOnce) {
  // The second list page starts at row 0 of page 3: a Next after going
  // back to the first page must still find it.
  UsePages({300, 450, 250, 600, 400, 500});
  ASSERT_TRUE(SelectTable());
  EXPECT_EQ(FirstCells(), Expected(1, 1000));
  EXPECT_EQ(listing_.positionStack.back(), (PagePosition{3, 0}));

  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(Caption(), "Page2 - [1000](1001-2000) Records");
  EXPECT_TRUE(Logged("1000 rows to 2000"));
  EXPECT_EQ(FirstCells(), Expected(1001, 2000));
  EXPECT_TRUE(NextEnabled());
  EXPECT_TRUE(PreviousEnabled());

  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(Caption(), "Page3 - [500](2001-2500) Records");
  EXPECT_EQ(FirstCells(), Expected(2001, 2500));
  EXPECT_FALSE(NextEnabled());

  listing_.ShowPreviousRecords(catalog_);
  EXPECT_EQ(Caption(), "Page2 - [1000](1001-2000) Records");
  EXPECT_EQ(FirstCells(), Expected(1001, 2000));
  EXPECT_TRUE(NextEnabled());
  EXPECT_TRUE(PreviousEnabled());

  listing_.ShowPreviousRecords(catalog_);
  EXPECT_EQ(Caption(), "Page1 - [1000](1-1000) Records");
  EXPECT_EQ(FirstCells(), Expected(1, 1000));
  EXPECT_FALSE(PreviousEnabled());
  EXPECT_TRUE(NextEnabled());

  // Previous on the first page changes nothing but the buttons.
  listing_.ShowPreviousRecords(catalog_);
  EXPECT_EQ(FirstCells(), Expected(1, 1000));
  EXPECT_FALSE(PreviousEnabled());

  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(Caption(), "Page2 - [1000](1001-2000) Records");
  EXPECT_EQ(FirstCells(), Expected(1001, 2000));
  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(Caption(), "Page3 - [500](2001-2500) Records");
  EXPECT_EQ(FirstCells(), Expected(2001, 2500));
  EXPECT_EQ(TheApp().isRunning, 0);
}

TEST_F(RecordListingTest, PreviousFromAFullLastPageShowsThePageBeforeIt) {
  UsePages({1000, 1000, 1000});
  ASSERT_TRUE(SelectTable());
  listing_.ShowNextRecords(catalog_);
  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(Caption(), "Page3 - [1000](2001-3000) Records");
  EXPECT_FALSE(NextEnabled());

  listing_.ShowPreviousRecords(catalog_);
  EXPECT_EQ(Caption(), "Page2 - [1000](1001-2000) Records");
  EXPECT_EQ(FirstCells(), Expected(1001, 2000));
  EXPECT_TRUE(NextEnabled());
  EXPECT_TRUE(PreviousEnabled());
  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(FirstCells(), Expected(2001, 3000));
}

TEST_F(RecordListingTest, PreviousFromASecondPageThatWasTheLastListsTheFirstAgain) {
  UsePages({700, 800});
  ASSERT_TRUE(SelectTable());
  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(Caption(), "Page2 - [500](1001-1500) Records");
  EXPECT_FALSE(NextEnabled());

  listing_.ShowPreviousRecords(catalog_);
  EXPECT_EQ(Caption(), "Page1 - [1000](1-1000) Records");
  EXPECT_TRUE(Logged("0 rows to 1000"));
  EXPECT_EQ(FirstCells(), Expected(1, 1000));
  EXPECT_FALSE(PreviousEnabled());
  EXPECT_TRUE(NextEnabled());
  EXPECT_EQ(listing_.nextMarker.stackSize, 2);

  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(Caption(), "Page2 - [500](1001-1500) Records");
  EXPECT_EQ(FirstCells(), Expected(1001, 1500));
}

TEST_F(RecordListingTest, RowsWithOnlyEmptyValuesAreRemovedButCountTowardTheLimit) {
  UsePages({600, 500});
  // Rows 0-9 of page 1: "NULL" and an empty name (removed). Row 10: "null"
  // in lower case (kept). Row 11: "NULL" with a name (kept). Row 12: an
  // empty first value and an empty name (removed).
  texts = [](int32_t page, int row, RenderedRow& cells) {
    if (page != 1) return;
    if (row < 10) cells = {Column(1, "Id", 1, "NULL"), Column(2, "Name", 2, "")};
    if (row == 10) cells = {Column(1, "Id", 1, "null"), Column(2, "Name", 2, "")};
    if (row == 11) cells = {Column(1, "Id", 1, "NULL"), Column(2, "Name", 2, "x")};
    if (row == 12) cells = {Column(1, "Id", 1, ""), Column(2, "Name", 2, "")};
  };
  ASSERT_TRUE(SelectTable());
  std::vector<std::string> cells = FirstCells();
  ASSERT_EQ(cells.size(), 989u);
  EXPECT_EQ(cells[0], "null");
  EXPECT_EQ(cells[1], "NULL");
  EXPECT_EQ(cells[2], "1.13");
  EXPECT_EQ(listing_.itemCounter, 1000);
  // The caption counts the rows in the list.
  EXPECT_EQ(Caption(), "Page1 - [989](1-989) Records");
  EXPECT_TRUE(Logged("0 rows to 1000"));
  EXPECT_EQ(window_.Snapshot().captionBar, "Customers[989]");
  // The 1001st row processed starts the next page.
  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(FirstCells(), Expected(1001, 1100));
}

TEST_F(RecordListingTest, ComputedColumnGetsNoListColumnAndNoCell) {
  SetColumns({Column(1, "Twice", ColumnInfo::kNoStoredValue, "([Id]*(2))"), Column(2, "Id", 1),
              Column(3, "Half", ColumnInfo::kNoStoredValue, "([Id]/(2))"), Column(4, "Name", 2)});
  UsePages({3});
  ASSERT_TRUE(SelectTable());
  HeadlessWindow::State state = window_.Snapshot();
  ASSERT_EQ(state.listColumns.size(), 3u);  // and the panel's untitled column
  EXPECT_EQ(state.listColumns[0].heading, "Id");
  EXPECT_EQ(state.listColumns[1].heading, "Name");
  EXPECT_EQ(state.listColumns[1].width, 200);
  ASSERT_EQ(state.listItems.size(), 3u);
  EXPECT_EQ(state.listItems[0].texts, (std::vector<std::string>{"1.0", "v"}));
}

TEST_F(RecordListingTest, StopDuringTheFirstPageKeepsTheRowsListedAndClearsTheRequest) {
  UsePages({100, 100, 100, 100, 100});
  onPage = [](int32_t page) {
    if (page == 3) TheApp().stopRequested = true;
  };
  ASSERT_TRUE(SelectTable());
  EXPECT_EQ(FirstCells(), Expected(1, 200));
  EXPECT_EQ(Caption(), "Page1 - [200](1-200) Records");
  EXPECT_TRUE(Logged("0 rows to 200"));
  EXPECT_FALSE(TheApp().stopRequested);
  EXPECT_FALSE(TheApp().tableLoadActive);
  EXPECT_FALSE(NextEnabled());
}

TEST_F(RecordListingTest, StopDuringANextPageLeavesTheOtherPagesWhole) {
  UsePages({1000, 1000, 1000});
  ASSERT_TRUE(SelectTable());
  onPage = [](int32_t page) {
    if (page == 2) TheApp().isRunning = 0;  // what Stop does besides the request
  };
  listing_.ShowNextRecords(catalog_);
  EXPECT_TRUE(FirstCells().empty());
  EXPECT_EQ(TheApp().isRunning, 0);
  onPage = nullptr;
  listing_.ShowPreviousRecords(catalog_);
  EXPECT_EQ(FirstCells(), Expected(1, 1000));
  listing_.ShowNextRecords(catalog_);
  EXPECT_EQ(FirstCells(), Expected(1001, 2000));
  EXPECT_EQ(Caption(), "Page2 - [1000](1001-2000) Records");
}

// Page sources on a synthetic file; the stand-in gives rows for the page
// numbers in rowsOnPage_ only.
class RecordListingSourceTest : public RecordListingTest {
 protected:
  void Open(DatabaseFileBuilder& builder) {
    const std::string path = dir_.Path("listing.mdf");
    ASSERT_TRUE(builder.WriteTo(path));
    file_ = OpenDataFile(path, false, &fileWindow_);
    ASSERT_TRUE(file_->IsValid());
    catalog_.dataFile = file_.get();
  }
  // Data pages the inventory files under the table: their headers name
  // its object id.
  void InventoryPages(DatabaseFileBuilder& builder, const std::vector<uint32_t>& pages) {
    constexpr int32_t kTableId = 4300;
    catalog_.tableSchema.currentObject.objectId = kTableId;
    for (uint32_t page : pages) builder.Page(page, 1, kTableId);
  }
  void Unit(int32_t indexId, PageAddress firstPage, PageAddress firstIam) {
    catalog_.tableSchema.currentRowset.indexId = indexId;
    catalog_.tableSchema.currentAllocationUnit.firstPage = firstPage;
    catalog_.tableSchema.currentAllocationUnit.firstIamPage = firstIam;
  }
  std::vector<int32_t> PageNumbers() {
    std::vector<int32_t> numbers;
    for (const PageAddress& page : listing_.pageList.All()) numbers.push_back(page.pageNumber);
    return numbers;
  }
  static writer::IamLayout Iam(std::vector<PageAddress> singles) {
    writer::IamLayout blueprint;
    blueprint.owner = 4242;
    blueprint.singlePages = std::move(singles);
    return blueprint;
  }

  test::TempDir dir_;
  HeadlessWindow fileWindow_;
  std::unique_ptr<CDataFile> file_;
};

TEST_F(RecordListingSourceTest, HeapWhoseAllocationMapsGiveNoRowsIsReadAlongItsPageChain) {
  DatabaseFileBuilder builder(64);
  writer::AddIamPage(builder, 20, Iam({{1, 30}}));
  builder.Page(30, 1, 4242);
  builder.Page(40, 1, 4242).SetNext({1, 41});
  builder.Page(41, 1, 4242).SetNext({1, 42});
  builder.Page(42, 1, 4242).SetNext({1, 40});  // damaged: back to the start
  Open(builder);
  UsePages({});
  rowsOnPage_ = {{40, 2}, {41, 3}, {42, 1}};
  Unit(0, {1, 40}, {1, 20});
  ASSERT_TRUE(SelectTable(false));
  EXPECT_EQ(PageNumbers(), (std::vector<int32_t>{40, 41, 42}));
  EXPECT_EQ(FirstCells(), (std::vector<std::string>{"40.0", "40.1", "41.0", "41.1", "41.2", "42.0"}));
  EXPECT_EQ(Caption(), "Page1 - [6](1-6) Records");
}

TEST_F(RecordListingSourceTest, HeapWithRowsOnItsAllocationMapPagesKeepsThem) {
  DatabaseFileBuilder builder(64);
  writer::AddIamPage(builder, 20, Iam({{1, 30}, {1, 31}}));
  builder.Page(30, 1, 4242);
  builder.Page(31, 1, 4242);
  builder.Page(40, 1, 4242);
  Open(builder);
  UsePages({});
  rowsOnPage_ = {{30, 1}, {31, 1}, {40, 5}};
  Unit(0, {1, 40}, {1, 20});
  ASSERT_TRUE(SelectTable(false));
  EXPECT_EQ(PageNumbers(), (std::vector<int32_t>{30, 31}));
  EXPECT_EQ(FirstCells(), (std::vector<std::string>{"30.0", "31.0"}));
}

TEST_F(RecordListingSourceTest, FirstIamPageZeroReadsTheInventoryAndAdvancedModeAlways) {
  DatabaseFileBuilder builder(64);
  writer::AddIamPage(builder, 20, Iam({{1, 30}}));
  builder.Page(30, 1, 4242);
  InventoryPages(builder, {50, 51});
  Open(builder);
  UsePages({});
  rowsOnPage_ = {{30, 1}, {50, 2}, {51, 1}};
  catalog_.tableSchema.tablePages = {{1, 50}, {0, 0}, {1, 51}};

  Unit(1, {1, 30}, {1, 0});
  ASSERT_TRUE(SelectTable(false));
  EXPECT_EQ(PageNumbers(), (std::vector<int32_t>{50, 51}));
  EXPECT_EQ(FirstCells(), (std::vector<std::string>{"50.0", "50.1", "51.0"}));

  // Intact allocation maps, and Advanced mode still reads the inventory.
  Unit(1, {1, 30}, {1, 20});
  ASSERT_TRUE(SelectTable(false));
  EXPECT_EQ(PageNumbers(), (std::vector<int32_t>{30}));
  ASSERT_TRUE(SelectTable(true));
  EXPECT_EQ(PageNumbers(), (std::vector<int32_t>{50, 51}));
  EXPECT_EQ(Caption(), "Page1 - [3](1-3) Records");
}

TEST_F(RecordListingSourceTest, TableWithoutAPageSourceShowsAnEmptyPageAndNoStalePaging) {
  DatabaseFileBuilder builder(64);
  InventoryPages(builder, {50});
  Open(builder);
  UsePages({});
  rowsOnPage_ = {{50, 1500}};
  catalog_.tableSchema.tablePages = {{1, 50}};
  Unit(1, {1, 30}, {1, 0});
  ASSERT_TRUE(SelectTable(false));
  EXPECT_TRUE(NextEnabled());

  // A clustered table whose first IAM page lies beyond the file, and no
  // page of its own in the inventory to recover it from.
  catalog_.tableSchema.tablePages.clear();
  Unit(1, {1, 30}, {1, 9999});
  ASSERT_TRUE(SelectTable(false));
  EXPECT_EQ(Caption(), "Page1 - [0](0-0) Records");
  EXPECT_TRUE(FirstCells().empty());
  EXPECT_TRUE(listing_.pageList.empty());
  EXPECT_FALSE(NextEnabled());
  EXPECT_FALSE(listing_.HasNextPage());
}

// The records panel kept by the headless window.
TEST(RecordsPanelTest, ListColumnsAndItemsFollowTheListControlRules) {
  HeadlessWindow window;
  HeadlessWindow::State state = window.Snapshot();
  ASSERT_EQ(state.listColumns.size(), 1u);
  EXPECT_EQ(state.listColumns[0].width, 1500);
  EXPECT_TRUE(state.statusLineVisible);
  EXPECT_FALSE(state.listVisible);

  window.InsertListColumn(0, "A", 200);
  window.InsertListColumn(7, "B", 200);  // past the end: appended
  window.DeleteListColumn(5);            // no such column
  state = window.Snapshot();
  ASSERT_EQ(state.listColumns.size(), 3u);
  EXPECT_EQ(state.listColumns[0].heading, "A");
  EXPECT_EQ(state.listColumns[2].heading, "B");

  EXPECT_EQ(window.InsertListItem(0, "one"), 0);
  EXPECT_EQ(window.InsertListItem(9, "three"), 1);
  EXPECT_EQ(window.InsertListItem(1, "two"), 1);
  window.SetListSubItem(1, 2, "x");
  window.SetListSubItem(5, 1, "ignored");
  window.SelectListItem(0);
  window.SelectListItem(2);
  window.DeleteSelectedListItems();
  state = window.Snapshot();
  ASSERT_EQ(state.listItems.size(), 1u);
  EXPECT_EQ(state.listItems[0].texts, (std::vector<std::string>{"two", "", "x"}));
  EXPECT_EQ(window.ListItemCount(), 1);

  window.LogLine("first");
  window.ReplaceLastLogLine(" row 1 inserted");
  window.SetProgressRange(5, 9);
  window.SetProgressPosition(7);
  window.EnablePagingButton(WindowPort::PagingButton::Next, false);
  state = window.Snapshot();
  EXPECT_EQ(state.logList, (std::vector<std::string>{" row 1 inserted"}));
  EXPECT_EQ(state.progressLow, 5);
  EXPECT_EQ(state.progressHigh, 9);
  EXPECT_EQ(state.progressPos, 7);
  EXPECT_FALSE(state.nextButton.enabled);
  EXPECT_TRUE(state.previousButton.enabled);
  window.DeleteAllListItems();
  EXPECT_EQ(window.ListItemCount(), 0);
}

}  // namespace
}  // namespace brinehold
