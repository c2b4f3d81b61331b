// SiteLink and PromoLabel: the two painted controls of MainWindow.
#pragma once

#include <QWidget>

namespace ostrand::qtapp {

// The caption drawn centred like a web link, in the colour of its state:
// hot while the pointer is over it, visited after a successful open.
class SiteLink final : public QWidget {
 public:
  explicit SiteLink(QWidget* parent);

  bool IsHot() const { return hot_; }
  bool IsVisited() const { return visited_; }
  QColor TextColour() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void SetHot(bool hot);
  QFont CaptionFont() const;

  static constexpr int kSmallestCaptionPixels = 9;

  QString caption_;
  bool hot_ = false;
  bool visited_ = false;
};

// One line of promotional text. A press on it moves the window instead.
class PromoLabel final : public QWidget {
 public:
  explicit PromoLabel(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QString text_;
};

// Starts the window system's own move of the window that holds widget.
void MoveWindowWithPointer(QWidget* widget);

}  // namespace ostrand::qtapp
