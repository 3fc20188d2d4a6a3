// CommandBar: the command bar under the title, a tabbed tool bar in the
// manner of a ribbon: an application button, one category "Brinehold", and
// its panels of large buttons with their captions and tooltips:
//   (untitled)          Open 313, Stop 314, Save 315
//   "Table Records"     Save Records 341
//   "Recovery SnapShot" Load 342, Save 343
//   "About"             Help 319, About 320
// The numbers are the command ids support and the documentation use.
#pragma once

#include <QTabWidget>
#include <map>

class QToolButton;

namespace brinehold::ui {

enum CommandId : int {
  ID_STATUS_LINK = 310,
  ID_OPEN = 313,
  ID_STOP = 314,
  ID_SAVE = 315,
  ID_HELP = 319,
  ID_ABOUT = 320,
  ID_PROGRESS_BAR = 324,
  ID_SAVE_RECORDS = 341,
  ID_LOAD_SNAPSHOT = 342,
  ID_SAVE_SNAPSHOT = 343,
};

class CommandBar : public QTabWidget {
 public:
  explicit CommandBar(QWidget* parent = nullptr);
  QToolButton* Button(CommandId id) const;
  QToolButton* ApplicationButton() const { return applicationButton_; }

 private:
  std::map<int, QToolButton*> buttons_;
  QToolButton* applicationButton_ = nullptr;
};

}  // namespace brinehold::ui
