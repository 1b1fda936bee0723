#include "platform/qt/qt_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QLabel>
#include <QScreen>
#include <QSessionManager>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "platform/background_bitmap.h"
#include "platform/exit_status.h"
#include "platform/qt/qt_text.h"
#include "platform/run_error.h"
#include "platform/window_design.h"

namespace rolvex {
namespace {

QColor Grey(int level) { return QColor(level, level, level); }

void FillWith(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  palette.setColor(QPalette::Button, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

// The top-level window. Closing it (a window manager's close, Alt+F4) is the
// exit button's click while that button is shown, so that the program still
// ends one way only; without it (the unattended modes) the window stays.
class MainWidget : public QWidget {
 public:
  std::function<void()> on_close;

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (on_close) on_close();
  }
};

float TwipsPerPixel(qreal dots_per_inch) {
  return dots_per_inch > 0 ? static_cast<float>(1440.0 / dots_per_inch) : 15;
}

QScreen* PrimaryScreen() { return QGuiApplication::primaryScreen(); }

QLabel* MakeLabel(QWidget* parent, bool opaque) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(false);
  label->setFocusPolicy(Qt::NoFocus);
  if (opaque) FillWith(label, Grey(229));
  return label;
}

ButtonWidget* MakeButton(QWidget* parent) {
  auto* button = new ButtonWidget(parent);
  // The graphical button style: the back colour shows, with a raised 3D
  // edge that sinks while pressed and a dark frame while it has the focus.
  button->setStyleSheet(
      "QPushButton { background-color: rgb(231,231,231); color: black;"
      " border: 2px outset rgb(200,200,200); }"
      "QPushButton:focus { background-color: rgb(231,231,231);"
      " border: 2px outset rgb(64,64,64); outline: none; }"
      "QPushButton:pressed { border-style: inset; }");
  return button;
}

}  // namespace

QtWindow::QtWindow(QtWindowOptions options)
    : options_(std::move(options)),
      width_(kDesignWindowWidth),
      height_(kDesignWindowHeight) {
  QScreen* screen = PrimaryScreen();
  tppx_x_ = TwipsPerPixel(screen ? screen->logicalDotsPerInchX() : 96);
  tppx_y_ = TwipsPerPixel(screen ? screen->logicalDotsPerInchY() : 96);

  auto main = std::make_unique<MainWidget>();
  main->on_close = [this] {
    if (control(ControlId::kTaste1).Visible()) OnClick(1);
  };
  main_ = std::move(main);
  main_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  main_->setWindowTitle(QStringLiteral("Rolvex"));
  FillWith(main_.get(), Grey(229));

  auto add = [this](ControlId id, QWidget* widget) {
    controls_[static_cast<int>(id)] =
        std::make_unique<QtControl>(id, widget, tppx_x_, tppx_y_);
  };
  QWidget* w = main_.get();
  // Made in the designed tab order (BalkenPicture, FrageLabel, Taste(1),
  // Taste(0), Label(3), Label(2), Label(1)), so that Taste(1), the first
  // control that takes the focus, holds it when the window shows.
  QImage picture = QImage::fromData(kBackgroundBitmap,
                                    static_cast<int>(kBackgroundBitmapSize));
  add(ControlId::kHinterGrund, new BackgroundWidget(picture, w));
  auto* frame = new ProgressFrame(w);
  FillWith(frame, Grey(231));
  add(ControlId::kBalkenPicture, frame);
  auto* fill = new QWidget(frame->inner());
  FillWith(fill, QColor(0, 0, 192));
  add(ControlId::kBalkenShape, fill);
  add(ControlId::kFrageLabel, MakeLabel(w, /*opaque=*/true));
  auto* exit_button = MakeButton(w);
  auto* start_button = MakeButton(w);
  add(ControlId::kTaste1, exit_button);
  add(ControlId::kTaste0, start_button);
  add(ControlId::kLabel3, MakeLabel(w, /*opaque=*/false));
  add(ControlId::kLabel2, MakeLabel(w, /*opaque=*/false));
  add(ControlId::kLabel1, MakeLabel(w, /*opaque=*/false));
  QWidget::setTabOrder(exit_button, start_button);
  // The picture lies beneath every other control.
  controls_[static_cast<int>(ControlId::kHinterGrund)]->widget()->lower();

  QObject::connect(start_button, &QPushButton::clicked, [this] { OnClick(0); });
  QObject::connect(exit_button, &QPushButton::clicked, [this] { OnClick(1); });

  font_ = std::make_shared<QFont>(DesignFont(kDesignWindowFontSize));
  ApplyGeometry();
}

QtWindow::~QtWindow() = default;

Control& QtWindow::control(ControlId id) {
  return *controls_[static_cast<int>(id)];
}

void QtWindow::ApplyGeometry() {
  main_->setGeometry(TwipsToPixels(left_, tppx_x_),
                     TwipsToPixels(top_, tppx_y_),
                     std::max(1, TwipsToPixels(width_, tppx_x_)),
                     std::max(1, TwipsToPixels(height_, tppx_y_)));
}

void QtWindow::SetLeft(float twips) {
  left_ = twips;
  ApplyGeometry();
}

void QtWindow::SetTop(float twips) {
  top_ = twips;
  ApplyGeometry();
}

void QtWindow::SetWidth(float twips) {
  width_ = twips;
  ApplyGeometry();
}

void QtWindow::SetHeight(float twips) {
  height_ = twips;
  ApplyGeometry();
}

void QtWindow::UseFontOf(ControlId id) {
  font_ = controls_[static_cast<int>(id)]->font();
}

float QtWindow::TextWidth(const std::string& text) {
  // A text of several lines is as wide as its widest line; a CR before a
  // line feed belongs to the line break. The text is decoded whole, as the
  // label shows it.
  QFontMetricsF metrics(*font_);
  qreal widest = 0;
  for (QString line : DecodeAnsi(text).split(QLatin1Char('\n'))) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  return static_cast<float>(widest) * tppx_x_;
}

float QtWindow::ScreenWidthTwips() {
  QScreen* screen = PrimaryScreen();
  return static_cast<float>(screen ? screen->geometry().width() : 1024) *
         tppx_x_;
}

float QtWindow::ScreenHeightTwips() {
  QScreen* screen = PrimaryScreen();
  return static_cast<float>(screen ? screen->geometry().height() : 768) *
         tppx_y_;
}

void QtWindow::BringToFront() { main_->raise(); }

void QtWindow::Show() {
  main_->show();
  main_->raise();
  if (!topmost_) main_->activateWindow();
}

void QtWindow::SetTopmostNoActivate(int x, int y, int cx, int cy) {
  topmost_ = true;
  const bool was_visible = main_->isVisible();
  main_->setAttribute(Qt::WA_ShowWithoutActivating);
  // Changing the flags makes a new native window, which is hidden until it
  // is shown again.
  main_->setWindowFlags(main_->windowFlags() | Qt::WindowStaysOnTopHint |
                        Qt::WindowDoesNotAcceptFocus);
  // The measures in pixels are the window's now.
  left_ = TwipsAtPixel(left_, x, tppx_x_);
  top_ = TwipsAtPixel(top_, y, tppx_y_);
  width_ = TwipsAtPixel(width_, cx, tppx_x_);
  height_ = TwipsAtPixel(height_, cy, tppx_y_);
  main_->setGeometry(x, y, std::max(1, cx), std::max(1, cy));
  if (was_visible) main_->show();
}

void QtWindow::EndIfSessionEnded() {
  if (!run_in_progress_ || !options_.session_ended ||
      !options_.session_ended()) {
    return;
  }
  if (session_end_handler_) session_end_handler_();
  EndProgram(kExitFailure);
}

void QtWindow::DoEvents() {
  EndIfSessionEnded();
  QCoreApplication::processEvents();
  // Clicks that came while the window was only kept responsive run here,
  // where clicks are due.
  while (!deferred_clicks_.empty()) {
    const int index = deferred_clicks_.front();
    deferred_clicks_.erase(deferred_clicks_.begin());
    OnClick(index);
  }
}

void QtWindow::KeepResponsive() {
  EndIfSessionEnded();
  keeping_responsive_ = true;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  keeping_responsive_ = false;
}

void QtWindow::SetRunInProgress(bool in_progress) {
  if (in_progress && !run_in_progress_) {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app) {
      QObject::connect(app, &QGuiApplication::commitDataRequest, app,
                       [this](QSessionManager& manager) {
                         if (!run_in_progress_) return;
                         if (manager.allowsInteraction()) {
                           manager.cancel();
                         } else if (session_end_handler_) {
                           // The session ends without asking anyone.
                           session_end_handler_();
                         }
                       });
    }
  }
  run_in_progress_ = in_progress;
  if (options_.hold_session) options_.hold_session(in_progress);
}

void QtWindow::OnClick(int index) {
  if (ending_ || !click_handler_) return;
  // The window system's input waits by itself; a click that reaches a
  // button all the same (a posted event, a close) waits here.
  if (keeping_responsive_) {
    deferred_clicks_.push_back(index);
    return;
  }
  // An exception must not travel through Qt's event processing; the run
  // handles its own failures, so whatever arrives here is reported and ends
  // the program.
  try {
    click_handler_(index);
  } catch (const RunError& error) {
    std::cerr << "rolvex: run-time error " << error.number() << ": "
              << error.description() << " (" << error.source() << ")\n";
    EndProgram(kExitFailure);
  } catch (const std::exception& error) {
    std::cerr << "rolvex: " << error.what() << '\n';
    EndProgram(kExitFailure);
  }
}

[[noreturn]] void QtWindow::EndProgram(int exit_status) {
  ending_ = true;  // a click during the hold does not end it twice
  if (options_.hold_before_end_ms > 0) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < options_.hold_before_end_ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      QThread::msleep(20);
    }
  }
  main_->hide();
  QCoreApplication::processEvents();
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::_Exit(exit_status);
}

}  // namespace rolvex
