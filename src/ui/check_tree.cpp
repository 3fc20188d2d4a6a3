#include "ui/check_tree.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "ui/pictures.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace brinehold::ui {

namespace {

TreeItem NewHandle() {
  static std::atomic<TreeItem> next{0};
  return ++next;
}

// An item of this tree. A document tree holds millions of items, and what
// a tree item keeps in its role lists costs 40 to 100 bytes a role, so the
// roles every item has live in members instead: the text (UTF-8, kept in
// the tree's text pool: a QString of its own would cost some 80 bytes an
// item), the check state (none until set), the image (a shared icon) and,
// outside the roles, the handle and the data. The tooltip is the text
// unless one is set.
class CheckTreeItem final : public QTreeWidgetItem {
 public:
  static constexpr int kType = QTreeWidgetItem::UserType + 1;
  // `owner` keeps the item's texts (CXHtmlTree::KeepText), also while the
  // item is out of the tree, as while its siblings are sorted.
  CheckTreeItem(CXHtmlTree& owner, std::string_view text, TreeItem handle)
      : QTreeWidgetItem(kType), handle(handle), owner_(owner), text_(owner.KeepText(text)) {}

  QVariant data(int column, int role) const override {
    if (column == 0) {
      switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
          return Text();
        case Qt::CheckStateRole:
          return check_ < 0 ? QVariant() : QVariant(static_cast<int>(check_));
        case Qt::DecorationRole:
          if (!icon_.isNull()) return icon_;
          break;
        case Qt::ToolTipRole: {
          QVariant own = QTreeWidgetItem::data(column, role);
          return own.isValid() ? own : QVariant(Text());
        }
        default:
          break;
      }
    }
    return QTreeWidgetItem::data(column, role);
  }

  void setData(int column, int role, const QVariant& value) override {
    if (column == 0 && SetOwnRole(role, value)) return;
    QTreeWidgetItem::setData(column, role, value);
  }

  std::string_view Utf8Text() const { return text_; }

  const TreeItem handle;
  int64_t value = 0;

 private:
  QString Text() const { return QString::fromUtf8(text_.data(), static_cast<qsizetype>(text_.size())); }

  // True when `role` is one kept in a member; the view hears of a change.
  bool SetOwnRole(int role, const QVariant& value) {
    switch (role) {
      case Qt::DisplayRole:
      case Qt::EditRole: {
        const QByteArray text = value.toString().toUtf8();
        const std::string_view utf8(text.constData(), static_cast<size_t>(text.size()));
        if (utf8 == text_) return true;
        text_ = owner_.KeepText(utf8);
        break;
      }
      case Qt::CheckStateRole: {
        const int8_t check = value.isValid() ? static_cast<int8_t>(value.toInt()) : int8_t{-1};
        if (check == check_) return true;
        check_ = check;
        break;
      }
      case Qt::DecorationRole: {
        if (value.typeId() != QMetaType::QIcon) return false;
        QIcon icon = value.value<QIcon>();
        if (icon.cacheKey() == icon_.cacheKey()) return true;
        icon_ = std::move(icon);
        break;
      }
      default:
        return false;
    }
    emitDataChanged();
    return true;
  }

  CXHtmlTree& owner_;
  std::string_view text_;
  QIcon icon_;
  int8_t check_ = -1;
};

// The first entry of a handle-ordered list whose handle is not below `handle`.
template <typename Items>
auto FirstNotBefore(Items& items, TreeItem handle) {
  return std::lower_bound(items.begin(), items.end(), handle,
                          [](const auto& entry, TreeItem wanted) { return entry.first < wanted; });
}

const CheckTreeItem* AsCheckTreeItem(const QTreeWidgetItem* item) {
  return item && item->type() == CheckTreeItem::kType ? static_cast<const CheckTreeItem*>(item) : nullptr;
}

// The item's text in UTF-8, without a round trip through a QString for
// the tree's own items.
std::string Utf8TextOf(const QTreeWidgetItem* item) {
  if (const CheckTreeItem* own = AsCheckTreeItem(item)) return std::string(own->Utf8Text());
  return item->text(0).toStdString();
}

}  // namespace

CXHtmlTree::CXHtmlTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAllColumnsShowFocus(true);
  setExpandsOnDoubleClick(true);
  setIconSize(QSize(16, 16));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CXHtmlTree::Initialise() {
  clear();
  items_.clear();
  texts_.Clear();
  previousSelected_ = QPersistentModelIndex();
  pressedItem_ = QPersistentModelIndex();
}

TreeItem CXHtmlTree::ReserveHandle() { return NewHandle(); }

std::string_view CXHtmlTree::KeepText(std::string_view utf8) { return texts_.Add(utf8); }

QTreeWidgetItem* CXHtmlTree::InsertItem(QTreeWidgetItem* parent, const QString& text, bool first,
                                        TreeItem handle) {
  const QByteArray utf8 = text.toUtf8();
  return InsertUtf8Item(parent, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), first, handle);
}

