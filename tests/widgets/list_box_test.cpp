#include "shell/controls/list_box.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace corvane {
namespace {

TEST(ListBoxAppend, EntriesCountAtOnceAndTheViewCatchesUpBeforeUse) {
  ListBox list;
  list.show();
  for (int i = 0; i < 5; ++i) list.AddItem("/e" + std::to_string(i));
  EXPECT_EQ(list.ListCount(), 5);
  EXPECT_EQ(list.List(4), "/e4");
  // Selection works on rows appended a moment ago...
  list.SetSelected(4, true);
  EXPECT_TRUE(list.Selected(4));
  EXPECT_EQ(list.model()->rowCount(), 5);
  // ...and rows appended in a burst reach the view when events run.
  for (int i = 5; i < 1000; ++i) list.AddItem("/e" + std::to_string(i));
  QCoreApplication::processEvents();
  EXPECT_EQ(list.model()->rowCount(), 1000);
  list.RemoveItem(0);
  list.AddItem("/last");
  list.RemoveItem(998);
  EXPECT_EQ(list.ListCount(), 999);
  EXPECT_EQ(list.model()->rowCount(), 999);
  EXPECT_EQ(list.List(998), "/last");
  list.Clear();
  QCoreApplication::processEvents();
  EXPECT_EQ(list.model()->rowCount(), 0);
}

}  // namespace
}  // namespace corvane
