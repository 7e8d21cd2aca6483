#pragma once
// A push button that shows another caption and background while the pointer is
// over it and a third caption while it is held down. "&" in a caption marks the
// access key (Alt+letter) and "&&" shows a single "&". A disabled button
// delivers no click, by mouse or by keyboard.
#include <QAbstractButton>
#include <QColor>
#include <QString>

namespace corvane {

class HoverButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit HoverButton(QWidget* parent = nullptr);

  QString caption() const { return caption_; }
  void setCaption(const QString& caption);
  QString hovercaption() const { return hovercaption_; }
  void setHovercaption(const QString& text) {
    hovercaption_ = text;
    update();
  }
  QString downcaption() const { return downcaption_; }
  void setDowncaption(const QString& text) {
    downcaption_ = text;
    update();
  }
  QColor hoverbackcolor() const { return hoverbackcolor_; }
  void setHoverbackcolor(const QColor& color) {
    hoverbackcolor_ = color;
    update();
  }

  // Sets `caption` and copies it into `hovercaption` and `downcaption`, so the
  // button shows the same text in every state.
  void setAllCaptions(const QString& caption);

  // The text drawn right now, which depends on hover and pressed state.
  QString shownCaption() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString caption_;
  QString hovercaption_;
  QString downcaption_;
  QColor hoverbackcolor_{255, 255, 255};
  bool hovered_ = false;
};

}  // namespace corvane
