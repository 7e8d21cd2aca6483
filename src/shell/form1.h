#pragma once
// The main window: the file list, the hidden directory list, the four command
// buttons, the two fields, the progress bar and the folder chooser, plus the
// run controller through which the commands see them.
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <memory>

#include "picking/add_files_command.h"
#include "picking/list_editing.h"
#include "scan/browse_delete_command.h"
#include "scan/browse_folder_command.h"
#include "scan/msg.h"
#include "shell/controls/browse_ff.h"
#include "shell/controls/caption_progress_bar.h"
#include "shell/controls/hover_button.h"
#include "shell/controls/list_box.h"
#include "shell/controls/run_controller.h"
#include "shell/form_lifecycle.h"
#include "shred/delete_files_command.h"
#include "shred/shreds_amount_guard.h"

namespace corvane {

class cFileDialog;

inline constexpr char kMainCaption[] = "Corvane By Halvek";

// The controls the commands share come from WindowControls.
class Form1 : public QWidget, public WindowControls {
  Q_OBJECT
 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  QLabel* Label1;
  QLabel* Label2;

  // Add Files' dialog. It lives until the window is destroyed: a dialog may
  // still be showing when the window closes.
  std::unique_ptr<cFileDialog> FileDialog;

  // The long command under way, its Abort, the closing and Browse & Delete
  // flags, the controls while it runs, and what the Delete runs leave behind.
  RunController Runs{*this, *this, [this] { return std::make_unique<msg>(this); }};
  // The scan's wait window, once first shown.
  msg* WaitWindow() const { return static_cast<msg*>(Runs.WaitWindow()); }

  // Handlers, the same ones the controls' notifications reach.
  void Form_Load() { FormLoad(*this); }
  void AddFiles_Click() { AddFilesClick(Runs, FileDialog.get()); }
  void BrowseFolder_Click() { BrowseFolderClick(Runs); }
  void DeleteFiles_Click() { DeleteFilesClick(Runs); }
  void BrowseDelete_Click() { BrowseDeleteClick(Runs); }
  void List1_KeyDown(int keyCode, int shift) { List1KeyDown(Runs, keyCode, shift); }
  void ShredsAmount_Change() { ShredsAmountChange(*ShredsAmount); }

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
