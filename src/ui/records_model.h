// RecordsModel: the rows of the records list as a table model.
//
// The list is a report-style list driven by the table listing and the
// document view: columns with a heading and a width, rows whose first text
// is column 0 followed by subitem texts. A view shows only the rows on
// screen, so a page of 1000 rows by 50 columns costs one string per cell
// and no widgets. A new model holds one untitled column 1500 wide, as the
// panel creates its list. Window thread only.
//
// What the user sees differs from what is stored in two ways, so that
// nothing is taken for what it is not: a row marked deleted is drawn grey
// and italic, a row from a page that failed verification on a tinted
// ground, each with its mark in the tooltip; a zero character inside a
// value is drawn as the visible symbol U+2400. RowTexts keeps the texts as
// stored.
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

  // How a row differs from a live row of a sound page; empty: it doesn't.
  struct RowMark {
    QString deleted;  // "ghost", "carved", ...
    QString damage;   // the failed verification of the row's page
    bool operator==(const RowMark&) const = default;
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
  // Out of range: nothing happens.
  void SetRowMark(int row, RowMark mark);
  void DeleteRows(const std::vector<int>& rows);
  void DeleteAllRows();

  int ColumnWidth(int column) const;
  const QStringList& RowTexts(int row) const { return rows_[static_cast<size_t>(row)].texts; }
  const RowMark& Mark(int row) const { return rows_[static_cast<size_t>(row)].mark; }

 private:
  struct Row {
    QStringList texts;
    RowMark mark;
  };
  QVariant MarkData(const RowMark& mark, int role) const;

  std::vector<Column> columns_;
  std::vector<Row> rows_;
};

}  // namespace brinehold::ui
