#pragma once
// Every modal interaction and the event pump go through this one interface, so
// that commands can be driven without a window and no test ever blocks.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

// Message box style words and answers, as the commands use them.
inline constexpr int kMbOk = 0;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbStop = 16;           // OK with the stop icon
inline constexpr int kMbStopYesNo = 20;      // Yes/No with the stop icon
inline constexpr int kMbYesNoQuestion = 36;  // Yes/No with the question icon
inline constexpr int kMbExclamation = 48;    // OK with the exclamation (warning) icon
inline constexpr int kMbExclamationYesNo = 52;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

struct FolderRequest {
  std::string title;   // window title
  std::string prompt;  // text shown above the folder view
  bool option = false;
  int32_t option1 = 0;
  int32_t option2 = 0;
};

struct FileRequest {
  bool save = false;
  intptr_t owner = 0;
  std::vector<std::pair<std::string, std::string>> filters;  // description, patterns
  int32_t filterIndex = 1;                                   // 1-based
  std::string initialDir;
  std::string initialName;
  std::string title;
  std::string defaultExt;
  bool multiSelect = false;
  bool mustExist = false;
};

struct FileAnswer {
  bool accepted = false;
  std::vector<std::string> paths;  // full paths, as bytes
  int32_t filterIndex = 1;
};

class Modal {
 public:
  virtual ~Modal() = default;
  // Returns kIdOk, kIdYes or kIdNo.
  virtual int MessageBox(const std::string& prompt, int style, const std::string& title) = 0;
  // The chosen folder as bytes, or nothing when cancelled or the dialog failed.
  virtual std::optional<std::string> ChooseFolder(const FolderRequest& request) = 0;
  virtual FileAnswer ChooseFiles(const FileRequest& request) = 0;
  // Delivers pending window events (clicks, closes, timer ticks) and returns.
  virtual void PumpEvents() = 0;
};

// A box that names many entries names at most this many, one a line.
inline constexpr size_t kEntriesNamed = 10;

// The first kEntriesNamed of `lines`, each after a line break, then
// "... and N more" when `total` entries are to be named in all.
std::string NamedLines(const std::vector<std::string>& lines, size_t total);

// The process-wide instance. The application installs the real one at start-up;
// tests install a scripted one. What CurrentModal() returns passes every call
// on to the installed one and keeps count of the dialogs showing.
Modal& CurrentModal();
void SetCurrentModal(Modal* modal);

// True while a message box or a chooser is showing (its call has not returned).
bool DialogOpen();
// Runs `action` at once when no dialog is showing, else right after the
// outermost showing dialog returns, before its caller goes on. Used to hold a
// close request until the dialog whose caller still needs the window is done.
void WhenNoDialogOpen(std::function<void()> action);

}  // namespace corvane
