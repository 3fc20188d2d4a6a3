// Message boxes of the desktop application.
//
// Every box carries the application title; information boxes have the
// information icon, failure boxes the error icon and questions Yes/No.
// Called on the window thread only (workers reach them through the window
// port).
//
// Tests answer boxes without showing them: with an answerer installed,
// each box is passed to it (its kind and text) instead of being shown, and
// a question takes the answerer's reply.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace brinehold::ui {

enum class BoxKind { Information, Error, Question };

using BoxAnswerer = std::function<bool(BoxKind kind, const std::string& text)>;

// Installs `answerer` (empty: boxes are shown again); returns the previous one.
BoxAnswerer SetBoxAnswerer(BoxAnswerer answerer);

void ShowInformation(QWidget* owner, const std::string& text);
void ShowError(QWidget* owner, const std::string& text);
// Yes/No with the question icon; true for Yes.
bool AskQuestion(QWidget* owner, const std::string& text);
// Yes/No with the information icon (the Stop command's question).
bool AskYesNo(QWidget* owner, const std::string& text);

}  // namespace brinehold::ui
