// Files and folders handed over on the command line or dropped on the list.
#include "picking/handed_paths.h"

#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>
#include <optional>

#include "scan_test_support.h"
#include "shell/command_line.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ForeignSymlink;
using testing::HomeAt;
using testing::ScanWindow;
using testing::TempDir;

TEST(CommandLine, ParsesOptionsAndKeepsPathBytes) {
  struct Case {
    std::vector<const char*> args;
    std::optional<int> exitCode;
    std::vector<std::string> paths;
    bool styleNamed;
    std::vector<std::string> toolkit = {"corvane"};
    std::vector<std::string> remote = {};
  };
  const Case cases[] = {
      {{"corvane", "a", "/x/b\xff", "a", "dir/"},
       {},
       {"/cwd/a", "/x/b\xff", "/cwd/a", "/cwd/dir"},
       false},
      {{"corvane", "-style", "windows", "--", "-f"},
       {},
       {"/cwd/-f"},
       true,
       {"corvane", "-style", "windows"}},
      // After "--" a toolkit option is a file name, for the toolkit too.
      {{"corvane", "-reverse", "--", "-platform", "offscreen", "-platformpluginpath", "p"},
       {},
       {"/cwd/-platform", "/cwd/offscreen", "/cwd/-platformpluginpath", "/cwd/p"},
       false,
       {"corvane", "-reverse"}},
      // A launcher's URIs: this computer's files by their bytes, the rest named.
      {{"corvane", "--uris", "--", "file:///a%20b%FF", "FILE://localhost/c?q#f", "/d", "sftp://h/e",
        "file://h/f", "file:///g%2", "rel"},
       {},
       {"/a b\xff", "/c", "/d"},
       false,
       {"corvane"},
       {"sftp://h/e", "file://h/f", "file:///g%2", "rel"}},
      {{"corvane", "--version"}, 0, {}, false},
      {{"corvane", "-h"}, 0, {}, false},
      {{"corvane", "--bogus", "a"}, 2, {}, false},
  };
  for (const Case& c : cases) {
    CommandLine line = ParseCommandLine(static_cast<int>(c.args.size()), c.args.data(), "/cwd");
    EXPECT_EQ(line.exitCode, c.exitCode) << c.args[1];
    EXPECT_EQ(line.paths, c.paths) << c.args[1];
    EXPECT_EQ(line.styleNamed, c.styleNamed) << c.args[1];
    EXPECT_EQ(line.remote, c.remote) << c.args[1];
    if (!line.exitCode) {
      EXPECT_EQ(line.toolkitArguments, c.toolkit) << c.args[1];
    }
  }
}

QMimeData* UrlData(const QList<QUrl>& urls) {
  auto* data = new QMimeData;
  data->setUrls(urls);
  return data;
}

