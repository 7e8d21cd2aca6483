#include "platform/file_dialogs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/scripted_modal.h"

namespace corvane {
namespace {

using namespace std::string_literals;

OPENFILENAME Record(uint32_t flags, uint32_t n) {
  OPENFILENAME ofn;
  ofn.lStructSize = 76;
  ofn.nFilterIndex = 1;
  ofn.Flags = flags;
  ofn.nMaxFile = n;
  ofn.lpstrFile.assign(n, '\0');
  return ofn;
}

FileAnswer Chose(std::vector<std::string> paths, int32_t filterIndex = 1) {
  return {true, std::move(paths), filterIndex};
}

std::string Padded(std::string text, size_t n) {
  text.resize(n, '\0');
  return text;
}

TEST(FileDialogFunctions, RecordBecomesTheRequest) {
  testing::ScriptedModal modal;
  OPENFILENAME ofn = Record(0x81204, 8192);
  ofn.hwndOwner = 77;
  // A description split at a colon leaves pairs shifted; the odd one is dropped.
  ofn.lpstrFilter = "Notes\0 text\0*.txt\0All\0*.*\0\0"s;
  ofn.nFilterIndex = 2;
  ofn.lpstrInitialDir = "/start\0\0"s;
  ofn.lpstrDefExt = "txt\0\0"s;
  ofn.lpstrFile = Padded("seed.txt", 8192);
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // nothing scripted: cancelled
  EXPECT_EQ(ofn.lpstrFile, Padded("seed.txt", 8192));
  const FileRequest& r = modal.fileRequests.at(0);
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(r.filters, (Pairs{{"Notes", " text"}, {"*.txt", "All"}}));
  EXPECT_EQ(r.owner, 77);
  EXPECT_EQ(r.filterIndex, 2);
  EXPECT_EQ(r.initialDir, "/start");
  EXPECT_EQ(r.initialName, "seed.txt");
  EXPECT_EQ(r.defaultExt, "txt");
  EXPECT_TRUE(r.multiSelect && r.mustExist && !r.save);

  OPENFILENAME save = Record(0x200, 1024);
  GetSaveFileNameA(save);
  EXPECT_TRUE(modal.fileRequests.at(1).save);
  EXPECT_FALSE(modal.fileRequests.at(1).multiSelect || modal.fileRequests.at(1).mustExist);
}

TEST(FileDialogFunctions, ChoiceIsWrittenInTheNulSeparatedForm) {
  testing::ScriptedModal modal;
  modal.files = {Chose({"/data/a.txt", "/data/b.txt"}, 3), Chose({"/data/a.txt"}),
                 Chose({"/a.txt", "/b.txt"}), Chose({"/data/a.txt"})};
  OPENFILENAME ofn = Record(0x81204, 8192);
  ASSERT_NE(GetOpenFileNameA(ofn), 0);
  EXPECT_EQ(ofn.lpstrFile, Padded("/data\0a.txt\0b.txt\0\0"s, 8192));
  EXPECT_EQ(ofn.nFilterIndex, 3u);
  ASSERT_NE(GetOpenFileNameA(ofn), 0);
  EXPECT_EQ(ofn.lpstrFile, Padded("/data/a.txt", 8192));
  ASSERT_NE(GetOpenFileNameA(ofn), 0);
  EXPECT_EQ(ofn.lpstrFile, Padded("/\0a.txt\0b.txt\0\0"s, 8192));
  OPENFILENAME single = Record(0x1000, 1024);
  ASSERT_NE(GetOpenFileNameA(single), 0);
  EXPECT_EQ(single.lpstrFile, Padded("/data/a.txt", 1024));
}

TEST(FileDialogFunctions, ChoiceThatCannotBeWrittenFails) {
  testing::ScriptedModal modal;
  // 102 + 2 + 674 names of 11 bytes and a NUL: exactly 8192.
  const std::string dir = "/" + std::string(101, 'd');
  std::vector<std::string> many;
  for (int i = 0; i < 674; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%08d.x", i);
    many.push_back(dir + "/" + name);
  }
  std::vector<std::string> tooMany = many;
  tooMany.push_back(dir + "/one-more");
  modal.files = {Chose(many),
                 Chose(tooMany),
                 Chose({"/one/a.txt", "/two/b.txt"}),
                 Chose({}),
                 Chose({"/" + std::string(8190, 'p')}),
                 Chose({"/" + std::string(8189, 'p')}),
                 Chose({"/" + std::string(1023, 'q')})};
  OPENFILENAME ofn = Record(0x81200, 8192);
  EXPECT_NE(GetOpenFileNameA(ofn), 0);  // exactly full
  EXPECT_EQ(ofn.lpstrFile.substr(8189), "x\0\0"s);
  ofn.lpstrFile.assign(8192, '\0');
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // one name too many
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // two directories
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // accepted with nothing chosen
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // no room for two NULs
  EXPECT_EQ(ofn.lpstrFile, std::string(8192, '\0'));
  EXPECT_NE(GetOpenFileNameA(ofn), 0);
  OPENFILENAME single = Record(0, 1024);
  EXPECT_EQ(GetOpenFileNameA(single), 0);  // no room for its NUL
  EXPECT_EQ(modal.fileRequests.size(), 7u);
}

}  // namespace
}  // namespace corvane
