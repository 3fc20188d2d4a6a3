#include "ui/records_model.h"

#include <QColor>
#include <QFont>
#include <algorithm>

#include "ui/ui_texts.h"

namespace brinehold::ui {

RecordsModel::RecordsModel(QObject* parent) : QAbstractTableModel(parent), columns_{{QString(), 1500}} {}

int RecordsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RecordsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

namespace {

// Drawn for a zero character, which would otherwise show as nothing.
constexpr char16_t kZeroSymbol = u'\u2400';

QString Visible(QString text) { return text.replace(QChar(u'\0'), QChar(kZeroSymbol)); }

}  // namespace

QVariant RecordsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Row& row = rows_[static_cast<size_t>(index.row())];
  const QString text = index.column() < row.texts.size() ? row.texts[index.column()] : QString();
  switch (role) {
    case Qt::DisplayRole:
      return Visible(text);
    case Qt::ToolTipRole: {
      QString tip = Visible(text);
      if (!row.mark.deleted.isEmpty()) tip += QString("\n") + kTipDeletedRow + row.mark.deleted;
      if (!row.mark.damage.isEmpty()) tip += QString("\n") + kTipDamagedPage + row.mark.damage;
      return tip;
    }
    default:
      return MarkData(row.mark, role);
  }
}

QVariant RecordsModel::MarkData(const RowMark& mark, int role) const {
  if (role == Qt::ForegroundRole && !mark.deleted.isEmpty()) return QColor(128, 128, 128);
  if (role == Qt::FontRole && !mark.deleted.isEmpty()) {
    QFont font;
    font.setItalic(true);
    return font;
  }
  if (role == Qt::BackgroundRole && !mark.damage.isEmpty()) return QColor(255, 232, 224);
  return {};
}

QVariant RecordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || static_cast<size_t>(section) >= columns_.size()) return {};
  return columns_[static_cast<size_t>(section)].heading;
}

void RecordsModel::InsertColumn(int index, const QString& heading, int width) {
  const int at = std::clamp(index, 0, static_cast<int>(columns_.size()));
  beginInsertColumns({}, at, at);
  columns_.insert(columns_.begin() + at, Column{heading, width});
  // Subitem texts stay with their column numbers, as in a report list:
  // a row keeps its texts by position.
  endInsertColumns();
}

void RecordsModel::DeleteColumn(int index) {
  if (index < 0 || static_cast<size_t>(index) >= columns_.size()) return;
  beginRemoveColumns({}, index, index);
  columns_.erase(columns_.begin() + index);
  for (Row& row : rows_)
    if (index < row.texts.size()) row.texts.removeAt(index);
  endRemoveColumns();
}

int RecordsModel::InsertRow(int index, const QString& text) {
  const int count = static_cast<int>(rows_.size());
  const int at = (index < 0 || index > count) ? count : index;
  beginInsertRows({}, at, at);
  rows_.insert(rows_.begin() + at, Row{QStringList{text}, {}});
  endInsertRows();
  return at;
}

void RecordsModel::SetCell(int row, int column, const QString& text) {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size() || column < 0) return;
  QStringList& texts = rows_[static_cast<size_t>(row)].texts;
  while (texts.size() <= column) texts.append(QString());
  texts[column] = text;
  if (static_cast<size_t>(column) < columns_.size()) emit dataChanged(index(row, column), index(row, column));
}

void RecordsModel::SetRowMark(int row, RowMark mark) {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
  rows_[static_cast<size_t>(row)].mark = std::move(mark);
  if (!columns_.empty()) emit dataChanged(index(row, 0), index(row, static_cast<int>(columns_.size()) - 1));
}

void RecordsModel::DeleteRows(const std::vector<int>& rows) {
  std::vector<int> sorted = rows;
  std::sort(sorted.rbegin(), sorted.rend());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  for (int row : sorted) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) continue;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
  }
}

void RecordsModel::DeleteAllRows() {
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int RecordsModel::ColumnWidth(int column) const {
  if (column < 0 || static_cast<size_t>(column) >= columns_.size()) return 0;
  return columns_[static_cast<size_t>(column)].width;
}

}  // namespace brinehold::ui
