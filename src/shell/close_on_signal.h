#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (logout, Ctrl+C in a terminal, `kill`) into
// an ordinary close of the main window, so the settings are saved and a
// running command stops between two passes instead of being cut off mid-write.
// A signal that comes while a dialog is showing is held until that dialog has
// returned: its caller may still need the window and what the window owns.
#include <QObject>

class QSocketNotifier;
class QWidget;

namespace corvane {

class CloseOnSignal : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers; `window` is closed when a signal arrives.
  explicit CloseOnSignal(QWidget* window);
  ~CloseOnSignal() override;

 private:
  // Closes the window, or holds the close while a dialog is showing.
  void CloseWindow();

  QWidget* window_;
  bool held_ = false;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace corvane
