#pragma once
// What Qt does not ask of the window manager: keeping a secondary window out
// of the taskbar and the pager, and knowing at once which window is active.
class QWidget;

namespace corvane {

// Call before each show: a window manager forgets these states whenever the
// window is hidden. Nothing happens outside X11.
void SkipTaskbarAndPager(QWidget& window);

// True when `window` is the active window. On X11 the window manager's word
// is taken: Qt learns that another program came to the front only some time
// later. Without a window manager that says, Qt's own idea decides.
bool IsActiveWindow(const QWidget& window);

}  // namespace corvane
