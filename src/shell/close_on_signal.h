#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (logout, Ctrl+C in a terminal, `kill`) into
// an ordinary close of the main window that asks nothing, so the settings are
// saved and a running destruction is aborted as its Abort button would.
// A signal that comes while a dialog is showing is held until that dialog has
// returned: its caller may still need the window and what the window owns.
#include <QObject>

class QSocketNotifier;

namespace corvane {

class Form1;

class CloseOnSignal : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers; `window` is closed when a signal arrives.
  explicit CloseOnSignal(Form1* window);
  ~CloseOnSignal() override;

 private:
  // Closes the window, or holds the close while a dialog is showing.
  void CloseWindow();

  Form1* window_;
  bool held_ = false;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace corvane
