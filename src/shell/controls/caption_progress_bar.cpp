#include "shell/controls/caption_progress_bar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyleOptionFrame>
#include <mutex>

namespace corvane {

namespace {
// What screen readers see: a progress bar whose value is the percentage shown.
class AccessibleCaptionProgressBar : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit AccessibleCaptionProgressBar(CaptionProgressBar* bar)
      : QAccessibleWidget(bar, QAccessible::ProgressBar) {}
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return QString::number(bar()->percent()) + QLatin1Char('%');
    return QAccessibleWidget::text(t);
  }
  QVariant currentValue() const override { return bar()->percent(); }
  void setCurrentValue(const QVariant&) override {}  // read-only
  QVariant maximumValue() const override { return 100; }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }

 private:
  CaptionProgressBar* bar() const { return static_cast<CaptionProgressBar*>(widget()); }
};

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String("corvane::CaptionProgressBar") && object->isWidgetType())
    return new AccessibleCaptionProgressBar(static_cast<CaptionProgressBar*>(object));
  return nullptr;
}
}  // namespace

CaptionProgressBar::CaptionProgressBar(QWidget* parent) : QWidget(parent) {
  QFont f(QStringLiteral("Verdana"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(9.75);
  f.setBold(true);
  setFont(f);
  static std::once_flag registered;
  std::call_once(registered, [] { QAccessible::installFactory(AccessibleFactory); });
}

void CaptionProgressBar::setValue(int64_t value) {
  // Repaint only when what is shown changes: a run may advance the bar millions
  // of times. The text follows the percentage, except that it is empty at 0
  // with no caption.
  const int before = percent();
  const bool was_empty = caption_.isEmpty() && value_ == 0;
  value_ = value;
  const bool empty = caption_.isEmpty() && value_ == 0;
  if (percent() == before && empty == was_empty) return;
  update();
  AnnounceIfChanged(before);
}

void CaptionProgressBar::setMax(int64_t max) {
  const int before = percent();
  max_ = max;
  update();
  AnnounceIfChanged(before);
}

void CaptionProgressBar::AnnounceIfChanged(int percentBefore) {
  if (percent() == percentBefore || !QAccessible::isActive()) return;
  QAccessibleValueChangeEvent changed(this, percent());
  QAccessible::updateAccessibility(&changed);
}

int CaptionProgressBar::percent() const {
  if (max_ <= 0 || value_ <= 0) return 0;
  if (value_ >= max_) return 100;
  // value < max here, so value * 100 could overflow only for values beyond 2^56.
  if (value_ < (INT64_MAX / 100)) return static_cast<int>(value_ * 100 / max_);
  return static_cast<int>(static_cast<long double>(value_) * 100 / static_cast<long double>(max_));
}

QString CaptionProgressBar::shownText() const {
  if (caption_.isEmpty() && value_ == 0) return {};
  return caption_ + QString::number(percent()) + after_;
}

void CaptionProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect frame = rect();
  painter.fillRect(frame, palette().color(QPalette::Base));
  int filled = (frame.width() - 2) * percent() / 100;
  QRect bar(frame.left() + 1, frame.top() + 1, filled, frame.height() - 2);
  painter.fillRect(bar, palette().color(QPalette::Highlight));
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(frame.adjusted(0, 0, -1, -1));

  QString text = shownText();
  painter.setFont(font());
  // The text changes colour where the bar passes under it.
  painter.setPen(palette().color(QPalette::Text));
  painter.drawText(frame, Qt::AlignCenter, text);
  painter.setClipRect(bar);
  painter.setPen(palette().color(QPalette::HighlightedText));
  painter.drawText(frame, Qt::AlignCenter, text);
}

}  // namespace corvane
