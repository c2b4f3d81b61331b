#include "app/qt/site_link.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "app/site_link.h"
#include "app/texts.h"
#include "platform/controls.h"
#include "platform/text.h"

namespace ostrand::qtapp {

namespace {

QString ToQt(const char* gbk) {
  return QString::fromStdString(GbkToUtf8(gbk));
}

}  // namespace

void MoveWindowWithPointer(QWidget* widget) {
  QWidget* window = widget->window();
  if (QWindow* handle = window->windowHandle())
    handle->startSystemMove();
}

SiteLink::SiteLink(QWidget* parent) : QWidget(parent) {
  const std::string caption = texts::kSiteCaption;
  caption_ = ToQt(caption.empty() ? texts::kSiteAddress : texts::kSiteCaption);
  setCursor(Qt::PointingHandCursor);
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  // The paint routine fills every pixel itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor SiteLink::TextColour() const {
  const Rgb colour = LinkTextColor(hot_, visited_);
  return QColor(colour.r, colour.g, colour.b);
}

void SiteLink::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), palette().color(QPalette::Button));
  painter.setPen(TextColour());
  painter.setFont(CaptionFont());
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, caption_);
}

QFont SiteLink::CaptionFont() const {
  // The box is sized for the narrow GUI font of the other platform; where
  // the caption would not fit, a smaller size keeps the whole address legible.
  QFont caption = font();
  int pixels = QFontInfo(caption).pixelSize();
  caption.setPixelSize(pixels);
  while (pixels > kSmallestCaptionPixels &&
         QFontMetrics(caption).horizontalAdvance(caption_) > width()) {
    caption.setPixelSize(--pixels);
  }
  return caption;
}

void SiteLink::SetHot(bool hot) {
  if (hot_ == hot)
    return;
  hot_ = hot;
  update();
}

void SiteLink::enterEvent(QEnterEvent* event) {
  SetHot(true);
  QWidget::enterEvent(event);
}

void SiteLink::leaveEvent(QEvent* event) {
  SetHot(false);
  QWidget::leaveEvent(event);
}

void SiteLink::mouseMoveEvent(QMouseEvent* event) {
  SetHot(rect().contains(event->position().toPoint()));
  QWidget::mouseMoveEvent(event);
}

void SiteLink::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  visited_ = ui::OpenLinkTarget(texts::kSiteAddress);
  update();
  event->accept();
}

PromoLabel::PromoLabel(QWidget* parent) : QWidget(parent), text_(ToQt(texts::kPromoText)) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PromoLabel::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), palette().color(QPalette::Button));
  painter.setPen(Qt::black);
  painter.setFont(font());
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                   text_);
}

void PromoLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    MoveWindowWithPointer(this);
    event->accept();  // the label itself never sees the press
    return;
  }
  QWidget::mousePressEvent(event);
}

}  // namespace ostrand::qtapp