// Drops `data` on List1 the way the window system delivers it; true if taken.
bool Drop(Form1& form, QMimeData* data) {
  QWidget* target = form.List1->viewport();
  QDragEnterEvent enter({5, 5}, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(target, &drop);
  QCoreApplication::processEvents();
  delete data;
  return enter.isAccepted() && drop.isAccepted();
}

TEST(ListDrop, AddsFilesListsFoldersAndRefusesWhileACommandRuns) {
  TempDir t;
  const std::string odd = t.Write("odd\xe9.txt", "");
  const std::string plain = t.Write("a b.txt", "");
  t.Write("R/S/in.txt", "");
  t.Write("R/skip.dat", "");
  ScanWindow w;
  Form1& form = w.form;
  form.FileSpecific->setText(QStringLiteral("*.txt"));

  // A Latin-1 name arrives percent-encoded, byte for byte.
  QUrl oddUrl(QStringLiteral("file://") +
              QString::fromLatin1(QByteArray(odd.c_str()).toPercentEncoding("/")));
  QUrl plainUrl = QUrl::fromLocalFile(QString::fromStdString(plain));
  EXPECT_FALSE(Drop(form, UrlData({QUrl(QStringLiteral("https://example.org/x"))})));
  EXPECT_TRUE(Drop(
      form, UrlData({oddUrl, plainUrl, plainUrl, QUrl(QStringLiteral("https://example.org/y"))})));
  EXPECT_EQ(w.Entries(form.List1), (std::vector<std::string>{odd, plain, plain}));

  form.List1->Clear();
  EXPECT_TRUE(Drop(form, UrlData({QUrl::fromLocalFile(QString::fromStdString(t / "R"))})));
  EXPECT_EQ(w.Entries(form.List1), std::vector<std::string>{t / "R/S/in.txt"});
  EXPECT_EQ(w.Entries(form.List2), (std::vector<std::string>{t / "R", t / "R/S"}));

  ASSERT_TRUE(form.Runs.Begin(Command::kDeleteRun));  // a run is going
  RunScope going = form.Runs.Scope(Command::kDeleteRun);
  EXPECT_FALSE(Drop(form, UrlData({plainUrl})));
  EXPECT_EQ(form.List1->ListCount(), 1);
}

// The command line (and a file manager's action, which hands paths the same
// way), a drop and the file dialog pass the gate the chooser passes.
TEST(HandedPaths, EveryDoorRefusesWhatTheChooserRefuses) {
  TempDir t;
  HomeAt home(t.Mkdir("home"));
  const std::string keep = t.Write("home/keep.txt", "");
  const std::string secret = t / "att/secret.txt";
  t.Write("victim/secret.txt", "");
  const bool foreign = ForeignSymlink(t / "victim", t / "att");
  const std::string homeRefused =
      "This Folder Cannot Be Destroyed!\n" + t / "home" + "\nIt is your home folder.";
  const std::string homeLine = "\n" + t / "home (It is your home folder.)";
  const std::string linkRefused = "This File Cannot Be Destroyed!\n" + secret +
                                  "\nIt lies behind the symbolic link " + t / "att" +
                                  ", which belongs to another user.";
  // One box for the whole handing, a missing path named as it was handed.
  std::string prompt = std::string(foreign ? "4 Entries" : "3 Entries") + " Cannot Be Destroyed!" +
                       homeLine + homeLine + "\n" +
                       t / "typo/../typo.txt (No such file or folder exists.)";
  if (foreign)
    prompt += "\n" + secret + " (" + linkRefused.substr(linkRefused.rfind('\n') + 1) + ")";
  std::vector<std::string> listed{keep};
  if (!foreign) listed.push_back(secret);

  ScanWindow w;
  AddHandedPaths(w.form.Runs, {t / "home", t / "home/x/..", keep, t / "typo/../typo.txt", secret});
  EXPECT_EQ(w.modal.Prompts(), std::vector<std::string>{prompt});
  EXPECT_EQ(w.Entries(w.form.List1), listed);
  EXPECT_EQ(w.form.List2->ListCount(), 0);

  // Ten named, the rest counted, each folder read once.
  std::vector<std::string> alike;
  for (int i = 0; i < 12; ++i)
    alike.push_back(t.Write(std::string("alike/") + char('\x80' + i), ""));
  t.Write("alike/\xff", "");
  ScanWindow many;
  AddHandedPaths(many.form.Runs, alike);
  ASSERT_EQ(many.modal.boxes.size(), 1u);
  EXPECT_EQ(many.modal.boxes[0].title, "Corvane - Files Refused");
  EXPECT_EQ(many.modal.boxes[0].prompt.rfind("12 Files Cannot Be Destroyed!\n", 0), 0u);
  EXPECT_NE(many.modal.boxes[0].prompt.find("\n... and 2 more"), std::string::npos);

  ScanWindow dropped;
  EXPECT_TRUE(
      Drop(dropped.form, UrlData({QUrl::fromLocalFile(QString::fromStdString(t / "home"))})));
  EXPECT_EQ(dropped.modal.Prompts(), std::vector<std::string>{homeRefused});
  EXPECT_EQ(dropped.form.List2->ListCount(), 0);

  if (!foreign) return;
  ScanWindow picked;
  picked.modal.files = {FileAnswer{true, {secret}, 1}};
  picked.form.Form_Load();
  picked.form.AddFiles->click();
  EXPECT_EQ(picked.modal.Prompts(), std::vector<std::string>{linkRefused});
  EXPECT_EQ(picked.form.List1->ListCount(), 0);
}

}  // namespace
}  // namespace corvane
