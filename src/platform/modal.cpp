#include "platform/modal.h"

#include <stdexcept>
#include <vector>

namespace corvane {
namespace {
Modal* g_modal = nullptr;

Modal& Installed() {
  if (g_modal == nullptr) throw std::logic_error("no modal interaction handler installed");
  return *g_modal;
}

// Passes every call on to the installed handler, counting the dialogs open
// meanwhile; when the outermost one returns, the actions held meanwhile run.
class CountingModal : public Modal {
 public:
  int MessageBox(const std::string& prompt, int style, const std::string& title) override {
    Modal& target = Installed();
    DialogScope scope(*this);
    return target.MessageBox(prompt, style, title);
  }
  std::optional<std::string> ChooseFolder(const FolderRequest& request) override {
    Modal& target = Installed();
    DialogScope scope(*this);
    return target.ChooseFolder(request);
  }
  FileAnswer ChooseFiles(const FileRequest& request) override {
    Modal& target = Installed();
    DialogScope scope(*this);
    return target.ChooseFiles(request);
  }
  void PumpEvents() override { Installed().PumpEvents(); }

  bool open() const { return open_ > 0; }
  void Hold(std::function<void()> action) { held_.push_back(std::move(action)); }

 private:
  class DialogScope {
   public:
    explicit DialogScope(CountingModal& owner) : owner_(owner) { ++owner_.open_; }
    ~DialogScope() {
      if (--owner_.open_ > 0) return;
      std::vector<std::function<void()>> held;
      held.swap(owner_.held_);
      for (auto& action : held) action();
    }
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;

   private:
    CountingModal& owner_;
  };

  int open_ = 0;
  std::vector<std::function<void()>> held_;
};

CountingModal g_counting;
}  // namespace

Modal& CurrentModal() {
  Installed();  // no handler installed is an error at the call, not later
  return g_counting;
}

void SetCurrentModal(Modal* modal) {
  g_modal = modal;
}

bool DialogOpen() {
  return g_counting.open();
}

void WhenNoDialogOpen(std::function<void()> action) {
  if (!action) return;
  if (!g_counting.open()) {
    action();
    return;
  }
  g_counting.Hold(std::move(action));
}

std::string NamedLines(const std::vector<std::string>& lines, size_t total) {
  std::string text;
  size_t named = 0;
  for (; named < lines.size() && named < kEntriesNamed; ++named) text += "\n" + lines[named];
  if (total > named) text += "\n... and " + std::to_string(total - named) + " more";
  return text;
}

}  // namespace corvane
