// The Qt window on Qt's offscreen platform (QT_QPA_PLATFORM=offscreen, set by
// main below when nothing else is chosen).
#include "platform/qt/qt_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/background_bitmap.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_text.h"

namespace rolvex {
namespace {

class QtWindowTest : public ::testing::Test {
 protected:
  QtWindowTest()
      : window_([] {
          QtWindowOptions options;
          options.command_line = "2";
          options.program_directory = "C:\\ServicePacks";
          return options;
        }()) {}
  QWidget* WidgetOf(ControlId id) {
    return static_cast<QtControl&>(window_.control(id)).widget();
  }
  QtWindow window_;
};

TEST(TwipsToPixelsTest, NearestPixelWithHalvesToEven) {
  EXPECT_EQ(TwipsToPixels(11460, 15), 764);
  EXPECT_EQ(TwipsToPixels(2812.5f, 15), 188);  // 187.5 -> 188
  EXPECT_EQ(TwipsToPixels(2797.5f, 15), 186);  // 186.5 -> 186
  EXPECT_EQ(TwipsToPixels(7, 15), 0);
  EXPECT_EQ(TwipsToPixels(8, 15), 1);
  EXPECT_EQ(TwipsToPixels(3600, 12), 300);
}

TEST_F(QtWindowTest, LengthsReadBackAsSetAndShowInWholePixels) {
  const float tppx = window_.TwipsPerPixelX();
  ASSERT_GT(tppx, 0);
  Control& label = window_.control(ControlId::kFrageLabel);
  label.SetLeft(11460);
  label.SetTop(2100);
  label.SetWidth(2812.5f);  // 800-pixel screens give halves
  label.SetHeight(2145);
  EXPECT_EQ(label.Left(), 11460);
  EXPECT_EQ(label.Width(), 2812.5f);
  const QRect r = WidgetOf(ControlId::kFrageLabel)->geometry();
  EXPECT_EQ(r.x(), TwipsToPixels(11460, tppx));
  EXPECT_EQ(r.y(), TwipsToPixels(2100, window_.TwipsPerPixelY()));
  EXPECT_EQ(r.width(), TwipsToPixels(2812.5f, tppx));

  window_.SetWidth(15360);
  window_.SetLeft(7.5f);
  EXPECT_EQ(window_.Width(), 15360);
  EXPECT_EQ(window_.Left(), 7.5f);
  EXPECT_EQ(window_.widget()->width(), TwipsToPixels(15360, tppx));
}

TEST_F(QtWindowTest, FillCountsFromTheInsideOfTheProgressFrame) {
  QWidget* frame = WidgetOf(ControlId::kBalkenPicture);
  QWidget* fill = WidgetOf(ControlId::kBalkenShape);
  EXPECT_NE(fill->parentWidget(), window_.widget());
  EXPECT_EQ(fill->parentWidget()->parentWidget(), frame);
  window_.control(ControlId::kBalkenShape).SetWidth(0);
  EXPECT_EQ(fill->width(), 0);
  EXPECT_EQ(window_.control(ControlId::kBalkenShape).Width(), 0);
}

TEST_F(QtWindowTest, PanelPixelsBecomeTheWindowMeasuresUnlessAlreadyShown) {
  const float tppx = window_.TwipsPerPixelX();
  window_.SetLeft(11460);
  window_.SetWidth(2812.5f);
  window_.SetTopmostNoActivate(TwipsToPixels(11460, tppx), 90,
                               TwipsToPixels(2812.5f, tppx), 234);
  EXPECT_EQ(window_.Left(), 11460);
  EXPECT_EQ(window_.Width(), 2812.5f);  // the same pixels: kept as set
  EXPECT_EQ(window_.Top(), 90 * window_.TwipsPerPixelY());
  EXPECT_TRUE(window_.widget()->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window_.widget()->windowFlags() & Qt::WindowDoesNotAcceptFocus);
  EXPECT_EQ(
      window_.widget()->geometry(),
      QRect(TwipsToPixels(11460, tppx), 90, TwipsToPixels(2812.5f, tppx), 234));
}

TEST_F(QtWindowTest, TextWidthGrowsWithTheTextAndIsTheWidestLine) {
  EXPECT_EQ(window_.TextWidth(""), 0);
  const float one = window_.TextWidth("W");
  EXPECT_GT(one, 0);
  float previous = 0;
  std::string text;
  for (char c : std::string("Copying C:\\Windows\\Fonts\\Sans.ttf")) {
    text += c;
    const float width = window_.TextWidth(text);
    EXPECT_GE(width, previous) << text;
    previous = width;
  }
  EXPECT_GT(window_.TextWidth("WW"), one);
  // Several lines measure as the widest.
  EXPECT_EQ(window_.TextWidth("ab\r\nKopiere Datei\nx"),
            window_.TextWidth("Kopiere Datei"));
}

TEST_F(QtWindowTest, WindowMeasuresWithTheSharedFontOfTheLabel) {
  Control& label = window_.control(ControlId::kFrageLabel);
  const std::string text = "Standard files are installed";
  const float own = window_.TextWidth(text);
  label.SetFontSize(24);
  EXPECT_EQ(window_.TextWidth(text), own);  // not shared yet
  window_.UseFontOf(ControlId::kFrageLabel);
  const float at24 = window_.TextWidth(text);
  EXPECT_GT(at24, own);
  // A later size change of the label's font is the window's too.
  label.SetFontSize(8);
  EXPECT_LT(window_.TextWidth(text), at24);
  EXPECT_EQ(label.FontSize(), 8);
  EXPECT_EQ(WidgetOf(ControlId::kFrageLabel)->font().pointSizeF(), 8);
}

TEST_F(QtWindowTest, StartsWithTheDesignedControls) {
  EXPECT_TRUE(window_.control(ControlId::kFrageLabel).Visible());
  EXPECT_FALSE(window_.control(ControlId::kBalkenPicture).Visible());
  EXPECT_FALSE(window_.control(ControlId::kTaste0).Visible());
  EXPECT_EQ(window_.control(ControlId::kLabel1).FontSize(), 14.25f);
  auto* start = static_cast<QPushButton*>(WidgetOf(ControlId::kTaste0));
  auto* exit = static_cast<QPushButton*>(WidgetOf(ControlId::kTaste1));
  EXPECT_EQ(start->text(), "Start Service Pack ");
  EXPECT_TRUE(start->font().bold());
  // The exit button comes first in the tab order, then the start button.
  EXPECT_EQ(exit->nextInFocusChain(), start);
  EXPECT_EQ(window_.widget()->windowTitle(), "Rolvex");
  EXPECT_TRUE(window_.widget()->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(QtWindowTest, StatusCaptionShowsEachLineAsItIs) {
  Control& label = window_.control(ControlId::kFrageLabel);
  label.SetCaption("\n\nR&D <b>files</b>\nlast");
  auto* qlabel = static_cast<QLabel*>(WidgetOf(ControlId::kFrageLabel));
  EXPECT_EQ(qlabel->text(), "\n\nR&D <b>files</b>\nlast");
  EXPECT_EQ(qlabel->textFormat(), Qt::PlainText);
  EXPECT_FALSE(qlabel->wordWrap());
  EXPECT_EQ(label.Caption(), "\n\nR&D <b>files</b>\nlast");
}

TEST_F(QtWindowTest, ButtonClickReachesTheHandlerWithItsIndex) {
  std::vector<int> clicks;
  window_.SetClickHandler([&](int index) { clicks.push_back(index); });
  static_cast<QPushButton*>(WidgetOf(ControlId::kTaste1))->click();
  static_cast<QPushButton*>(WidgetOf(ControlId::kTaste0))->click();
  EXPECT_THAT(clicks, ::testing::ElementsAre(1, 0));
}

TEST_F(QtWindowTest, ExitButtonHoldsTheFocusFirstThenStart) {
  window_.control(ControlId::kTaste0).SetVisible(true);
  window_.control(ControlId::kTaste1).SetVisible(true);
  window_.Show();
  window_.DoEvents();
  QWidget* exit_button = WidgetOf(ControlId::kTaste1);
  QWidget* start_button = WidgetOf(ControlId::kTaste0);
  EXPECT_EQ(window_.widget()->focusWidget(), exit_button);
  EXPECT_EQ(exit_button->nextInFocusChain(), start_button);
}

// KeepResponsive paints but takes no input: the clicks wait for DoEvents.
TEST_F(QtWindowTest, DoEventsRunsQueuedClicksInsideTheCall) {
  std::vector<int> clicks;
  window_.SetClickHandler([&](int index) { clicks.push_back(index); });
  window_.control(ControlId::kTaste0).SetVisible(true);
  window_.control(ControlId::kTaste1).SetVisible(true);
  window_.Show();
  for (ControlId id : {ControlId::kTaste1, ControlId::kTaste0}) {
    QWidget* button = WidgetOf(id);
    const QPointF at(5, 5);
    const QPointF global = button->mapToGlobal(at);
    QCoreApplication::postEvent(
        button,
        new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(
        button, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
  }
  window_.KeepResponsive();
  EXPECT_TRUE(clicks.empty());
  window_.DoEvents();
  EXPECT_THAT(clicks, ::testing::ElementsAre(1, 0));
}

TEST_F(QtWindowTest, UnattendedShowsNoBox) {
  window_.SetUnattended();
  EXPECT_EQ(window_.MessageBox("x", kMbAbortRetryIgnoreCritical, ""),
            kAnswerNone);
}

TEST_F(QtWindowTest, ClosingTheWindowPressesTheExitButtonOnlyWhenShown) {
  // An unattended run has no exit button, and closing its window (Alt+F4)
  // must not end the run as that button would.
  std::vector<int> clicks;
  window_.SetClickHandler([&](int index) { clicks.push_back(index); });
  window_.widget()->close();
  EXPECT_TRUE(clicks.empty());
  window_.control(ControlId::kTaste1).SetVisible(true);
  window_.widget()->close();
  EXPECT_THAT(clicks, ::testing::ElementsAre(1));
}

TEST(DecodeAnsiTest, Utf8StaysAndWindows1252IsDecoded) {
  EXPECT_EQ(DecodeAnsi("Schlie\xc3\x9f"
                       "en"),
            QString::fromUtf8("Schließen"));
  EXPECT_EQ(DecodeAnsi("Schlie\xdf"
                       "en"),
            QString::fromUtf8("Schließen"));
  EXPECT_EQ(DecodeAnsi("\x80 \x9f \xe4"), QString::fromUtf8("€ Ÿ ä"));
  EXPECT_EQ(DecodeAnsi("\x81").at(0).unicode(), 0x81);
  EXPECT_EQ(DecodeAnsi(""), QString());
}

// Qt's bitmap reader decodes the run-length encoded picture: spots whose
// colours the picture's generator paints flat.
TEST(BackgroundBitmapTest, DecodesToTheDesignedPicture) {
  ASSERT_GT(kBackgroundBitmapSize, 1078u);
  EXPECT_EQ(kBackgroundBitmap[0], 'B');
  EXPECT_EQ(kBackgroundBitmap[30], 1);  // BI_RLE8
  EXPECT_EQ(kBackgroundBitmap[28], 8);  // bits per pixel
  const QImage image = QImage::fromData(
      kBackgroundBitmap, static_cast<int>(kBackgroundBitmapSize), "BMP");
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(800, 600));
  auto near = [](QRgb got, int r, int g, int b) {
    return std::abs(qRed(got) - r) <= 3 && std::abs(qGreen(got) - g) <= 3 &&
           std::abs(qBlue(got) - b) <= 3;
  };
  EXPECT_TRUE(near(image.pixel(400, 0), 232, 237, 244));  // sky, top row
  EXPECT_TRUE(near(image.pixel(36, 50), 0, 0, 192));      // the ring
  EXPECT_TRUE(near(image.pixel(58, 50), 230, 235, 243))
      << std::hex << image.pixel(58, 50);                  // inside the ring
  EXPECT_TRUE(near(image.pixel(300, 81), 150, 170, 205));  // the line
  EXPECT_TRUE(near(image.pixel(400, 599), 36, 56, 100));   // front band
}

}  // namespace
}  // namespace rolvex

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
