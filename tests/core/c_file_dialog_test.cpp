#include "picking/core/c_file_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace corvane {
namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

// Stands in for the system dialogs: records the record it is handed and
// answers with a scripted buffer, or cancels.
struct FakeDialogs {
  std::vector<OPENFILENAME> seen;
  bool confirm = true;
  std::string result;

  cFileDialog::DialogCall Call() {
    return [this](OPENFILENAME& ofn) -> int32_t {
      seen.push_back(ofn);
      if (!confirm) return 0;
      ofn.lpstrFile = result;
      ofn.lpstrFile.resize(ofn.nMaxFile, '\0');
      ofn.lpstrFileTitle = "from the dialog";  // never read back
      ofn.nFilterIndex = 2;
      return 1;
    };
  }
};

int32_t ErrorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const DialogError& e) {
    return e.number();
  }
  return 0;
}

TEST(FileDialog, FilterConversionAndDefaults) {
  cFileDialog d;
  EXPECT_EQ(d.Record().lStructSize, 76u);
  EXPECT_EQ(d.FilterIndex(), 1);
  d.setFilter("All Files (*.*)|*.*");
  EXPECT_EQ(d.Filter(), "All Files (*.*)|*.*");
  EXPECT_EQ(d.Record().lpstrFilter, "All Files (*.*)\0*.*\0\0"s);
  // A colon splits like a bar, also inside a description.
  d.setFilter("Notes: text|*.txt");
  EXPECT_EQ(d.Filter(), "Notes: text|*.txt");
  EXPECT_EQ(d.Record().lpstrFilter, "Notes\0 text\0*.txt\0\0"s);
}

TEST(FileDialog, ShowsHandTheDialogTheirBuffersAndFlags) {
  FakeDialogs fake;
  cFileDialog d(fake.Call(), fake.Call());
  d.setFlags(0x1004);
  d.setFilename("start.txt");
  d.setFileTitle("mine");
  fake.result = "/data/a.txt";
  d.ShowOpen();
  EXPECT_EQ(fake.seen[0].Flags, 0x1004u);
  EXPECT_EQ(fake.seen[0].nMaxFile, 1024u);
  EXPECT_EQ(fake.seen[0].lpstrFile, "start.txt" + std::string(1015, '\0'));
  EXPECT_EQ(fake.seen[0].lpstrFileTitle, "mine" + std::string(1020, '\0'));
  EXPECT_EQ(d.Filename(), "/data/a.txt");
  EXPECT_EQ(d.FileTitle(), "mine");
  EXPECT_EQ(d.FilterIndex(), 2);

  d.setFlags(0x1204);
  fake.result = "/data\0a.txt\0b.txt\0\0"s;
  d.ShowOpen();
  EXPECT_EQ(fake.seen[1].Flags, 0x81204u);
  EXPECT_EQ(fake.seen[1].nMaxFile, 8192u);
  EXPECT_EQ(fake.seen[1].nMaxFileTitle, 8192u);
  EXPECT_EQ(d.flags(), 0x1204);
  EXPECT_EQ(d.Filename().size(), 8192u);

  // Save: 1024 bytes and the flag word unchanged, even with 0x200.
  d.setFilename("");
  d.setFlags(0x200);
  fake.result = "/data/b.txt";
  d.ShowSave();
  EXPECT_EQ(fake.seen[2].Flags, 0x200u);
  EXPECT_EQ(fake.seen[2].nMaxFile, 1024u);
  EXPECT_EQ(d.Filename(), "/data/b.txt");
}

