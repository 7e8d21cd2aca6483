#pragma once
// The real modal interactions: Qt message boxes and dialogs, and the Qt event pump.
#include <chrono>

#include "platform/modal.h"

class QMessageBox;

namespace corvane {

// Widens `box` so that a window manager's title bar shows its whole title
// beside the bar's own buttons.
void FitTitle(QMessageBox& box);

class QtModal : public Modal {
 public:
  int MessageBox(const std::string& prompt, int style, const std::string& title) override;
  std::optional<std::string> ChooseFolder(const FolderRequest& request) override;
  FileAnswer ChooseFiles(const FileRequest& request) override;
  // Lets the window system in at most once every few milliseconds: the
  // commands pump after every file, and a run over many small files must not
  // be paced by repainting. A click or a close still takes effect at once to
  // the user's eye.
  void PumpEvents() override;

 private:
  std::chrono::steady_clock::time_point last_pump_{};
};

}  // namespace corvane