QTreeWidgetItem* CXHtmlTree::InsertUtf8Item(QTreeWidgetItem* parent, std::string_view utf8Text, bool first,
                                            TreeItem handle) {
  if (handle == kNoTreeItem) handle = NewHandle();
  auto* item = new CheckTreeItem(*this, utf8Text, handle);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setData(0, Qt::CheckStateRole, Qt::Unchecked);
  RememberItem(handle, item);
  if (parent) {
    parent->insertChild(first ? 0 : parent->childCount(), item);
  } else {
    insertTopLevelItem(first ? 0 : topLevelItemCount(), item);
  }
  RefreshImage(item);
  if (parent) {
    RefreshImage(parent);
    UncheckedChildAdded(item);
  }
  return item;
}

void CXHtmlTree::RememberItem(TreeItem handle, QTreeWidgetItem* item) {
  if (items_.empty() || items_.back().first < handle) {
    items_.emplace_back(handle, item);
    return;
  }
  // A handle reserved earlier and used late, or one used again.
  auto it = FirstNotBefore(items_, handle);
  if (it != items_.end() && it->first == handle) it->second = item;
  else items_.insert(it, {handle, item});
}

QTreeWidgetItem* CXHtmlTree::Find(TreeItem handle) const {
  auto it = FirstNotBefore(items_, handle);
  return it == items_.end() || it->first != handle ? nullptr : it->second;
}

TreeItem CXHtmlTree::HandleOf(const QTreeWidgetItem* item) const {
  const CheckTreeItem* own = AsCheckTreeItem(item);
  return own ? own->handle : kNoTreeItem;
}

int64_t CXHtmlTree::DataOf(const QTreeWidgetItem* item) const {
  const CheckTreeItem* own = AsCheckTreeItem(item);
  return own ? own->value : 0;
}

void CXHtmlTree::SetData(QTreeWidgetItem* item, int64_t data) {
  if (!item) return;
  auto* own = const_cast<CheckTreeItem*>(AsCheckTreeItem(item));
  if (!own) return;
  own->value = data;
  // The data may tell a folder from an object.
  RefreshImage(item);
}

void CXHtmlTree::SortChildren(QTreeWidgetItem* item) {
  QList<QTreeWidgetItem*> children;
  if (item) {
    children = item->takeChildren();
  } else {
    while (topLevelItemCount() > 0) children.append(takeTopLevelItem(0));
  }
  std::stable_sort(children.begin(), children.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    return TreeTextLess(Utf8TextOf(a), Utf8TextOf(b));
  });
  if (item) {
    item->addChildren(children);
  } else {
    addTopLevelItems(children);
  }
}

void CXHtmlTree::RefreshImage(QTreeWidgetItem* item) {
  if (!imagesByShape) return;
  static const QIcon folder(TreeFolderImage());
  static const QIcon object(TreeObjectImage());
  item->setIcon(0, item->childCount() > 0 || (isFolder && isFolder(item)) ? folder : object);
}

bool CXHtmlTree::IsChecked(const QTreeWidgetItem* item) const {
  return item && item->data(0, Qt::CheckStateRole).toInt() == Qt::Checked;
}

int CXHtmlTree::StateIndex(const QTreeWidgetItem* item) const {
  if (!item) return 0;
  int index = 1;
  switch (item->data(0, Qt::CheckStateRole).toInt()) {
    case Qt::Checked: index = 2; break;
    case Qt::PartiallyChecked: index = 3; break;
    default: break;
  }
  return item->isDisabled() ? index + 4 : index;
}

void CXHtmlTree::SetSubtree(QTreeWidgetItem* item, Qt::CheckState state) {
  item->setData(0, Qt::CheckStateRole, state);
  for (int i = 0; i < item->childCount(); ++i) SetSubtree(item->child(i), state);
}

void CXHtmlTree::UncheckedChildAdded(QTreeWidgetItem* item) {
  // A parent's state sums up its children's, so one more unchecked child
  // changes it only from checked (to partly) or when it is the only child;
  // counting every sibling instead made filling a folder quadratic.
  QTreeWidgetItem* parent = item->parent();
  if (!parent) return;
  const int before = parent->data(0, Qt::CheckStateRole).toInt();
  int after = before;
  if (parent->childCount() == 1) {
    after = Qt::Unchecked;
  } else if (before == Qt::Checked) {
    after = Qt::PartiallyChecked;
  }
  if (after == before) return;
  parent->setData(0, Qt::CheckStateRole, after);
  UpdateAncestors(parent);
}