TEST(FileDialog, ParseMultiFileName) {
  FakeDialogs fake;
  cFileDialog d(fake.Call(), fake.Call());
  d.setFlags(0x200);
  std::string dir;
  Names files;
  int32_t count = 0;
  auto pick = [&](const std::string& result) {
    fake.result = result;
    d.ShowOpen();
    d.ParseMultiFileName(dir, files, count);
  };
  pick("/data\0a.txt\0b.txt\0\0"s);
  EXPECT_EQ(dir, "/data");
  EXPECT_EQ(files, (Names{"a.txt", "b.txt"}));
  EXPECT_EQ(count, 2);
  // Counting on from the caller's count keeps the first entries.
  files = {"x", "y", "z"};
  count = 3;
  pick("/data\0a.txt\0b.txt\0\0"s);
  EXPECT_EQ(files, (Names{"x", "y", "z", "a.txt", "b.txt"}));
  EXPECT_EQ(count, 5);
  // One file: the directory keeps its separator; count and array restart.
  pick("/data/a.txt");
  EXPECT_EQ(dir, "/data/");
  EXPECT_EQ(files, Names{"a.txt"});
  EXPECT_EQ(count, 1);
  count = 0;
  pick("/\0a.txt\0b.txt\0\0"s);
  EXPECT_EQ(dir, "/");
  EXPECT_EQ(files, (Names{"a.txt", "b.txt"}));
}

TEST(FileDialog, CancelRaisesOnlyFromSaveWithCancelError) {
  FakeDialogs fake;
  fake.confirm = false;
  cFileDialog d(fake.Call(), fake.Call());
  d.setFilename("keep.txt");
  d.setCancelError(true);
  EXPECT_NO_THROW(d.ShowOpen());
  try {
    d.ShowSave();
    ADD_FAILURE() << "no error";
  } catch (const DialogError& e) {
    EXPECT_EQ(e.number(), 32755);
    EXPECT_EQ(e.description(), "User selected cancel.");
    EXPECT_EQ(e.source(), "corvane_core_tests.cFilenDialog");
  }
  d.setCancelError(false);
  EXPECT_NO_THROW(d.ShowSave());
  EXPECT_EQ(d.Filename(), "keep.txt");
  EXPECT_EQ(fake.seen.size(), 3u);
}

TEST(FileDialog, FailureCases) {
  FakeDialogs fake;
  cFileDialog d(fake.Call(), fake.Call());
  // Filename Let: stored, then refused.
  EXPECT_EQ(ErrorNumber([&] { d.setFilename(std::string(1024, 'a')); }), 0);
  EXPECT_EQ(ErrorNumber([&] { d.setFilename(std::string(1025, 'b')); }), 5);
  EXPECT_EQ(d.Filename(), std::string(1025, 'b'));
  // Names longer than the show's buffer: refused before any dialog.
  EXPECT_EQ(ErrorNumber([&] { d.ShowOpen(); }), 5);
  d.setFlags(0x200);
  fake.result = "/d\0a\0b\0\0"s;
  d.ShowOpen();                                      // 1025 bytes fit 8192
  EXPECT_EQ(ErrorNumber([&] { d.ShowSave(); }), 5);  // 8192 bytes do not fit 1024
  d.setFilename("");
  d.setFileTitle(std::string(1025, 't'));
  EXPECT_EQ(ErrorNumber([&] { d.ShowSave(); }), 5);
  EXPECT_EQ(fake.seen.size(), 1u);

  // Filter Let: the text is kept, the record's filter is not.
  d.setFilter("A|*.a");
  EXPECT_EQ(ErrorNumber([&] { d.setFilter(std::string(32766, 'x')); }), 0);
  d.setFilter("A|*.a");
  EXPECT_EQ(ErrorNumber([&] { d.setFilter(std::string(32767, 'y')); }), 6);
  EXPECT_EQ(d.Filter(), std::string(32767, 'y'));
  EXPECT_EQ(d.Record().lpstrFilter, "A\0*.a\0\0"s);

  // Parse: no two NULs in a row, an empty choice, a negative count.
  std::string dir = "d";
  Names files = {"f"};
  int32_t count = 0;
  const std::pair<std::string, int32_t> cases[] = {
      {""s, 7}, {"/data/a.txt"s, 7}, {"\0\0"s, 7}, {"/data\0a\0\0"s, -1}};
  for (const auto& [name, lFileCount] : cases) {
    d.setFilename(name);
    count = lFileCount;
    EXPECT_EQ(ErrorNumber([&] { d.ParseMultiFileName(dir, files, count); }), 5);
    EXPECT_EQ(dir, "d");
    EXPECT_EQ(files, Names{"f"});
    EXPECT_EQ(count, lFileCount);
  }
}

}  // namespace
}  // namespace corvane
