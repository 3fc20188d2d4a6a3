// The main window's panes and view.
//
// CFileView: the left dock "Sharepoint Database Objects", holding the
// object tree and the document tree at the same place; only one is shown
// (the document tree is hidden at start).
// COutputWnd: the bottom dock "Output", holding the log list.
// CVantrelListCtrl: the log list; it shows no context menu.
// CHalvardView: the frame's view, keeping the records panel sized to it.
#pragma once

#include <QDockWidget>
#include <QListWidget>

#include "ui/check_tree.h"
#include "ui/records_panel.h"

namespace brinehold::ui {

class CFileView : public QDockWidget {
 public:
  explicit CFileView(QWidget* parent = nullptr);

  CXHtmlTree* ObjectTree() const { return objectTree_; }
  CXHtmlTree* DocumentTree() const { return documentTree_; }
  // Shows the document tree (true) or the object tree.
  void ShowDocumentTree(bool documents);

 private:
  CXHtmlTree* objectTree_ = nullptr;
  CXHtmlTree* documentTree_ = nullptr;
};

class CVantrelListCtrl : public QListWidget {
 public:
  explicit CVantrelListCtrl(QWidget* parent = nullptr);
};

class COutputWnd : public QDockWidget {
 public:
  explicit COutputWnd(QWidget* parent = nullptr);
  CVantrelListCtrl* LogList() const { return logList_; }

 private:
  CVantrelListCtrl* logList_ = nullptr;
};

class CHalvardView : public QWidget {
 public:
  explicit CHalvardView(QWidget* parent = nullptr);
  CVantrelStatic* Panel() const { return panel_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  CVantrelStatic* panel_ = nullptr;
};

}  // namespace brinehold::ui
