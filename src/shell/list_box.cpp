#include "shell/list_box.h"

#include <QKeyEvent>

#include "platform/paths.h"

namespace corvane {

int ListBoxModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(std::min<size_t>(entries_.size(), INT32_MAX));
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0 || static_cast<size_t>(index.row()) >= entries_.size())
    return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  QString text = QString::fromUtf8(DisplayForm(entries_[static_cast<size_t>(index.row())]));
  // Control characters (a newline is legal in a file name) would break the
  // row; show their visible symbols instead.
  for (QChar& c : text) {
    if (c.unicode() < 0x20) c = QChar(0x2400 + c.unicode());
  }
  return text;
}

void ListBoxModel::Append(std::string entry) {
  int row = static_cast<int>(entries_.size());
  beginInsertRows(QModelIndex(), row, row);
  entries_.push_back(std::move(entry));
  endInsertRows();
}

void ListBoxModel::RemoveAt(int64_t index) {
  if (index < 0 || index >= Count()) return;
  int row = static_cast<int>(index);
  beginRemoveRows(QModelIndex(), row, row);
  entries_.erase(entries_.begin() + index);
  endRemoveRows();
}

void ListBoxModel::Clear() {
  beginResetModel();
  entries_.clear();
  entries_.shrink_to_fit();
  endResetModel();
}

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new ListBoxModel(this)) {
  setModel(model_);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideMiddle);
}

void ListBox::AddItem(std::string entry) {
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
  return selectionModel()->isSelected(model_->index(static_cast<int>(index)));
}

void ListBox::SetSelected(int64_t index, bool selected) {
  if (index < 0 || index >= model_->Count()) return;
  selectionModel()->select(model_->index(static_cast<int>(index)),
                           selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

QString ListBox::DisplayText(int64_t index) const {
  if (index < 0 || index >= model_->Count()) return {};
  return model_->data(model_->index(static_cast<int>(index)), Qt::DisplayRole).toString();
}

void ListBox::keyPressEvent(QKeyEvent* event) {
  emit KeyDown(event->key(), event->modifiers());
  QListView::keyPressEvent(event);
}

}  // namespace corvane
