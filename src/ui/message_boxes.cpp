#include "ui/message_boxes.h"

#include <QMessageBox>
#include <QString>

#include "ui/ui_texts.h"

namespace brinehold::ui {

namespace {

BoxAnswerer& Answerer() {
  static BoxAnswerer answerer;
  return answerer;
}

bool Show(QWidget* owner, BoxKind kind, QMessageBox::Icon icon, const std::string& text, bool yesNo) {
  if (Answerer()) return Answerer()(kind, text);
  QMessageBox box(icon, QString::fromUtf8(kApplicationTitle), QString::fromStdString(text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
  if (yesNo) box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

BoxAnswerer SetBoxAnswerer(BoxAnswerer answerer) {
  BoxAnswerer previous = std::move(Answerer());
  Answerer() = std::move(answerer);
  return previous;
}

void ShowInformation(QWidget* owner, const std::string& text) {
  Show(owner, BoxKind::Information, QMessageBox::Information, text, false);
}

void ShowError(QWidget* owner, const std::string& text) {
  Show(owner, BoxKind::Error, QMessageBox::Critical, text, false);
}

bool AskQuestion(QWidget* owner, const std::string& text) {
  return Show(owner, BoxKind::Question, QMessageBox::Question, text, true);
}

bool AskYesNo(QWidget* owner, const std::string& text) {
  return Show(owner, BoxKind::Question, QMessageBox::Information, text, true);
}

}  // namespace brinehold::ui
