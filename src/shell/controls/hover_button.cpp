#include "shell/controls/hover_button.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace corvane {

HoverButton::HoverButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover);
}

void HoverButton::setCaption(const QString& caption) {
  caption_ = caption;
  setText(caption);  // registers the access key
  update();
}

void HoverButton::setAllCaptions(const QString& caption) {
  setCaption(caption);
  setHovercaption(this->caption());
  setDowncaption(this->caption());
}

QString HoverButton::shownCaption() const {
  if (isDown()) return downcaption_;
  if (hovered_ && isEnabled()) return hovercaption_;
  return caption_;
}

QSize HoverButton::sizeHint() const {
  return {89, 33};
}

void HoverButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void HoverButton::keyPressEvent(QKeyEvent* event) {
  // Enter and the keypad's Enter click the focused button, as Space does.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && !event->isAutoRepeat() && (event->modifiers() & ~Qt::KeypadModifier) == 0) {
    click();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}

void HoverButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  option.initFrom(this);
  option.features = QStyleOptionButton::None;
  if (isDown()) option.state |= QStyle::State_Sunken;
  if (!isDown()) option.state |= QStyle::State_Raised;
  bool hoverLook = hovered_ && isEnabled() && !isDown();
  if (hoverLook) option.palette.setColor(QPalette::Button, hoverbackcolor_);
  painter.drawControl(QStyle::CE_PushButtonBevel, option);

  // Captions are long for the button's size: wrap them, and step the font down
  // until the whole text fits rather than clip it.
  QRect area = rect().adjusted(3, 2, -3, -2);
  const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
  QFont f = font();
  QString text = shownCaption();
  for (qreal size = f.pointSizeF(); size > 5.0; size -= 0.25) {
    f.setPointSizeF(size);
    QFontMetrics metrics(f);
    QRect needed = metrics.boundingRect(area, flags, text);
    if (needed.width() <= area.width() && needed.height() <= area.height()) break;
  }
  painter.setFont(f);
  // The hover background is white whatever the palette, so its caption is
  // dark: a dark colour scheme's light text would vanish on it.
  painter.setPen(hoverLook
                     ? QColor(Qt::black)
                     : option.palette.color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                            QPalette::ButtonText));
  painter.drawText(area, flags, text);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(3, 3, -3, -3);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace corvane
