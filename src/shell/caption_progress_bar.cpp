#include "shell/caption_progress_bar.h"

#include <QPainter>
#include <QStyleOptionFrame>

namespace corvane {

CaptionProgressBar::CaptionProgressBar(QWidget* parent) : QWidget(parent) {
  QFont f(QStringLiteral("Verdana"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(9.75);
  f.setBold(true);
  setFont(f);
}

void CaptionProgressBar::setValue(int64_t value) {
  value_ = value;
  // Repaint only when what is shown changes: a run may advance the bar millions
  // of times.
  // The text follows the percentage, except that it is empty at 0 with no
  // caption; comparing those two avoids building the text each time.
  bool empty = caption_.isEmpty() && value_ == 0;
  if (percent() != painted_percent_ || empty != painted_text_.isEmpty()) update();
}

void CaptionProgressBar::setMax(int64_t max) {
  max_ = max;
  update();
}

void CaptionProgressBar::setCaptionText(const QString& text) {
  caption_ = text;
  update();
}

void CaptionProgressBar::setTextaftercaption(const QString& text) {
  after_ = text;
  update();
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
  painted_percent_ = percent();
  painted_text_ = text;
}

}  // namespace corvane
