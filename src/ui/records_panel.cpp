#include "ui/records_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>

#include "ui/pictures.h"
#include "ui/records_model.h"
#include "ui/ui_texts.h"

namespace brinehold::ui {

namespace {

QFont PanelFont(int weight) {
  QFont font("Arial");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(16);
  font.setWeight(static_cast<QFont::Weight>(weight));
  return font;
}

}  // namespace

CVantrelStatic::CVantrelStatic(QWidget* parent)
    : QWidget(parent), boldFont_(PanelFont(700)), normalFont_(PanelFont(400)) {
  setObjectName("recordsPanel");
  model_ = new RecordsModel(this);

  list_ = new QTableView(this);
  list_->setObjectName("recordsList");
  list_->setModel(model_);
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setWordWrap(false);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
  list_->horizontalHeader()->setFont(boldFont_);
  list_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  list_->horizontalHeader()->setHighlightSections(false);
  list_->setColumnWidth(0, model_->ColumnWidth(0));
  connect(model_, &QAbstractItemModel::columnsInserted, list_, [this](const QModelIndex&, int first, int last) {
    for (int column = first; column <= last; ++column) list_->setColumnWidth(column, model_->ColumnWidth(column));
  });

  status_ = new QPlainTextEdit(this);
  status_->setObjectName("statusLine");
  status_->setReadOnly(true);
  status_->setFont(normalFont_);
  status_->setLineWrapMode(QPlainTextEdit::NoWrap);

  previous_ = MakePagingButton(true);
  next_ = MakePagingButton(false);

  caption_ = new QLabel(this);
  caption_->setObjectName("pageCaption");
  caption_->setFont(normalFont_);
  caption_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  list_->hide();
  caption_->hide();
  previous_->hide();
  next_->hide();
}

QToolButton* CVantrelStatic::MakePagingButton(bool previous) {
  auto* button = new QToolButton(this);
  button->setObjectName(previous ? "previousRecords" : "nextRecords");
  button->setFont(normalFont_);
  button->setIcon(QIcon(PagingArrow(previous)));
  button->setIconSize(QSize(24, 24));
  button->setToolTip(previous ? kTipPreviousRecords : kTipNextRecords);
  button->setAutoRaise(false);
  connect(button, &QToolButton::clicked, this, [this, previous]() {
    const auto& handler = previous ? onPrevious : onNext;
    if (handler) handler();
  });
  return button;
}

void CVantrelStatic::Relayout() {
  const int cx = width(), cy = height();
  const bool strip = !leavesPagingStrip || leavesPagingStrip();
  status_->setGeometry(0, 0, cx, cy);
  list_->setGeometry(0, 0, cx, strip ? cy - 35 : cy);
  previous_->setGeometry(cx - 120, cy - 31, 50, 25);
  next_->setGeometry(cx - 65, cy - 31, 50, 25);
  caption_->setGeometry(10, cy - 31, 490, 25);
  caption_->setText(kPageCaptionOnResize);
}

void CVantrelStatic::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Relayout();
}

}  // namespace brinehold::ui
