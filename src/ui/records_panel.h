// CVantrelStatic: the records panel that fills the main view.
//
// Holds the records list (a table view over RecordsModel: grid lines,
// full-row selection, columns as wide as the listing asks), the read-only
// status line, the page caption and the Previous Records / Next Records
// buttons. It only creates and places them and turns button clicks into
// onPrevious / onNext; which controls are shown, enabled or filled is decided
// by the listing, the document view and the scan layout through the main
// window. At creation only the status line is shown.
//
// Layout on every resize (client size cx x cy): the status line fills the
// panel; the list fills it too, leaving a 35-pixel strip at the bottom in a
// Completed Database Recovery scan; the caption sits at (10, cy - 31) and
// the buttons at (cx - 120, cy - 31) and (cx - 65, cy - 31). Every resize
// sets the caption to "page" until the next listing writes it again.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QTableView;
class QToolButton;

namespace brinehold::ui {

class RecordsModel;

class CVantrelStatic : public QWidget {
 public:
  explicit CVantrelStatic(QWidget* parent = nullptr);

  RecordsModel& Model() { return *model_; }
  QTableView* RecordsList() const { return list_; }
  QPlainTextEdit* StatusLine() const { return status_; }
  QLabel* PageCaption() const { return caption_; }
  QToolButton* PreviousButton() const { return previous_; }
  QToolButton* NextButton() const { return next_; }

  // True when the scan type leaves the strip for the caption and buttons.
  std::function<bool()> leavesPagingStrip;
  std::function<void()> onPrevious;
  std::function<void()> onNext;

  void Relayout();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* MakePagingButton(bool previous);

  QFont boldFont_;
  QFont normalFont_;
  RecordsModel* model_ = nullptr;
  QTableView* list_ = nullptr;
  QPlainTextEdit* status_ = nullptr;
  QToolButton* previous_ = nullptr;
  QToolButton* next_ = nullptr;
  QLabel* caption_ = nullptr;
};

}  // namespace brinehold::ui
