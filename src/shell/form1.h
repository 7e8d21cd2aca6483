#pragma once
// The main window: the file list, the hidden directory list, the four command
// buttons, the two fields, the progress bar and the folder chooser, plus the
// run controller through which the commands see them.
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <memory>

#include "window/browse_ff.h"
#include "window/caption_progress_bar.h"
#include "window/hover_button.h"
#include "window/list_box.h"
#include "window/run_controller.h"

namespace corvane {

class cFileDialog;

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

  // Add Files' dialog. It lives until the window is destroyed: a dialog may
  // still be showing when the window closes.
  std::unique_ptr<cFileDialog> FileDialog;

  // The long command under way, its Abort, the closing and Browse & Delete
  // flags, the controls while it runs, and what the Delete runs leave behind.
  RunController Runs;

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
