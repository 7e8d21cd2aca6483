#include "platform/modal.h"

#include <stdexcept>
#include <vector>

namespace corvane {
namespace {
Modal* g_modal = nullptr;
int g_open_dialogs = 0;
std::vector<std::function<void()>> g_held;

Modal& Installed() {
  if (g_modal == nullptr) throw std::logic_error("no modal interaction handler installed");
  return *g_modal;
}

// Counts a dialog for as long as its call runs; when the outermost one
// returns, the actions held meanwhile run.
class DialogScope {
 public:
  DialogScope() { ++g_open_dialogs; }
  ~DialogScope() {
    if (--g_open_dialogs > 0) return;
    std::vector<std::function<void()>> held;
    held.swap(g_held);
    for (auto& action : held) action();
  }
  DialogScope(const DialogScope&) = delete;
  DialogScope& operator=(const DialogScope&) = delete;
};

class CountingModal : public Modal {
 public:
  int MessageBox(const std::string& prompt, int style, const std::string& title) override {
    Modal& target = Installed();
    DialogScope scope;
    return target.MessageBox(prompt, style, title);
  }
  std::optional<std::string> ChooseFolder(const FolderRequest& request) override {
    Modal& target = Installed();
    DialogScope scope;
    return target.ChooseFolder(request);
  }
  FileAnswer ChooseFiles(const FileRequest& request) override {
    Modal& target = Installed();
    DialogScope scope;
    return target.ChooseFiles(request);
  }
  void PumpEvents() override { Installed().PumpEvents(); }
};

CountingModal g_counting;
}  // namespace

Modal& CurrentModal() {
  Installed();  // no handler installed is an error at the call, as ever
  return g_counting;
}

void SetCurrentModal(Modal* modal) {
  g_modal = modal;
}

bool DialogOpen() {
  return g_open_dialogs > 0;
}

void WhenNoDialogOpen(std::function<void()> action) {
  if (!action) return;
  if (g_open_dialogs == 0) {
    action();
    return;
  }
  g_held.push_back(std::move(action));
}

}  // namespace corvane