void CXHtmlTree::UpdateAncestors(QTreeWidgetItem* item) {
  for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent()) {
    int checked = 0, partial = 0;
    for (int i = 0; i < parent->childCount(); ++i) {
      const int state = parent->child(i)->data(0, Qt::CheckStateRole).toInt();
      checked += state == Qt::Checked;
      partial += state == Qt::PartiallyChecked;
    }
    Qt::CheckState state = Qt::PartiallyChecked;
    if (checked == parent->childCount()) state = Qt::Checked;
    else if (checked == 0 && partial == 0) state = Qt::Unchecked;
    parent->setData(0, Qt::CheckStateRole, state);
  }
}

void CXHtmlTree::SetChecked(QTreeWidgetItem* item, bool checked) {
  if (!item) return;
  const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
  SetSubtree(item, state);
  UpdateAncestors(item);
  if (onCheckChanged) onCheckChanged(item, state);
}

void CXHtmlTree::Toggle(QTreeWidgetItem* item) {
  if (item && !item->isDisabled()) SetChecked(item, !IsChecked(item));
}

void CXHtmlTree::SelectItem(QTreeWidgetItem* item) {
  previousSelected_ = QPersistentModelIndex(currentIndex());
  if (!item) {
    clearSelection();
    return;
  }
  setCurrentItem(item);
  item->setSelected(true);
  scrollToItem(item);
}

void CXHtmlTree::ReselectPrevious() {
  QTreeWidgetItem* previous = previousSelected_.isValid() ? itemFromIndex(previousSelected_) : nullptr;
  clearSelection();
  if (previous) {
    setCurrentItem(previous);
    previous->setSelected(true);
  } else {
    setCurrentItem(nullptr);
  }
}

void CXHtmlTree::CollapseTopLevel() {
  QTreeWidgetItem* current = currentItem();
  for (int i = 0; i < topLevelItemCount(); ++i) topLevelItem(i)->setExpanded(false);
  if (current) {
    for (QTreeWidgetItem* up = current->parent(); up; up = up->parent()) up->setExpanded(true);
    setCurrentItem(current);
    scrollToItem(current);
  }
}

QTreeWidgetItem* CXHtmlTree::NextEnabled(QTreeWidgetItem* from, bool down) const {
  QTreeWidgetItem* item = from;
  do {
    item = down ? itemBelow(item) : itemAbove(item);
  } while (item && item->isDisabled());
  return item;
}

void CXHtmlTree::keyPressEvent(QKeyEvent* event) {
  QTreeWidgetItem* item = currentItem();
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  switch (event->key()) {
    case Qt::Key_Space:
      Toggle(item);
      return;
    case Qt::Key_Right:
      if (item && item->childCount() > 0 && !item->isExpanded()) item->setExpanded(true);
      return;
    case Qt::Key_Left:
      if (item && item->childCount() > 0 && item->isExpanded()) item->setExpanded(false);
      return;
    case Qt::Key_Down:
    case Qt::Key_Up: {
      QTreeWidgetItem* next = item ? NextEnabled(item, event->key() == Qt::Key_Down) : topLevelItem(0);
      if (next) SelectItem(next);
      return;
    }
    case Qt::Key_Plus:
      if (keypad && item) item->setExpanded(true);
      if (keypad) return;
      break;
    case Qt::Key_Minus:
      if (keypad && item) item->setExpanded(false);
      if (keypad) return;
      break;
    case Qt::Key_Asterisk:
      if (keypad && item) {
        expandRecursively(indexFromItem(item));
        scrollToItem(item, QAbstractItemView::PositionAtTop);
        return;
      }
      break;
    default:
      break;
  }
  QTreeWidget::keyPressEvent(event);
}

CXHtmlTree::Hit CXHtmlTree::HitTest(const QPoint& pos, QTreeWidgetItem** hitItem) const {
  QTreeWidgetItem* item = itemAt(pos);
  *hitItem = item;
  if (!item) return Hit::Nothing;
  const QModelIndex index = indexFromItem(item);
  const QRect rect = visualRect(index);
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
    QTreeWidget::mousePressEvent(event);
    return;
  }
  QTreeWidgetItem* item = nullptr;
  const Hit hit = HitTest(event->position().toPoint(), &item);
  if (hit == Hit::CheckBox) {
    Toggle(item);
    return;
  }
  if (hit == Hit::Label) {
    pressedItem_ = QPersistentModelIndex(indexFromItem(item));
    return;  // selected on release, as a click
  }
  QTreeWidget::mousePressEvent(event);
}

void CXHtmlTree::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidgetItem* pressed = pressedItem_.isValid() ? itemFromIndex(pressedItem_) : nullptr;
  pressedItem_ = QPersistentModelIndex();
  if (event->button() == Qt::LeftButton && pressed) {
    QTreeWidgetItem* item = nullptr;
    if (HitTest(event->position().toPoint(), &item) == Hit::Label && item == pressed) {
      SelectItem(item);
      if (onLabelClicked) onLabelClicked(item);
    }
    return;
  }
  QTreeWidget::mouseReleaseEvent(event);
}

}  // namespace brinehold::ui
