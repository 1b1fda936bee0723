#include "platform/qt/qt_controls.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "platform/qt/qt_text.h"
#include "platform/window_design.h"

namespace rolvex {

BackgroundWidget::BackgroundWidget(QImage image, QWidget* parent)
    : QWidget(parent), image_(std::move(image)) {
  setAttribute(Qt::WA_OpaquePaintEvent, !image_.isNull());
}

void BackgroundWidget::paintEvent(QPaintEvent*) {
  if (image_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), image_);
}

ProgressFrame::ProgressFrame(QWidget* parent)
    : QFrame(parent), inner_(new QWidget(this)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  inner_->setGeometry(contentsRect());
}

void ProgressFrame::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  inner_->setGeometry(contentsRect());
}

ButtonWidget::ButtonWidget(QWidget* parent) : QPushButton(parent) {
  setFlat(true);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);
}

void ButtonWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    click();
    return;
  }
  QPushButton::keyPressEvent(event);
}

QtControl::QtControl(ControlId id, QWidget* widget, float twips_per_pixel_x,
                     float twips_per_pixel_y)
    : widget_(widget), tppx_x_(twips_per_pixel_x), tppx_y_(twips_per_pixel_y) {
  const ControlDesign& d = DesignOf(id);
  left_ = d.left;
  top_ = d.top;
  width_ = d.width;
  height_ = d.height;
  visible_ = d.visible;
  font_size_ = d.font_size;
  font_ = std::make_shared<QFont>(
      DesignFont(d.font_size > 0 ? d.font_size : kDesignWindowFontSize));
  if (d.font_size > 0) widget_->setFont(*font_);
  ApplyGeometry();
  SetCaption(d.caption);
  widget_->setVisible(visible_);
}

void QtControl::ApplyGeometry() {
  widget_->setGeometry(TwipsToPixels(left_, tppx_x_),
                       TwipsToPixels(top_, tppx_y_),
                       std::max(0, TwipsToPixels(width_, tppx_x_)),
                       std::max(0, TwipsToPixels(height_, tppx_y_)));
}

void QtControl::SetLeft(float twips) {
  left_ = twips;
  ApplyGeometry();
}

void QtControl::SetTop(float twips) {
  top_ = twips;
  ApplyGeometry();
}

void QtControl::SetWidth(float twips) {
  width_ = twips;
  ApplyGeometry();
}

void QtControl::SetHeight(float twips) {
  height_ = twips;
  ApplyGeometry();
}

void QtControl::SetVisible(bool visible) {
  visible_ = visible;
  widget_->setVisible(visible);
}

void QtControl::SetCaption(const std::string& caption) {
  caption_ = caption;
  // A label shows the text as it is ("&" included, each line feed a new
  // line); a button reads "&" as its mnemonic, as a command button does.
  if (auto* label = dynamic_cast<QLabel*>(widget_)) {
    label->setText(DecodeAnsi(caption));
  } else if (auto* button = dynamic_cast<QAbstractButton*>(widget_)) {
    button->setText(DecodeAnsi(caption));
  }
}

void QtControl::SetFontSize(float points) {
  font_size_ = points;
  // The font object is changed in place, so a window sharing it measures
  // with the new size too.
  font_->setPointSizeF(points > 0 ? points : 1);
  widget_->setFont(*font_);
}

}  // namespace rolvex
