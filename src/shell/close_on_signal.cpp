#include "shell/close_on_signal.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <csignal>

#include "platform/modal.h"
#include "shell/form1.h"

namespace corvane {

namespace {
int g_pipe[2] = {-1, -1};
const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Only async-signal-safe work here: one byte into the pipe.
void OnSignal(int) {
  char byte = 1;
  ssize_t ignored = ::write(g_pipe[1], &byte, 1);
  (void)ignored;
}
}  // namespace

CloseOnSignal::CloseOnSignal(Form1* window) : QObject(window), window_(window) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
  notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char buffer[64];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    CloseWindow();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

void CloseOnSignal::CloseWindow() {
  if (DialogOpen()) {
    if (held_) return;  // already held: one close is enough
    held_ = true;
    // Carried out from the event loop once the dialog has returned; if its
    // caller opens another dialog before that, the close waits for that one.
    WhenNoDialogOpen([self = QPointer<CloseOnSignal>(this)] {
      if (!self) return;
      self->held_ = false;
      QMetaObject::invokeMethod(
          self.data(),
          [self] {
            if (self) self->CloseWindow();
          },
          Qt::QueuedConnection);
    });
    return;
  }
  // A second signal while the close is under way changes nothing.
  if (window_->isVisible()) window_->CloseWithoutAsking();
}

CloseOnSignal::~CloseOnSignal() {
  for (int signal : kSignals) ::signal(signal, SIG_DFL);
  delete notifier_;
  notifier_ = nullptr;
  for (int& fd : g_pipe) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

}  // namespace corvane
