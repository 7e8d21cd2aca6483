#include "shell/controls/list_box.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QTimer>

#include "platform/paths.h"

namespace corvane {

int ListBoxModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(std::min<size_t>(published_, INT32_MAX));
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0 || static_cast<size_t>(index.row()) >= published_)
    return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  QString text = QString::fromUtf8(DisplayForm(entries_[static_cast<size_t>(index.row())].path));
  // Control characters (a newline is legal in a file name) would break the
  // row; show their visible symbols instead.
  for (QChar& c : text) {
    if (c.unicode() < 0x20) c = QChar(0x2400 + c.unicode());
  }
  return text;
}

void ListBoxModel::Append(ListedEntry entry) {
  entries_.push_back(std::move(entry));
  if (publish_queued_) return;
  publish_queued_ = true;
  auto publish = [this] {
    publish_queued_ = false;
    Publish();
  };
  const qint64 wait = published_ < kRowsShownAtOnce || !since_publish_.isValid()
                          ? 0
                          : kLongListPublishMs - since_publish_.elapsed();
  if (wait <= 0) {
    QMetaObject::invokeMethod(this, publish, Qt::QueuedConnection);
  } else {
    QTimer::singleShot(static_cast<int>(wait), this, publish);
  }
}

void ListBoxModel::Publish() {
  if (published_ >= entries_.size()) return;
  beginInsertRows(QModelIndex(), static_cast<int>(published_),
                  static_cast<int>(entries_.size() - 1));
  published_ = entries_.size();
  endInsertRows();
  since_publish_.start();
}

void ListBoxModel::RemoveAt(int64_t index) {
  if (index < 0 || index >= Count()) return;
  Publish();
  int row = static_cast<int>(index);
  beginRemoveRows(QModelIndex(), row, row);
  entries_.erase(entries_.begin() + index);
  --published_;
  endRemoveRows();
}

void ListBoxModel::Clear() {
  beginResetModel();
  entries_.clear();
  entries_.shrink_to_fit();
  published_ = 0;
  endResetModel();
}

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new ListBoxModel(this)) {
  setModel(model_);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideMiddle);
}

void ListBox::AddItem(std::string entry, bool chosen) {
  std::optional<ListedEntry> listed = IdentifyPath(entry);
  if (!listed) {
    // Unreadable now: listed without an identity, so no run will touch it.
    listed.emplace();
    listed->path = std::move(entry);
    listed->anchor_length = ParentLength(listed->path);
  }
  listed->chosen = chosen;
  model_->Append(std::move(*listed));
}

void ListBox::AddEntry(ListedEntry entry) {
  model_->Append(std::move(entry));
}

void ListBox::RemoveItem(int64_t index) {
  model_->RemoveAt(index);
}

void ListBox::Clear() {
  model_->Clear();
}

const std::string& ListBox::List(int64_t index) const {
  static const std::string kEmpty;
  if (index < 0 || index >= model_->Count()) return kEmpty;
  return model_->At(index);
}

bool ListBox::Selected(int64_t index) const {
  if (index < 0 || index >= model_->Count()) return false;
  model_->Publish();
  return selectionModel()->isSelected(model_->index(static_cast<int>(index)));
}

void ListBox::SetSelected(int64_t index, bool selected) {
  if (index < 0 || index >= model_->Count()) return;
  model_->Publish();
  selectionModel()->select(model_->index(static_cast<int>(index)),
                           selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

QString ListBox::DisplayText(int64_t index) const {
  if (index < 0 || index >= model_->Count()) return {};
  model_->Publish();
  return model_->data(model_->index(static_cast<int>(index)), Qt::DisplayRole).toString();
}

void ListBox::keyPressEvent(QKeyEvent* event) {
  model_->Publish();
  emit KeyDown(event->key(), event->modifiers());
  QListView::keyPressEvent(event);
}

bool ListBox::viewportEvent(QEvent* event) {
  // Mouse input must find every entry; a paint goes on with what it knows.
  if (event->type() != QEvent::Paint) model_->Publish();
  return QListView::viewportEvent(event);
}

void ListBox::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  // The view marks the focus on its current entry only: an empty list, or
  // one without a current entry, gets a focus frame of its own. The style
  // draws one only after a key moved the focus, so not at start, where the
  // focus is given to the list: it is drawn as if a key had.
  if (!hasFocus() || currentIndex().isValid()) return;
  QPainter painter(viewport());
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.state |= QStyle::State_KeyboardFocusChange;
  option.rect = viewport()->rect().adjusted(1, 1, -1, -1);
  option.backgroundColor = palette().color(QPalette::Base);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void ListBox::focusInEvent(QFocusEvent* event) {
  QListView::focusInEvent(event);
  viewport()->update();
}

void ListBox::focusOutEvent(QFocusEvent* event) {
  QListView::focusOutEvent(event);
  viewport()->update();
}

}  // namespace corvane
