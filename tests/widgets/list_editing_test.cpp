#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <vector>

#include "list_entries.h"
#include "shell/form1.h"
#include "support/scripted_modal.h"

namespace corvane {
namespace {

using testing::Entries;
using testing::EntriesOf;

void Fill(ListBox& list, int count, std::initializer_list<int> selected) {
  list.Clear();
  for (int i = 0; i < count; ++i) list.AddItem("/f" + std::to_string(i));
  for (int i : selected) list.SetSelected(i, true);
}

TEST(ListEditing, DeleteRemovesTheSelectedEntriesHighestFirst) {
  testing::ScriptedModal modal;
  Form1 form;
  form.show();
  ListBox& list = *form.List1;
  std::vector<int> removed;
  QObject::connect(list.model(), &QAbstractItemModel::rowsAboutToBeRemoved,
                   [&](const QModelIndex&, int first, int) { removed.push_back(first); });

  Fill(list, 6, {1, 3, 4});
  form.List1_KeyDown(46, 0);
  EXPECT_EQ(removed, (std::vector<int>{4, 3, 1}));
  EXPECT_EQ(EntriesOf(list), (Entries{"/f0", "/f2", "/f5"}));
  form.List1_KeyDown(46, 0);  // nothing selected any more
  EXPECT_EQ(list.ListCount(), 3);
  Fill(list, 4, {0, 1, 2, 3});
  form.List1_KeyDown(46, 0);
  EXPECT_EQ(list.ListCount(), 0);
  form.List1_KeyDown(46, 0);  // empty list

  // Keys pressed in the list: Shift and Ctrl make no difference, Backspace and
  // other keys remove nothing, and no entry is left selected.
  list.setFocus();
  Fill(list, 6, {0, 5});
  QTest::keyClick(&list, Qt::Key_Backspace);
  QTest::keyClick(&list, Qt::Key_Insert);
  EXPECT_EQ(list.ListCount(), 6);
  QTest::keyClick(&list, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(EntriesOf(list), (Entries{"/f1", "/f2", "/f3", "/f4"}));
  Fill(list, 3, {1});
  QTest::keyClick(&list, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(EntriesOf(list), (Entries{"/f0", "/f2"}));
  EXPECT_FALSE(list.Selected(0) || list.Selected(1));
  EXPECT_TRUE(modal.boxes.empty());
}

}  // namespace
}  // namespace corvane
