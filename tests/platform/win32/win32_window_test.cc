// The native window under a real (or virtual) display. Without a display
// Wine cannot make windows; the tests are then skipped.
#include "platform/win32/win32_window.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/background_bitmap.h"
#include "platform/win32/win32_fonts.h"
#include "platform/win32/win32_picture.h"

namespace rolvex {
namespace {

class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<Win32Window>(GetModuleHandleA(nullptr));
    if (!IsWindow(window_->hwnd())) GTEST_SKIP() << "no display for windows";
  }

  Win32Control& Native(ControlId id) {
    return static_cast<Win32Control&>(window_->control(id));
  }

  std::unique_ptr<Win32Window> window_;
};

TEST_F(Win32WindowTest, StartsWithTheDesignedLayoutWithoutFrame) {
  const float tx = window_->TwipsPerPixelX();
  EXPECT_FLOAT_EQ(tx, 1440.0f / 96);  // Wine's and Windows' default
  EXPECT_FLOAT_EQ(window_->Width(), 15360);
  EXPECT_FLOAT_EQ(window_->Height(), 11520);
  Control& label = window_->control(ControlId::kFrageLabel);
  EXPECT_FLOAT_EQ(label.Top(), 750);
  EXPECT_FLOAT_EQ(label.Width(), 3600);
  EXPECT_TRUE(label.Visible());
  EXPECT_FLOAT_EQ(label.FontSize(), 12);
  EXPECT_FALSE(window_->control(ControlId::kTaste0).Visible());
  EXPECT_EQ(window_->control(ControlId::kTaste0).Caption(),
            "Start Service Pack ");
  EXPECT_FLOAT_EQ(window_->control(ControlId::kLabel1).FontSize(), 14.25f);

  LONG style = GetWindowLongA(window_->hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
  char title[16] = "x";
  GetWindowTextA(window_->hwnd(), title, sizeof title);
  EXPECT_STREQ(title, "");
}

// The lengths set are kept, fractions too, and shown at the nearest pixel
// with halves to even, as start-up rounds the panel's pixels.
TEST_F(Win32WindowTest, LengthsReadBackAsSetAndShowAtTheNearestPixel) {
  Control& label = window_->control(ControlId::kLabel1);
  label.SetWidth(3749.9f);  // 249.99 pixels
  EXPECT_FLOAT_EQ(label.Width(), 3749.9f);
  label.SetLeft(2797.5f);  // 186.5 pixels
  label.SetTop(-30);
  RECT r;
  GetWindowRect(Native(ControlId::kLabel1).hwnd(), &r);
  MapWindowPoints(nullptr, window_->hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 186);
  EXPECT_EQ(r.top, -2);
  EXPECT_EQ(r.right - r.left, 250);
  Control& fill = window_->control(ControlId::kBalkenShape);
  fill.SetWidth(-15);
  EXPECT_FLOAT_EQ(fill.Width(), -15);
  GetWindowRect(Native(ControlId::kBalkenShape).hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 0);

  // The panel of a 1920-pixel screen: 1.875 x 11460 twips is 1432.5 pixels.
  window_->SetLeft(21487.5f);
  window_->SetWidth(2812.5f);  // 187.5 pixels
  EXPECT_FLOAT_EQ(window_->Left(), 21487.5f);
  EXPECT_FLOAT_EQ(window_->Width(), 2812.5f);
  GetWindowRect(window_->hwnd(), &r);
  EXPECT_EQ(r.left, 1432);
  EXPECT_EQ(r.right - r.left, 188);
}

TEST_F(Win32WindowTest, FontsAreBoldAtTheirPointSize) {
  Control& line = window_->control(ControlId::kLabel2);
  HFONT font = reinterpret_cast<HFONT>(
      SendMessageA(Native(ControlId::kLabel2).hwnd(), WM_GETFONT, 0, 0));
  LOGFONTA lf;
  ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
  EXPECT_EQ(lf.lfHeight, -19);  // 14.25 pt at 96 dots per inch
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
  EXPECT_FALSE(lf.lfItalic || lf.lfUnderline);
  line.SetFontSize(8);
  EXPECT_FLOAT_EQ(line.FontSize(), 8);
  EXPECT_EQ(FontHeightForPoints(8, 96), -11);
  EXPECT_EQ(FontHeightForPoints(12, 120), -20);
  EXPECT_FALSE(InstallerFontFace().empty());
}

TEST_F(Win32WindowTest, TextWidthFollowsTheSharedFont) {
  const float small = window_->TextWidth("Kopiere Datei");
  EXPECT_GT(small, 0);
  EXPECT_EQ(window_->TextWidth(""), 0);
  window_->UseFontOf(ControlId::kFrageLabel);
  Control& label = window_->control(ControlId::kFrageLabel);
  const float at12 = window_->TextWidth("Kopiere Datei");
  label.SetFontSize(24);  // the window's font is the label's font
  const float at24 = window_->TextWidth("Kopiere Datei");
  EXPECT_GT(at24, at12 * 1.6f);
  EXPECT_EQ(static_cast<int>(at24) % 15, 0);  // whole pixels
  // Several lines measure as the widest.
  EXPECT_FLOAT_EQ(window_->TextWidth("ab\r\nKopiere Datei\nx"), at24);
}

TEST_F(Win32WindowTest, DoEventsRunsQueuedClicksInsideTheCall) {
  std::vector<int> clicks;
  window_->SetClickHandler([&](int index) { clicks.push_back(index); });
  window_->control(ControlId::kTaste0).SetVisible(true);
  window_->control(ControlId::kTaste1).SetVisible(true);
  PostMessageA(Native(ControlId::kTaste1).hwnd(), BM_CLICK, 0, 0);
  PostMessageA(Native(ControlId::kTaste0).hwnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(clicks.empty());
  window_->DoEvents();
  EXPECT_EQ(clicks, (std::vector<int>{1, 0}));
}

TEST_F(Win32WindowTest, ExitButtonHoldsTheFocusFirstThenStart) {
  window_->control(ControlId::kTaste0).SetVisible(true);
  window_->control(ControlId::kTaste1).SetVisible(true);
  window_->Show();
  window_->DoEvents();
  EXPECT_EQ(GetFocus(), Native(ControlId::kTaste1).hwnd());
  EXPECT_EQ(GetNextDlgTabItem(window_->hwnd(), GetFocus(), FALSE),
            Native(ControlId::kTaste0).hwnd());
  // The picture lies beneath every other control.
  EXPECT_EQ(GetWindow(Native(ControlId::kHinterGrund).hwnd(), GW_HWNDNEXT),
            nullptr);
}

TEST_F(Win32WindowTest, FocusComesBackToItsButtonAfterAnotherWindow) {
  window_->control(ControlId::kTaste0).SetVisible(true);
  window_->control(ControlId::kTaste1).SetVisible(true);
  window_->Show();
  SetFocus(Native(ControlId::kTaste0).hwnd());
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0,
                               0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  SetActiveWindow(other);
  window_->DoEvents();
  EXPECT_NE(GetFocus(), Native(ControlId::kTaste0).hwnd());
  DestroyWindow(other);
  SetForegroundWindow(window_->hwnd());
  SetActiveWindow(window_->hwnd());
  window_->DoEvents();
  EXPECT_EQ(GetFocus(), Native(ControlId::kTaste0).hwnd());
}

TEST_F(Win32WindowTest, TopmostCallPlacesThePanel) {
  // The panel's place on an 800-pixel screen: 596.875 and 70.3125 pixels.
  window_->SetLeft(8953.125f);
  window_->SetTop(1054.6875f);
  window_->Show();
  window_->SetTopmostNoActivate(597, 70, 188, 183);
  EXPECT_TRUE(GetWindowLongA(window_->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT r;
  GetWindowRect(window_->hwnd(), &r);
  EXPECT_EQ(r.left, 597);
  EXPECT_EQ(r.top, 70);
  EXPECT_EQ(r.right - r.left, 188);
  EXPECT_EQ(r.bottom - r.top, 183);
  // A measure already shown at the call's pixel keeps its twips as set; the
  // others become the call's pixels.
  EXPECT_FLOAT_EQ(window_->Left(), 8953.125f);
  EXPECT_FLOAT_EQ(window_->Top(), 1054.6875f);
  EXPECT_FLOAT_EQ(window_->Width(), 188 * 15);
  EXPECT_FLOAT_EQ(window_->Height(), 183 * 15);
}

TEST_F(Win32WindowTest, ScreenIsMeasuredInTwips) {
  EXPECT_FLOAT_EQ(window_->ScreenWidthTwips(),
                  GetSystemMetrics(SM_CXSCREEN) * window_->TwipsPerPixelX());
  EXPECT_FLOAT_EQ(window_->ScreenHeightTwips(),
                  GetSystemMetrics(SM_CYSCREEN) * window_->TwipsPerPixelY());
}

// The colour at (x, y) of `picture` painted over width x height pixels.
COLORREF PaintedAt(Win32Picture& picture, int width, int height, int x, int y,
                   COLORREF fallback) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  picture.Paint(dc, width, height, fallback);
  COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return colour;
}

TEST(Win32PictureTest, EmbeddedBitmapDecodesAndBrokenOnesFallBack) {
  Win32Picture picture(kBackgroundBitmap, kBackgroundBitmapSize);
  ASSERT_TRUE(picture.valid());
  EXPECT_EQ(picture.source_width(), 800);
  EXPECT_EQ(picture.source_height(), 600);
  // Top and bottom of the picture differ: it was painted, not filled.
  const COLORREF grey = RGB(229, 229, 229);
  EXPECT_NE(PaintedAt(picture, 1024, 768, 500, 5, grey),
            PaintedAt(picture, 1024, 768, 500, 760, grey));

  std::vector<unsigned char> cut(kBackgroundBitmap, kBackgroundBitmap + 40);
  Win32Picture broken(cut.data(), cut.size());
  EXPECT_FALSE(broken.valid());
  EXPECT_EQ(PaintedAt(broken, 64, 64, 10, 10, grey), grey);
  Win32Picture empty(nullptr, 0);
  EXPECT_FALSE(empty.valid());
}

}  // namespace
}  // namespace rolvex
