#pragma once
// The real modal interactions: Qt message boxes and dialogs, and the Qt event pump.
#include "platform/modal.h"

namespace corvane {

class QtModal : public Modal {
 public:
  int MessageBox(const std::string& prompt, int style, const std::string& title) override;
  std::optional<std::string> ChooseFolder(const FolderRequest& request) override;
  FileAnswer ChooseFiles(const FileRequest& request) override;
  void PumpEvents() override;
};

}  // namespace corvane
