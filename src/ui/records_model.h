// RecordsModel: the rows of the records list as a table model.
//
// The list is a report-style list driven by the table listing and the
// document view: columns with a heading and a width, rows whose first text
// is column 0 followed by subitem texts. A view shows only the rows on
// screen, so a page of 1000 rows by 50 columns costs one string per cell
// and no widgets. A new model holds one untitled column 1500 wide, as the
// panel creates its list. Window thread only.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <vector>

namespace brinehold::ui {

class RecordsModel : public QAbstractTableModel {
 public:
  struct Column {
    QString heading;
    int width = 0;
  };

  explicit RecordsModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Index clamped to [0, column count].
  void InsertColumn(int index, const QString& heading, int width);
  // Out of range: nothing happens.
  void DeleteColumn(int index);
  // Inserts at `index` (negative or past the end: at the end); returns the
  // new row's index.
  int InsertRow(int index, const QString& text);
  void SetCell(int row, int column, const QString& text);
  void DeleteRows(const std::vector<int>& rows);
  void DeleteAllRows();

  int ColumnWidth(int column) const;
  const QStringList& RowTexts(int row) const { return rows_[static_cast<size_t>(row)]; }

 private:
  std::vector<Column> columns_;
  std::vector<QStringList> rows_;
};

}  // namespace brinehold::ui
