#pragma once
// The main window: the file list, the hidden directory list, the four command
// buttons, the two fields, the progress bar and the folder chooser, plus the
// flags that the commands share.
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "shell/browse_ff.h"
#include "shell/caption_progress_bar.h"
#include "shell/core/run_state.h"
#include "shell/hover_button.h"
#include "shell/list_box.h"
#include "shred/core/run_ledger.h"
#include "shred/core/survivor.h"

namespace corvane {

class cFileDialog;
class msg;

inline constexpr char kMainCaption[] = "Corvane By Halvek";

class Form1 : public QWidget {
  Q_OBJECT
 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // Controls, in tab order.
  ListBox* List1;
  HoverButton* AddFiles;
  HoverButton* BrowseFolder;
  HoverButton* DeleteFiles;
  HoverButton* BrowseDelete;
  QLineEdit* ShredsAmount;
  QLineEdit* FileSpecific;
  CaptionProgressBar* ProgressBar1;
  QLabel* Label1;
  QLabel* Label2;
  ListBox* List2;  // never shown, never focused
  BrowseFF* BrowseFF1;

  // Shared state of the commands. FileDialog lives until the window is
  // destroyed: a dialog may still be showing when the window closes.
  std::unique_ptr<cFileDialog> FileDialog;
  bool StopRequested = false;
  bool AutoMode = false;
  // What the Delete runs destroyed since the lists were last emptied.
  RunLedger Destroyed;
  // Set when the window closed during a run: the files that run kept.
  std::optional<std::vector<Survivor>> InterruptedRunKept;

  // The long command under way, if any, and its latched Abort.
  RunState Run;

  // True while a Delete run or a folder scan is under way, including a pass
  // that is still finishing after its Abort click.
  bool CommandRunning() const { return Run.Running(); }

  // The wait window of the folder scan, created when first needed.
  std::unique_ptr<msg> WaitWindow;

  // The window's handle, used as the owner of dialogs.
  intptr_t hWnd();

  // Handlers, the same ones the controls' notifications reach.
  void Form_Load();
  void AddFiles_Click();
  void BrowseFolder_Click();
  void DeleteFiles_Click();
  void BrowseDelete_Click();
  void List1_KeyDown(int keyCode, int shift);
  void ShredsAmount_Change();

  // Closes the window as a signal asks: a run under way is aborted without a
  // question.
  void CloseWithoutAsking();

  // A key as the list's key handler sees it: 46 for Delete, 8 for Backspace...
  static int VirtualKeyCode(int qtKey);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void NameForScreenReaders();

  bool closeWithoutAsking_ = false;
};

}  // namespace corvane
