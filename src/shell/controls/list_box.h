#pragma once
// A list box whose entries are byte strings (paths exactly as the file system
// holds them). The text shown is only a display form. No 16-bit limit: appending
// costs the same whatever the length of the list.
#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QListView>
#include <string>
#include <vector>

#include "platform/entry_id.h"

namespace corvane {

class ListBoxModel : public QAbstractListModel {
  Q_OBJECT
 public:
  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void Append(ListedEntry entry);
  // Makes room for `more` entries, so that a long run of appends never moves
  // the ones already there.
  void Reserve(size_t more) { entries_.reserve(entries_.size() + more); }
  // Tells the views about the rows appended since the last call.
  void Publish();
  void RemoveAt(int64_t index);
  void Clear();
  int64_t Count() const { return static_cast<int64_t>(entries_.size()); }
  const std::string& At(int64_t index) const { return Entry(index).path; }
  const ListedEntry& Entry(int64_t index) const { return entries_[static_cast<size_t>(index)]; }
  const std::vector<ListedEntry>& Entries() const { return entries_; }

 private:
  // Each publication lays every row out again, so a long list that grows is
  // shown anew at most this often; a short one at the next event.
  static constexpr size_t kRowsShownAtOnce = 10000;
  static constexpr qint64 kLongListPublishMs = 250;

  std::vector<ListedEntry> entries_;
  size_t published_ = 0;  // rows the views know of
  bool publish_queued_ = false;
  QElapsedTimer since_publish_;
};

class ListBox : public QListView {
  Q_OBJECT
 public:
  explicit ListBox(QWidget* parent = nullptr);

  // Appends a path the user named; its identity is read now, so that a later
  // run acts only on this very entry. `chosen` marks a folder chosen itself.
  void AddItem(std::string entry, bool chosen = false);
  // Appends an entry whose identity the caller has read already.
  void AddEntry(ListedEntry entry);
  void Reserve(size_t more) { model_->Reserve(more); }
  // Out-of-range indexes are ignored.
  void RemoveItem(int64_t index);
  void Clear();
  int64_t ListCount() const { return model_->Count(); }
  // The entry at `index`; empty for an index out of range.
  const std::string& List(int64_t index) const;
  // The entry at `index` with its identity; `index` must be in range.
  const ListedEntry& Entry(int64_t index) const { return model_->Entry(index); }
  // Every entry, in order, for a run to read without a copy.
  const std::vector<ListedEntry>& Entries() const { return model_->Entries(); }
  bool Selected(int64_t index) const;
  void SetSelected(int64_t index, bool selected);
  // The text shown for an entry.
  QString DisplayText(int64_t index) const;

 signals:
  // Raised for every key pressed while the list has the focus.
  void KeyDown(int key, Qt::KeyboardModifiers modifiers);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  ListBoxModel* model_;
};

}  // namespace corvane
