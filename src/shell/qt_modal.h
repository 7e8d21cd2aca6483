#pragma once
// The real modal interactions: Qt message boxes and dialogs, and the Qt event pump.
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
  // Called as the run controller paces it (shell/controls/run_controller.h).
  void PumpEvents() override;
};

}  // namespace corvane
