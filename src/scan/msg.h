#pragma once
// The small borderless window shown while a folder's directory list is being
// built, centred over the main window. It animates the dots of its message and
// keeps itself above Corvane's other windows while Corvane is the active
// program, without ever taking the keyboard focus: the main window's Abort
// button must keep its access key. It stays out of the taskbar and the pager.
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include "shell/controls/wait_screen.h"

namespace corvane {

inline constexpr char kWaitThreeDots[] = "Building Directory List. Please Wait...";
inline constexpr char kWaitOneDot[] = "Building Directory List. Please Wait.";
inline constexpr char kWaitTwoDots[] = "Building Directory List. Please Wait..";

class msg : public QWidget, public WaitScreen {
  Q_OBJECT
 public:
  // With an owner, the window is its tool window: it stays out of the taskbar
  // and the window switcher and goes with its owner.
  explicit msg(QWidget* owner = nullptr);

  // Shows the window, starting again at three dots, and starts both timers.
  // The caller goes on at once.
  void Show() override;
  // Hides the window and stops its timers; nothing happens when it is closed.
  void Close() override;

  // The timers' ticks, also callable directly.
  void Timer1_Timer();  // next step of the dots
  void Timer2_Timer();  // back to the top of the stacking order

  QFrame* Frame1;
  QLabel* Label1;
  QTimer* Timer1;
  QTimer* Timer2;
};

}  // namespace corvane
