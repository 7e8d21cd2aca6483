#include "scan/msg.h"

#include <QGuiApplication>
#include <QScreen>

#include "shell/controls/window_manager.h"

namespace corvane {

namespace {
// Without a window system there is no stacking order to keep.
bool HasStackingOrder() {
  static const bool has = QGuiApplication::platformName() != QLatin1String("offscreen") &&
                          QGuiApplication::platformName() != QLatin1String("minimal");
  return has;
}

// Above Corvane's own windows only: while another program is in front, the
// wait window stays where the window manager put it, with its main window.
void RaiseWhileActive(QWidget& window) {
  QWidget* owner = window.parentWidget();
  if (HasStackingOrder() && (owner == nullptr || IsActiveWindow(*owner))) window.raise();
}
}  // namespace

msg::msg(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setObjectName(QStringLiteral("msg"));
  setWindowTitle(QStringLiteral("Form2"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  // Only the main window's close ends the program.
  setAttribute(Qt::WA_QuitOnClose, false);
  setFocusPolicy(Qt::NoFocus);
  // 4320 x 705 twips at 15 twips a pixel.
  setFixedSize(288, 47);

  Frame1 = new QFrame(this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setFrameShape(QFrame::Box);
  Frame1->setFrameShadow(QFrame::Sunken);
  Frame1->setGeometry(4, 0, 281, 41);

  Label1 = new QLabel(QString::fromLatin1(kWaitThreeDots), Frame1);
  Label1->setObjectName(QStringLiteral("Label1"));
  QFont font(QStringLiteral("Verdana"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(9);
  font.setWeight(QFont::Bold);
  Label1->setFont(font);
  Label1->setGeometry(16, 16, 253, 17);

  Timer1 = new QTimer(this);
  Timer1->setInterval(500);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
  Timer2 = new QTimer(this);
  Timer2->setInterval(1);
  connect(Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
}

void msg::Show() {
  Label1->setText(QString::fromLatin1(kWaitThreeDots));
  if (QWidget* owner = parentWidget()) {
    move(owner->frameGeometry().center() - rect().center());
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  if (!isVisible()) SkipTaskbarAndPager(*this);
  show();
  RaiseWhileActive(*this);
  Timer1->start();
  Timer2->start();
}

void msg::Close() {
  Timer1->stop();
  Timer2->stop();
  hide();
}

void msg::Timer1_Timer() {
  static const char* const kCycle[] = {kWaitThreeDots, kWaitOneDot, kWaitTwoDots};
  for (size_t i = 0; i < 3; ++i) {
    if (Label1->text() == QLatin1String(kCycle[i]))
      return Label1->setText(QString::fromLatin1(kCycle[(i + 1) % 3]));
  }
}

void msg::Timer2_Timer() {
  // raise() restacks without activating, unlike activateWindow().
  if (isVisible()) RaiseWhileActive(*this);
}

}  // namespace corvane
