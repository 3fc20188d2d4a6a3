#include "ui/check_tree.h"

#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "ui/pictures.h"

#include <atomic>
#include <utility>

namespace brinehold::ui {

namespace {

TreeItem NewHandle() {
  static std::atomic<TreeItem> next{0};
  return ++next;
}

}  // namespace

CXHtmlTree::CXHtmlTree(QWidget* parent) : QTreeView(parent), model_(new CheckTreeModel(this)) {
  setModel(model_);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAllColumnsShowFocus(true);
  setExpandsOnDoubleClick(true);
  setIconSize(QSize(16, 16));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CXHtmlTree::Initialise() {
  model_->Clear();
  previousSelected_ = QPersistentModelIndex();
  pressedItem_ = QPersistentModelIndex();
}

TreeItem CXHtmlTree::ReserveHandle() { return NewHandle(); }

void CXHtmlTree::SetImagesByShape(std::function<bool(const QModelIndex& item)> isFolder) {
  model_->shapeImage = [this, isFolder = std::move(isFolder)](const QModelIndex& item) {
    static const QIcon folder(TreeFolderImage());
    static const QIcon object(TreeObjectImage());
    return model_->rowCount(item) > 0 || (isFolder && isFolder(item)) ? folder : object;
  };
}

QModelIndex CXHtmlTree::InsertItem(const QModelIndex& parent, const QString& text, bool first, TreeItem handle) {
  const QByteArray utf8 = text.toUtf8();
  return InsertUtf8Item(parent, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), first, handle);
}

QModelIndex CXHtmlTree::InsertUtf8Item(const QModelIndex& parent, std::string_view utf8Text, bool first,
                                       TreeItem handle) {
  // A handle in use keeps naming its item.
  if (handle == kNoTreeItem || model_->Find(handle).isValid()) handle = NewHandle();
  const QModelIndex item = model_->Insert(parent, utf8Text, first, handle);
  if (item.isValid() && parent.isValid()) UncheckedChildAdded(item);
  return item;
}

QModelIndex CXHtmlTree::Find(TreeItem handle) const { return model_->Find(handle); }

QModelIndex CXHtmlTree::FindText(const QString& text) const {
  const QByteArray wanted = text.toUtf8();
  const std::string_view utf8(wanted.constData(), static_cast<size_t>(wanted.size()));
  QModelIndex found;
  model_->ForEach([&](const QModelIndex& item) {
    if (model_->Text(item) != utf8) return true;
    found = item;
    return false;
  });
  return found;
}

bool CXHtmlTree::IsChecked(const QModelIndex& item) const {
  return item.isValid() && model_->Check(item) == Qt::Checked;
}

int CXHtmlTree::StateIndex(const QModelIndex& item) const {
  if (!model_->Handle(item)) return 0;
  int index = 1;
  switch (model_->Check(item)) {
    case Qt::Checked: index = 2; break;
    case Qt::PartiallyChecked: index = 3; break;
    default: break;
  }
  return model_->Disabled(item) ? index + 4 : index;
}

void CXHtmlTree::SetSubtree(const QModelIndex& item, Qt::CheckState state) {
  model_->ForEach(
      [&](const QModelIndex& below) {
        model_->SetCheck(below, state);
        return true;
      },
      item);
}

void CXHtmlTree::UncheckedChildAdded(const QModelIndex& item) {
  // A parent's state sums up its children's, so one more unchecked child
  // changes it only from checked (to partly) or when it is the only child;
  // counting every sibling instead made filling a folder quadratic.
  const QModelIndex parent = item.parent();
  if (!parent.isValid()) return;
  const Qt::CheckState before = model_->Check(parent);
  Qt::CheckState after = before;
  if (model_->rowCount(parent) == 1) {
    after = Qt::Unchecked;
  } else if (before == Qt::Checked) {
    after = Qt::PartiallyChecked;
  }
  if (after == before) return;
  model_->SetCheck(parent, after);
  UpdateAncestors(parent);
}

void CXHtmlTree::UpdateAncestors(const QModelIndex& item) {
  for (QModelIndex parent = item.parent(); parent.isValid(); parent = parent.parent()) {
    const int children = model_->rowCount(parent);
    int checked = 0, partial = 0;
    for (int row = 0; row < children; ++row) {
      const Qt::CheckState state = model_->Check(model_->index(row, 0, parent));
      checked += state == Qt::Checked;
      partial += state == Qt::PartiallyChecked;
    }
    Qt::CheckState state = Qt::PartiallyChecked;
    if (checked == children) state = Qt::Checked;
    else if (checked == 0 && partial == 0) state = Qt::Unchecked;
    model_->SetCheck(parent, state);
  }
}

void CXHtmlTree::SetChecked(const QModelIndex& item, bool checked) {
  if (!model_->Handle(item)) return;
  const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
  SetSubtree(item, state);
  UpdateAncestors(item);
  if (onCheckChanged) onCheckChanged(item, state);
}

void CXHtmlTree::Toggle(const QModelIndex& item) {
  if (model_->Handle(item) && !model_->Disabled(item)) SetChecked(item, !IsChecked(item));
}

QModelIndex CXHtmlTree::SelectedItem() const {
  const QModelIndex current = currentIndex();
  return current.isValid() && selectionModel()->isSelected(current) ? current : QModelIndex();
}

void CXHtmlTree::SelectItem(const QModelIndex& item) {
  previousSelected_ = QPersistentModelIndex(currentIndex());
  if (!model_->Handle(item)) {
    clearSelection();
    return;
  }
  setCurrentIndex(item);
  selectionModel()->select(item, QItemSelectionModel::ClearAndSelect);
  scrollTo(item);
}

void CXHtmlTree::ReselectPrevious() {
  const QModelIndex previous = previousSelected_;
  clearSelection();
  if (previous.isValid()) {
    setCurrentIndex(previous);
    selectionModel()->select(previous, QItemSelectionModel::ClearAndSelect);
  } else {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
  }
}

void CXHtmlTree::CollapseTopLevel() {
  const QModelIndex current = currentIndex();
  for (int row = 0, rows = model_->rowCount(); row < rows; ++row) collapse(model_->index(row, 0));
  if (current.isValid()) {
    for (QModelIndex up = current.parent(); up.isValid(); up = up.parent()) expand(up);
    setCurrentIndex(current);
    scrollTo(current);
  }
}

QModelIndex CXHtmlTree::NextEnabled(const QModelIndex& from, bool down) const {
  QModelIndex item = from;
  do {
    item = down ? indexBelow(item) : indexAbove(item);
  } while (item.isValid() && model_->Disabled(item));
  return item;
}

void CXHtmlTree::keyPressEvent(QKeyEvent* event) {
  const QModelIndex item = currentIndex();
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  const bool hasChildren = item.isValid() && model_->rowCount(item) > 0;
  switch (event->key()) {
    case Qt::Key_Space:
      Toggle(item);
      return;
    case Qt::Key_Right:
      if (hasChildren && !isExpanded(item)) expand(item);
      return;
    case Qt::Key_Left:
      if (hasChildren && isExpanded(item)) collapse(item);
      return;
    case Qt::Key_Down:
    case Qt::Key_Up: {
      const QModelIndex next = item.isValid() ? NextEnabled(item, event->key() == Qt::Key_Down) : model_->index(0, 0);
      if (next.isValid()) SelectItem(next);
      return;
    }
    case Qt::Key_Plus:
      if (keypad && item.isValid()) expand(item);
      if (keypad) return;
      break;
    case Qt::Key_Minus:
      if (keypad && item.isValid()) collapse(item);
      if (keypad) return;
      break;
    case Qt::Key_Asterisk:
      if (keypad && item.isValid()) {
        expandRecursively(item);
        scrollTo(item, QAbstractItemView::PositionAtTop);
        return;
      }
      break;
    default:
      break;
  }
  QTreeView::keyPressEvent(event);
}

CXHtmlTree::Hit CXHtmlTree::HitTest(const QPoint& pos, QModelIndex* hitItem) const {
  const QModelIndex item = indexAt(pos);
  *hitItem = item;
  if (!item.isValid()) return Hit::Nothing;
  const QRect rect = visualRect(item);
  if (!rect.contains(pos)) return Hit::Nothing;  // the expand button or the lines
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = rect;
  option.features |= QStyleOptionViewItem::HasCheckIndicator;
  const QRect check = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
  if (check.contains(pos)) return Hit::CheckBox;
  return pos.x() > check.right() ? Hit::Label : Hit::Nothing;
}

void CXHtmlTree::mousePressEvent(QMouseEvent* event) {
  pressedItem_ = QPersistentModelIndex();
  if (event->button() != Qt::LeftButton) {
    QTreeView::mousePressEvent(event);
    return;
  }
  QModelIndex item;
  const Hit hit = HitTest(event->position().toPoint(), &item);
  if (hit == Hit::CheckBox) {
    Toggle(item);
    return;
  }
  if (hit == Hit::Label) {
    pressedItem_ = QPersistentModelIndex(item);
    return;  // selected on release, as a click
  }
  QTreeView::mousePressEvent(event);
}

void CXHtmlTree::mouseReleaseEvent(QMouseEvent* event) {
  const QModelIndex pressed = pressedItem_;
  pressedItem_ = QPersistentModelIndex();
  if (event->button() == Qt::LeftButton && pressed.isValid()) {
    QModelIndex item;
    if (HitTest(event->position().toPoint(), &item) == Hit::Label && item == pressed) {
      SelectItem(item);
      if (onLabelClicked) onLabelClicked(item);
    }
    return;
  }
  QTreeView::mouseReleaseEvent(event);
}

}  // namespace brinehold::ui
