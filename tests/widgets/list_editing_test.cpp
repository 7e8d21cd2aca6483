#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <vector>

#include "shell/form1.h"
#include "support/scripted_modal.h"

namespace corvane {
namespace {

using Entries = std::vector<std::string>;

Entries EntriesOf(const ListBox& list) {
  Entries entries;
  for (int64_t i = 0; i < list.ListCount(); ++i) entries.push_back(list.List(i));
  return entries;
}

void Fill(ListBox& list, int count, std::initializer_list<int> selected) {
  list.Clear();
  for (int i = 0; i < count; ++i) list.AddItem("/f" + std::to_string(i));
  for (int i : selected) list.SetSelected(i, true);
}

int SelectedCount(const ListBox& list) {
  int n = 0;
  for (int64_t i = 0; i < list.ListCount(); ++i) n += list.Selected(i) ? 1 : 0;
  return n;
}

TEST(ListEditing, DeleteRemovesTheSelectedEntriesHighestFirst) {
  testing::ScriptedModal modal;
  Form1 form;
  ListBox& list = *form.List1;
  std::vector<int> removed;
  QObject::connect(list.model(), &QAbstractItemModel::rowsAboutToBeRemoved,
                   [&](const QModelIndex&, int first, int) { removed.push_back(first); });

  Fill(list, 6, {1, 3, 4});
  form.List1_KeyDown(46, 0);
  EXPECT_EQ(removed, (std::vector<int>{4, 3, 1}));
  EXPECT_EQ(EntriesOf(list), (Entries{"/f0", "/f2", "/f5"}));
  EXPECT_EQ(SelectedCount(list), 0);
  // Nothing selected any more: a second press removes nothing.
  form.List1_KeyDown(46, 0);
  EXPECT_EQ(list.ListCount(), 3);

  Fill(list, 4, {0, 1, 2, 3});
  form.List1_KeyDown(46, 0);
  EXPECT_EQ(list.ListCount(), 0);
  form.List1_KeyDown(46, 0);  // empty list
  EXPECT_EQ(list.ListCount(), 0);

  // Shift and Ctrl make no difference; other keys do nothing.
  for (int shift : {1, 2, 3}) {
    Fill(list, 3, {1});
    form.List1_KeyDown(46, shift);
    EXPECT_EQ(EntriesOf(list), (Entries{"/f0", "/f2"})) << shift;
  }
  for (int key : {8, 45, 13, 0}) {
    Fill(list, 3, {1});
    form.List1_KeyDown(key, 0);
    EXPECT_EQ(list.ListCount(), 3) << key;
  }
  EXPECT_TRUE(modal.boxes.empty());
}

TEST(ListEditing, KeysPressedInTheList) {
  testing::ScriptedModal modal;
  Form1 form;
  form.show();
  ListBox& list = *form.List1;
  list.setFocus();

  Fill(list, 6, {0, 5});
  QTest::keyClick(&list, Qt::Key_Backspace);
  EXPECT_EQ(list.ListCount(), 6);
  QTest::keyClick(&list, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(EntriesOf(list), (Entries{"/f1", "/f2", "/f3", "/f4"}));

  Fill(list, 3, {1});
  QTest::keyClick(&list, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(EntriesOf(list), (Entries{"/f0", "/f2"}));
  EXPECT_EQ(SelectedCount(list), 0);
  QTest::keyClick(&list, Qt::Key_Delete);
  EXPECT_EQ(list.ListCount(), 2);
}

}  // namespace
}  // namespace corvane
