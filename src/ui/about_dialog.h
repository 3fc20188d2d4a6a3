// CVantrelAboutDlg: the About box, modal, one instance for the program.
//
// A banner across the top, the product name in bold Arial, the rights
// notice, three links (the maker's web site, the support and the sales
// e-mail addresses, each with its tooltip), a rule and OK. Its title is the
// application title.
#pragma once

#include <QDialog>

namespace brinehold::ui {

class CVantrelAboutDlg : public QDialog {
 public:
  explicit CVantrelAboutDlg(QWidget* parent = nullptr);
};

}  // namespace brinehold::ui
