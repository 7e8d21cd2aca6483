#include "shell/app_icon.h"

namespace corvane {

QIcon AppIcon() {
  QIcon builtIn(QStringLiteral(":/corvane/corvane.png"));
  for (int size : {32, 48, 64, 128, 256})
    builtIn.addFile(QStringLiteral(":/corvane/icons/corvane-%1.png").arg(size), QSize(size, size));
  return QIcon::fromTheme(QStringLiteral("net.halvek.Corvane"), builtIn);
}

}  // namespace corvane
