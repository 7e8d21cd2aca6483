#include "picking/core/c_file_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {
namespace {

using namespace std::string_literals;

// Stands in for the system dialogs: records each record it is handed and
// answers with a scripted buffer (or a cancel).
struct FakeDialogs {
  std::vector<OPENFILENAME> seen;
  bool confirm = true;
  std::string result;  // written at the start of the file buffer

  cFileDialog::DialogCall Call() {
    return [this](OPENFILENAME& ofn) -> int32_t {
      seen.push_back(ofn);
      if (!confirm) return 0;
      std::string buffer = result;
      buffer.resize(ofn.nMaxFile, '\0');
      ofn.lpstrFile = buffer;
      ofn.lpstrFileTitle = "dialog title";  // the class must ignore it
      ofn.nFilterIndex = 2;
      return 1;
    };
  }
};

template <typename F>
DialogError ErrorOf(F&& f) {
  try {
    f();
  } catch (const DialogError& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return DialogError(0, "", "");
}

TEST(FileDialogProperties, RecordAndStoredValues) {
  cFileDialog d;
  EXPECT_EQ(d.Record().lStructSize, 76u);
  EXPECT_EQ(d.FilterIndex(), 1);
  EXPECT_EQ(d.flags(), 0);
  EXPECT_EQ(d.hwnd(), 0);
  EXPECT_FALSE(d.CancelError());
  EXPECT_EQ(d.Filename(), "");
  EXPECT_EQ(d.Record().lpstrFilter, "");

  d.setFilter("All Files (*.*)|*.*");
  EXPECT_EQ(d.Filter(), "All Files (*.*)|*.*");
  EXPECT_EQ(d.Record().lpstrFilter, "All Files (*.*)\0*.*\0\0"s);
  // A colon splits like a bar, also inside a description.
  d.setFilter("Notes: text|*.txt|All|*.*");
  EXPECT_EQ(d.Filter(), "Notes: text|*.txt|All|*.*");
  EXPECT_EQ(d.Record().lpstrFilter, "Notes\0 text\0*.txt\0All\0*.*\0\0"s);

  d.setInitDir("/home/u");
  d.setDefaultExt("txt");
  d.setDialogTitle("Pick");
  d.setHwnd(0x1234567890);
  d.setFilterIndex(3);
  EXPECT_EQ(d.InitDir(), "/home/u");
  EXPECT_EQ(d.Record().lpstrInitialDir, "/home/u\0\0"s);
  EXPECT_EQ(d.DefaultExt(), "txt");
  EXPECT_EQ(d.Record().lpstrDefExt, "txt\0\0"s);
  EXPECT_EQ(d.DialogTitle(), "Pick");
  EXPECT_EQ(d.Record().lpstrTitle, "Pick");
  EXPECT_EQ(d.Record().hwndOwner, 0x1234567890);
  EXPECT_EQ(d.Record().nFilterIndex, 3u);
}

TEST(FileDialogShow, SingleSelectionBuffersFlagsAndResult) {
  FakeDialogs fake;
  cFileDialog d(fake.Call(), fake.Call());
  d.setFlags(0x1004);
  d.setFilename("start.txt");
  d.setFileTitle("mine");
  fake.result = "/data/a.txt";
  d.ShowOpen();
  ASSERT_EQ(fake.seen.size(), 1u);
  const OPENFILENAME& in = fake.seen[0];
  EXPECT_EQ(in.Flags, 0x1004u);
  EXPECT_EQ(in.nMaxFile, 1024u);
  EXPECT_EQ(in.nMaxFileTitle, 1024u);
  EXPECT_EQ(in.lpstrFile, "start.txt" + std::string(1024 - 9, '\0'));
  EXPECT_EQ(in.lpstrFileTitle, "mine" + std::string(1020, '\0'));
  EXPECT_EQ(d.Filename(), "/data/a.txt");
  EXPECT_EQ(d.FileTitle(), "mine");
  EXPECT_EQ(d.FilterIndex(), 2);  // left by the dialog

  // Save: 1024 bytes and the flag word as it is, even with 0x200.
  d.setFlags(0x200);
  fake.result = "/data/b.txt";
  d.ShowSave();
  EXPECT_EQ(fake.seen[1].Flags, 0x200u);
  EXPECT_EQ(fake.seen[1].nMaxFile, 1024u);
  EXPECT_EQ(fake.seen[1].lpstrFile.substr(0, 12), "/data/a.txt\0"s);
  EXPECT_EQ(d.Filename(), "/data/b.txt");
}

TEST(FileDialogShow, MultipleSelectionAndItsParsing) {
  FakeDialogs fake;
  cFileDialog d(fake.Call(), fake.Call());
  d.setFlags(0x1204);
  fake.result = "/data\0a.txt\0b.txt\0\0"s;
  d.ShowOpen();
  ASSERT_EQ(fake.seen.size(), 1u);
  EXPECT_EQ(fake.seen[0].Flags, 0x81204u);
  EXPECT_EQ(fake.seen[0].nMaxFile, 8192u);
  EXPECT_EQ(fake.seen[0].lpstrFile, std::string(8192, '\0'));
  EXPECT_EQ(d.flags(), 0x1204);
  ASSERT_EQ(d.Filename().size(), 8192u);

  std::string dir = "old";
  std::vector<std::string> files;
  int32_t count = 0;
  d.ParseMultiFileName(dir, files, count);
  EXPECT_EQ(dir, "/data");
  EXPECT_EQ(files, (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(count, 2);

  // Counting on from the caller's count keeps the first entries.
  files = {"x", "y", "z"};
  count = 3;
  d.ParseMultiFileName(dir, files, count);
  EXPECT_EQ(files, (std::vector<std::string>{"x", "y", "z", "a.txt", "b.txt"}));
  EXPECT_EQ(count, 5);

  // One file: the directory keeps its separator; the count and array restart.
  fake.result = "/data/a.txt";
  d.ShowOpen();
  d.ParseMultiFileName(dir, files, count);
  EXPECT_EQ(dir, "/data/");
  EXPECT_EQ(files, (std::vector<std::string>{"a.txt"}));
  EXPECT_EQ(count, 1);

  // A file of the root.
  fake.result = "/\0a.txt\0b.txt\0\0"s;
  d.ShowOpen();
  count = 0;
  files.clear();
  d.ParseMultiFileName(dir, files, count);
  EXPECT_EQ(dir, "/");
  EXPECT_EQ(files, (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(FileDialogShow, CancelRaisesOnlyFromSaveWithCancelError) {
  FakeDialogs fake;
  fake.confirm = false;
  cFileDialog d(fake.Call(), fake.Call());
  d.setFilename("keep.txt");
  d.setCancelError(true);
  d.setFlags(0x200);
  EXPECT_NO_THROW(d.ShowOpen());
  EXPECT_EQ(d.Filename(), "keep.txt");

  DialogError e = ErrorOf([&] { d.ShowSave(); });
  EXPECT_EQ(e.number(), 32755);
  EXPECT_EQ(e.description(), "User selected cancel.");
  EXPECT_EQ(e.source(), "corvane_core_tests.cFilenDialog");
  EXPECT_EQ(d.Filename(), "keep.txt");

  d.setCancelError(false);
  EXPECT_NO_THROW(d.ShowSave());
  EXPECT_EQ(d.Filename(), "keep.txt");
  EXPECT_EQ(fake.seen.size(), 3u);
}

TEST(FileDialogFailures, KeepTheirDocumentedEffects) {
  FakeDialogs fake;
  cFileDialog d(fake.Call(), fake.Call());

  // Filename Let: stored, then refused.
  EXPECT_NO_THROW(d.setFilename(std::string(1024, 'a')));
  DialogError e = ErrorOf([&] { d.setFilename(std::string(1025, 'b')); });
  EXPECT_EQ(e.number(), 5);
  EXPECT_EQ(e.description(), "Invalid procedure call or argument");
  EXPECT_EQ(d.Filename(), std::string(1025, 'b'));

  // A name longer than the show's buffer: refused before any dialog.
  EXPECT_EQ(ErrorOf([&] { d.ShowOpen(); }).number(), 5);
  EXPECT_EQ(ErrorOf([&] { d.ShowSave(); }).number(), 5);
  d.setFlags(0x200);
  EXPECT_NO_THROW(d.ShowOpen());  // fits 8192
  EXPECT_EQ(fake.seen.size(), 1u);
  // An 8192-byte multiple-selection result does not fit a save.
  fake.result = "/d\0a\0b\0\0"s;
  d.ShowOpen();
  EXPECT_EQ(ErrorOf([&] { d.ShowSave(); }).number(), 5);
  d.setFilename("");
  d.setFileTitle(std::string(1025, 't'));
  EXPECT_EQ(ErrorOf([&] { d.ShowSave(); }).number(), 5);
  EXPECT_EQ(fake.seen.size(), 2u);

  // Filter Let: the text is kept, the record's filter is not.
  d.setFilter("A|*.a");
  EXPECT_NO_THROW(d.setFilter(std::string(32766, 'x')));
  d.setFilter("A|*.a");
  std::string huge(32767, 'y');
  e = ErrorOf([&] { d.setFilter(huge); });
  EXPECT_EQ(e.number(), 6);
  EXPECT_EQ(e.description(), "Overflow");
  EXPECT_EQ(d.Filter(), huge);
  EXPECT_EQ(d.Record().lpstrFilter, "A\0*.a\0\0"s);
}

TEST(FileDialogFailures, ParseRefusesWhatIsNoSelection) {
  FakeDialogs fake;
  cFileDialog d(fake.Call(), fake.Call());
  std::string dir = "d";
  std::vector<std::string> files = {"f"};
  int32_t count = 7;
  auto untouched = [&] {
    EXPECT_EQ(dir, "d");
    EXPECT_EQ(files, std::vector<std::string>{"f"});
    EXPECT_EQ(count, 7);
  };
  for (const std::string& name : {""s, "/data/a.txt"s, "/data\0a.txt\0"s, std::string(20, '\0')}) {
    d.setFilename(name);
    EXPECT_EQ(ErrorOf([&] { d.ParseMultiFileName(dir, files, count); }).number(), 5);
    untouched();
  }
  // A negative count would index before the array.
  d.setFilename("/data\0a\0b\0\0"s);
  count = -1;
  EXPECT_EQ(ErrorOf([&] { d.ParseMultiFileName(dir, files, count); }).number(), 5);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(dir, "d");
  // A bare name with no directory.
  d.setFilename("a.txt\0\0"s);
  d.ParseMultiFileName(dir, files, count);
  EXPECT_EQ(dir, "");
  EXPECT_EQ(files, std::vector<std::string>{"a.txt"});
}

}  // namespace
}  // namespace corvane
