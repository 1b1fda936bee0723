// The controls of the Qt window: each keeps its lengths in twips as they were
// set (so reading back gives what was set) and shows itself with a Qt widget
// placed in whole pixels (TwipsToPixels, never below 0 for a size).
#ifndef ROLVEX_PLATFORM_QT_QT_CONTROLS_H_
#define ROLVEX_PLATFORM_QT_QT_CONTROLS_H_

#include <QFont>
#include <QFrame>
#include <QImage>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/window.h"
#include "platform/window_design.h"

namespace rolvex {

// HinterGrund: the picture stretched over the whole control.
class BackgroundWidget : public QWidget {
 public:
  BackgroundWidget(QImage image, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

// BalkenPicture: a sunken frame whose inner area holds the fill; lengths of
// controls inside it count from the inner area, as in a picture box.
class ProgressFrame : public QFrame {
 public:
  explicit ProgressFrame(QWidget* parent);
  QWidget* inner() const { return inner_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* inner_;
};

// Taste: a flat button in its own back colour that also presses on Enter, as
// a focused command button does.
class ButtonWidget : public QPushButton {
 public:
  explicit ButtonWidget(QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

class QtControl : public Control {
 public:
  // `widget` belongs to its Qt parent; `font_size` 0 means the control has
  // no font of its own (its size is kept but shows nowhere).
  QtControl(ControlId id, QWidget* widget, float twips_per_pixel_x,
            float twips_per_pixel_y);

  float Left() override { return left_; }
  float Top() override { return top_; }
  float Width() override { return width_; }
  float Height() override { return height_; }
  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  bool Visible() override { return visible_; }
  void SetVisible(bool visible) override;
  std::string Caption() override { return caption_; }
  void SetCaption(const std::string& caption) override;
  float FontSize() override { return font_size_; }
  void SetFontSize(float points) override;

  QWidget* widget() const { return widget_; }
  // The control's font object; the window shares it after UseFontOf.
  std::shared_ptr<QFont> font() const { return font_; }

 private:
  void ApplyGeometry();

  QWidget* widget_;
  float tppx_x_, tppx_y_;
  float left_, top_, width_, height_;
  bool visible_;
  std::string caption_;
  float font_size_;
  std::shared_ptr<QFont> font_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_QT_QT_CONTROLS_H_
