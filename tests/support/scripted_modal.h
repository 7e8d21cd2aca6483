#pragma once
// A modal handler for tests: answers from a script, records what was asked, and
// lets a test act inside the event pump (click Abort, close the window...).
// While it is installed, a run's checkpoint pumps at every call, so that a
// test can count on its pumps without timing them.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/modal.h"
#include "shell/core/run_state.h"

namespace corvane::testing {

struct AskedBox {
  std::string prompt;
  int style;
  std::string title;
};

class ScriptedModal : public Modal {
 public:
  ScriptedModal() {
    SetCurrentModal(this);
    SetPumpClockForTesting([] { return clock += kPumpInterval; });
  }
  ~ScriptedModal() override {
    SetPumpClockForTesting(nullptr);
    SetCurrentModal(nullptr);
  }

  int MessageBox(const std::string& prompt, int style, const std::string& title) override {
    boxes.push_back({prompt, style, title});
    if (onBox) onBox(boxes.back());
    if (whileOpen) whileOpen();
    bool yesNo = (style & 0xF) == kMbYesNo;
    if (!yesNo) return kIdOk;
    if (answers.empty()) return kIdYes;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::optional<std::string> ChooseFolder(const FolderRequest& request) override {
    folderRequests.push_back(request);
    if (whileOpen) whileOpen();
    if (folders.empty()) return std::nullopt;
    auto answer = folders.front();
    folders.pop_front();
    return answer;
  }

  FileAnswer ChooseFiles(const FileRequest& request) override {
    fileRequests.push_back(request);
    if (whileOpen) whileOpen();
    if (files.empty()) return {};
    FileAnswer answer = files.front();
    files.pop_front();
    return answer;
  }

  // The prompts of every box shown so far, in order.
  std::vector<std::string> Prompts() const {
    std::vector<std::string> prompts;
    for (const AskedBox& box : boxes) prompts.push_back(box.prompt);
    return prompts;
  }

  void PumpEvents() override {
    ++pumps;
    if (pumpQt) pumpQt();
    if (onPump) onPump(pumps);
  }

  std::vector<AskedBox> boxes;
  std::deque<int> answers;  // for Yes/No boxes; Yes when the script runs out
  std::function<void(const AskedBox&)> onBox;
  std::vector<FolderRequest> folderRequests;
  std::deque<std::optional<std::string>> folders;
  std::vector<FileRequest> fileRequests;
  std::deque<FileAnswer> files;
  int pumps = 0;
  std::function<void(int)> onPump;  // called with the pump's number, from 1
  std::function<void()> pumpQt;     // widget tests let Qt deliver events here
  std::function<void()> whileOpen;  // runs inside every dialog, as if it were showing

 private:
  static inline std::chrono::steady_clock::time_point clock{};
};

}  // namespace corvane::testing
