#pragma once
// A smooth horizontal bar with its caption drawn over it: the caption text,
// then the percentage, then `textaftercaption` ("Deleting Files - 42%").
// Value and maximum are 64-bit, so no count of work can overflow them.
#include <QString>
#include <QWidget>
#include <cstdint>

namespace corvane {

class CaptionProgressBar : public QWidget {
  Q_OBJECT
 public:
  explicit CaptionProgressBar(QWidget* parent = nullptr);

  int64_t value() const { return value_; }
  void setValue(int64_t value);
  int64_t max() const { return max_; }
  void setMax(int64_t max);
  QString captionText() const { return caption_; }
  void setCaptionText(const QString& text) {
    caption_ = text;
    update();
  }
  QString textaftercaption() const { return after_; }
  void setTextaftercaption(const QString& text) {
    after_ = text;
    update();
  }
  bool smooth() const { return true; }

  // Whole percent of value to maximum, clamped to 0..100.
  int percent() const;
  // What the bar shows over itself; empty while it is reset.
  QString shownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Tells screen readers about a new percentage.
  void AnnounceIfChanged(int percentBefore);

  int64_t value_ = 0;
  int64_t max_ = 100;
  QString caption_;
  QString after_ = QStringLiteral("%");
};

}  // namespace corvane
