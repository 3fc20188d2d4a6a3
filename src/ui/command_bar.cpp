#include "ui/command_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <initializer_list>

#include "ui/pictures.h"
#include "ui/ui_texts.h"

namespace brinehold::ui {

namespace {

struct ButtonLayout {
  CommandId id;
  const char* caption;
  const char* tooltip;
  CommandPicture picture;
};

struct PanelLayout {
  const char* title;
  std::initializer_list<ButtonLayout> buttons;
};

const PanelLayout kPanels[] = {
    {"",
     {{ID_OPEN, "Open", "Open Database file", CommandPicture::Open},
      {ID_STOP, "Stop", "Stop running process", CommandPicture::Stop},
      {ID_SAVE, "Save", "Save recovered data", CommandPicture::Save}}},
    {"Table Records", {{ID_SAVE_RECORDS, "Save Records", "Save table records in CSV", CommandPicture::SaveRecords}}},
    {"Recovery SnapShot",
     {{ID_LOAD_SNAPSHOT, "Load", "Load Snapshot", CommandPicture::LoadSnapshot},
      {ID_SAVE_SNAPSHOT, "Save", "Save Snapshot", CommandPicture::SaveSnapshot}}},
    {"About",
     {{ID_HELP, "Help", "Help for Vantrel Brinehold", CommandPicture::Help},
      {ID_ABOUT, "About", "About Vantrel Brinehold", CommandPicture::About}}},
};

QWidget* Separator(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::VLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

}  // namespace

CommandBar::CommandBar(QWidget* parent) : QTabWidget(parent) {
  setObjectName("commandBar");
  setDocumentMode(true);
  auto* category = new QWidget(this);
  auto* row = new QHBoxLayout(category);
  row->setContentsMargins(6, 4, 6, 2);
  row->setSpacing(6);
  bool first = true;
  for (const PanelLayout& panel : kPanels) {
    if (!first) row->addWidget(Separator(category));
    first = false;
    auto* box = new QWidget(category);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (const ButtonLayout& layout : panel.buttons) {
      auto* button = new QToolButton(box);
      button->setObjectName(QString("command%1").arg(layout.id));
      button->setText(layout.caption);
      button->setToolTip(layout.tooltip);
      button->setIcon(QIcon(CommandImage(layout.picture, 32)));
      button->setIconSize(QSize(32, 32));
      button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
      button->setAutoRaise(true);
      button->setMinimumWidth(58);
      buttons->addWidget(button);
      buttons_[layout.id] = button;
    }
    column->addLayout(buttons);
    auto* title = new QLabel(panel.title, box);
    title->setAlignment(Qt::AlignCenter);
    title->setEnabled(false);
    column->addWidget(title);
    row->addWidget(box);
  }
  row->addStretch();
  addTab(category, kCategoryName);

  applicationButton_ = new QToolButton(this);
  applicationButton_->setObjectName("applicationButton");
  applicationButton_->setIcon(QIcon(ApplicationPicture(42)));
  applicationButton_->setIconSize(QSize(26, 26));
  applicationButton_->setAutoRaise(true);
  applicationButton_->setPopupMode(QToolButton::InstantPopup);
  applicationButton_->setToolTip(kProductName);
  setCornerWidget(applicationButton_, Qt::TopLeftCorner);
  setFixedHeight(sizeHint().height());
}

QToolButton* CommandBar::Button(CommandId id) const {
  auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

}  // namespace brinehold::ui
