#pragma once
// Corvane's icon for its windows and taskbar entries.
#include <QIcon>

namespace corvane {

// The desktop theme's icon when installed, else the sizes built into the
// program, so that a taskbar or Alt+Tab never scales up a 16 x 16 image.
QIcon AppIcon();

}  // namespace corvane
