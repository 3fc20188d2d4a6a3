#include "ui/panes.h"

#include <QResizeEvent>
#include <QStackedLayout>

#include "ui/ui_texts.h"

namespace brinehold::ui {

namespace {

// The object tree's folders, empty or not: its root; the nodes below it
// (Views, Programmability, Tables); theirs (Function, Default, User
// Tables, ...), told from the views beside them by their data, 0 for a
// fixed node and 1 for an object; and the nodes an opened table gets
// (Columns, PrimaryKey, Constraint, Unique, ForeignKey). Tables sit at
// depth 3, columns and constraints at 5.
bool IsObjectTreeFolder(const QModelIndex& item, int64_t data) {
  int depth = 0;
  for (QModelIndex parent = item.parent(); parent.isValid(); parent = parent.parent()) ++depth;
  return depth <= 1 || (depth == 2 && data == 0) || depth == 4;
}

}  // namespace

CFileView::CFileView(QWidget* parent) : QDockWidget(kPaneObjects, parent) {
  setObjectName("objectsPane");
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  auto* area = new QWidget(this);
  // Both trees lie at the same place; a stacked layout keeps them there and
  // shows one.
  auto* stack = new QStackedLayout(area);
  stack->setStackingMode(QStackedLayout::StackOne);
  objectTree_ = new CXHtmlTree(area);
  objectTree_->setObjectName("objectTree");
  objectTree_->SetImagesByShape([tree = objectTree_](const QModelIndex& item) {
    return IsObjectTreeFolder(item, tree->DataOf(item));
  });
  objectTree_->Initialise();
  documentTree_ = new CXHtmlTree(area);
  documentTree_->setObjectName("documentTree");
  documentTree_->Initialise();
  stack->addWidget(objectTree_);
  stack->addWidget(documentTree_);
  stack->setCurrentWidget(objectTree_);
  setWidget(area);
}

void CFileView::ShowDocumentTree(bool documents) {
  auto* stack = static_cast<QStackedLayout*>(widget()->layout());
  stack->setCurrentWidget(documents ? static_cast<QWidget*>(documentTree_) : objectTree_);
}

CVantrelListCtrl::CVantrelListCtrl(QWidget* parent) : QListWidget(parent) {
  setContextMenuPolicy(Qt::PreventContextMenu);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

COutputWnd::COutputWnd(QWidget* parent) : QDockWidget(kPaneOutput, parent) {
  setObjectName("outputPane");
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  logList_ = new CVantrelListCtrl(this);
  logList_->setObjectName("logList");
  setWidget(logList_);
}

CHalvardView::CHalvardView(QWidget* parent) : QWidget(parent) {
  setObjectName("view");
  panel_ = new CVantrelStatic(this);
}

void CHalvardView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  panel_->setGeometry(rect());
}

}  // namespace brinehold::ui
