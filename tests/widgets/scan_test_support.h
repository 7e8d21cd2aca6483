#pragma once
// Shared by the folder scan tests: a shown main window driven by a scripted
// modal handler that lets Qt deliver events in every pump.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <deque>
#include <string>
#include <vector>

#include "list_entries.h"
#include "shell/form1.h"
#include "support/scripted_modal.h"

namespace corvane::testing {

struct ScanWindow {
  ScriptedModal modal;
  Form1 form;
  ScanWindow() {
    modal.pumpQt = [] { QCoreApplication::processEvents(); };
    form.show();
  }
  std::vector<std::string> Entries(const ListBox* list) const { return EntriesOf(*list); }
};

// The window as every run under the Delete button leaves it, from its closing
// box on.
inline void ExpectRunControlsBack(const Form1& form) {
  EXPECT_EQ(form.DeleteFiles->caption(), "&Delete Files");
  EXPECT_EQ(form.DeleteFiles->hovercaption(), "&Delete Files");
  for (QWidget* w :
       {static_cast<QWidget*>(form.AddFiles), static_cast<QWidget*>(form.BrowseFolder),
        static_cast<QWidget*>(form.BrowseDelete), static_cast<QWidget*>(form.ShredsAmount),
        static_cast<QWidget*>(form.FileSpecific), static_cast<QWidget*>(form.List1)})
    EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
  EXPECT_EQ(form.ProgressBar1->value(), 0);
  EXPECT_EQ(form.ProgressBar1->shownText(), "");
}

// The visible subdirectories of `dir`, in the file system's own order.
inline std::vector<std::string> Subdirectories(const std::string& dir) {
  std::vector<std::string> subs;
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return subs;
  while (struct dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    std::string full = dir + "/" + e->d_name;
    struct stat st {};
    if (::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) subs.push_back(full);
  }
  ::closedir(d);
  return subs;
}

// `root` and its tree, level by level, each level in enumeration order.
inline std::vector<std::string> BreadthFirst(const std::string& root) {
  std::vector<std::string> order{root};
  for (size_t k = 0; k < order.size(); ++k) {
    for (std::string& sub : Subdirectories(order[k])) order.push_back(std::move(sub));
  }
  return order;
}

}  // namespace corvane::testing
