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

std::string Padded(const std::string& text, size_t n) {
  std::string s = text;
  s.resize(n, '\0');
  return s;
}

TEST(FileDialogFunctions, RecordBecomesTheRequest) {
  testing::ScriptedModal modal;
  OPENFILENAME ofn = Record(0x81204, 8192);
  ofn.hwndOwner = 77;
  ofn.lpstrFilter = "Notes\0 text\0*.txt\0All\0*.*\0Odd\0\0"s;
  ofn.nFilterIndex = 2;
  ofn.lpstrInitialDir = "/start\0\0"s;
  ofn.lpstrTitle = "Pick";
  ofn.lpstrDefExt = "txt\0\0"s;
  ofn.lpstrFile = Padded("seed.txt", 8192);
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // nothing scripted: cancelled
  EXPECT_EQ(ofn.lpstrFile, Padded("seed.txt", 8192));
  ASSERT_EQ(modal.fileRequests.size(), 1u);
  const FileRequest& r = modal.fileRequests[0];
  EXPECT_FALSE(r.save);
  EXPECT_EQ(r.owner, 77);
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(r.filters, (Pairs{{"Notes", " text"}, {"*.txt", "All"}, {"*.*", "Odd"}}));
  EXPECT_EQ(r.filterIndex, 2);
  EXPECT_EQ(r.initialDir, "/start");
  EXPECT_EQ(r.initialName, "seed.txt");
  EXPECT_EQ(r.title, "Pick");
  EXPECT_EQ(r.defaultExt, "txt");
  EXPECT_TRUE(r.multiSelect);
  EXPECT_TRUE(r.mustExist);

  OPENFILENAME save = Record(0x200, 1024);
  GetSaveFileNameA(save);
  EXPECT_TRUE(modal.fileRequests[1].save);
  EXPECT_FALSE(modal.fileRequests[1].multiSelect);
  EXPECT_FALSE(modal.fileRequests[1].mustExist);
  EXPECT_TRUE(modal.fileRequests[1].filters.empty());
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
  size_t used = dir.size() + 1 + 1;  // directory NUL ... closing NUL
  for (int i = 0; used + 12 <= 8192; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%08d.x", i);
    many.push_back(dir + "/" + name);
    used += 12;
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
  EXPECT_EQ(ofn.lpstrFile.size(), 8192u);
  EXPECT_EQ(ofn.lpstrFile.substr(8190), "\0\0"s);
  ofn.lpstrFile.assign(8192, '\0');
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // one name too many
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // two directories
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // accepted with nothing chosen
  EXPECT_EQ(GetOpenFileNameA(ofn), 0);  // no room for two NULs
  EXPECT_EQ(ofn.lpstrFile, std::string(8192, '\0'));
  EXPECT_NE(GetOpenFileNameA(ofn), 0);
  OPENFILENAME single = Record(0, 1024);
  EXPECT_EQ(GetOpenFileNameA(single), 0);  // no room for its NUL

  OPENFILENAME bad = Record(0, 1024);
  bad.lStructSize = 88;
  EXPECT_EQ(GetOpenFileNameA(bad), 0);
  EXPECT_EQ(modal.fileRequests.size(), 7u);  // the bad record shows nothing
}

}  // namespace
}  // namespace corvane
