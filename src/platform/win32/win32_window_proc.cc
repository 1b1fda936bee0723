// The window procedures of the installer's window: painting the picture, the
// buttons and the labels' backgrounds, and delivering button clicks.
#include <exception>
#include <string>

#include "platform/exit_status.h"
#include "platform/run_error.h"
#include "platform/win32/win32_window.h"

namespace rolvex {
namespace {

constexpr int kFirstButtonId = 100;
constexpr COLORREF kBackColour = RGB(229, 229, 229);

Win32Window* WindowOf(HWND hwnd) {
  return reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Win32Window* window = WindowOf(hwnd);
  // Messages before WM_NCCREATE, and those after the object has let go of
  // the window, take the default path.
  if (window == nullptr || window->hwnd() != hwnd) {
    return DefWindowProcA(hwnd, message, wparam, lparam);
  }
  return window->OnMessage(message, wparam, lparam);
}

LRESULT CALLBACK PictureWindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                   LPARAM lparam) {
  Win32Window* window = WindowOf(hwnd);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT:
      if (window != nullptr) {
        window->PaintPicture(hwnd);
        return 0;
      }
      break;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

LRESULT Win32Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd_, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, back_brush_);
      return 1;
    }
    case WM_COMMAND: {
      if (keeping_responsive_) {
        // Clicks run only where the run processes its events.
        PostMessageA(hwnd_, message, wparam, lparam);
        return 0;
      }
      int id = LOWORD(wparam);
      if (HIWORD(wparam) == BN_CLICKED && id >= kFirstButtonId &&
          id <= kFirstButtonId + 1) {
        Click(id - kFirstButtonId);
      }
      return 0;
    }
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(LabelBrush(
          reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)));
    case WM_ACTIVATE:
      // The focus leaves with the window (a message box, another program)
      // and comes back to the button that had it, as in a dialog.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
      } else if (focus_ != nullptr && IsWindowVisible(focus_)) {
        SetFocus(focus_);
      } else {
        DefWindowProcA(hwnd_, message, wparam, lparam);
      }
      return 0;
    case WM_CLOSE:
      if (keeping_responsive_) {
        PostMessageA(hwnd_, message, wparam, lparam);
        return 0;
      }
      // Alt+F4 does what the exit button does, when there is one to press;
      // otherwise the window stays (an unattended run is not stopped so).
      if (Get(ControlId::kTaste1).Visible()) Click(1);
      return 0;
    case WM_QUERYENDSESSION:
      // A run cut off between two files leaves the PC half installed.
      return run_in_progress_ ? FALSE : TRUE;
    case WM_ENDSESSION:
      if (wparam && run_in_progress_) {
        // The session ends all the same: what the run did is told before
        // the system ends the process.
        if (session_end_handler_) session_end_handler_();
        transcript_.Line("(the session ended during the run)");
        ExitProcess(kExitFailure);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd_, message, wparam, lparam);
}

void Win32Window::Click(int index) {
  if (!click_handler_) return;
  // The handler runs inside the system's message dispatch; nothing may
  // unwind through it, so a failure that nothing else has handled is shown
  // here and ends the program.
  std::function<void(int)> handler = click_handler_;
  try {
    handler(index);
  } catch (const std::exception& failure) {
    EndWithFailure(failure);
  }
}

void Win32Window::EndWithFailure(const std::exception& failure) {
  std::string text = failure.what();
  if (auto* error = dynamic_cast<const RunError*>(&failure)) {
    text = "Number:" + std::to_string(error->number()) +
           "; Description:" + error->description() +
           "; Source:" + error->source();
  }
  MessageBox(text, kMbOk, "Error");
  Win32Window::EndProgram(1);
}

void Win32Window::DrawButton(const DRAWITEMSTRUCT& item) {
  Win32Control* button = nullptr;
  for (ControlId id : {ControlId::kTaste0, ControlId::kTaste1}) {
    if (Get(id).hwnd() == item.hwndItem) button = &Get(id);
  }
  if (button == nullptr) return;
  HDC dc = item.hDC;
  RECT face = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &face, frame_brush_);
  DrawEdge(dc, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  RECT text = face;
  if (pressed) OffsetRect(&text, 1, 1);
  HGDIOBJ old_font = SelectObject(dc, button->font());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  const std::string caption = button->Caption();
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old_font);

  if (item.itemState & ODS_FOCUS) {
    RECT focus = face;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

HBRUSH Win32Window::LabelBrush(HDC dc, HWND label) {
  SetTextColor(dc, RGB(0, 0, 0));
  Win32Control& picture = Get(ControlId::kHinterGrund);
  const bool text_line = label == Get(ControlId::kLabel1).hwnd() ||
                         label == Get(ControlId::kLabel2).hwnd() ||
                         label == Get(ControlId::kLabel3).hwnd();
  if (text_line && picture.Visible()) {
    // The three text lines show the picture through their background: the
    // brush is the stretched picture, aligned to where the picture lies.
    RECT p = picture.PixelRect();
    for (ControlId id :
         {ControlId::kLabel1, ControlId::kLabel2, ControlId::kLabel3}) {
      if (Get(id).hwnd() != label) continue;
      RECT l = Get(id).PixelRect();
      if (HBRUSH brush = picture_.Brush(p.right - p.left, p.bottom - p.top)) {
        SetBrushOrgEx(dc, p.left - l.left, p.top - l.top, nullptr);
        SetBkMode(dc, TRANSPARENT);
        return brush;
      }
    }
  }
  SetBkColor(dc, kBackColour);
  return back_brush_;
}

void Win32Window::PaintPicture(HWND picture) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(picture, &paint);
  RECT client;
  GetClientRect(picture, &client);
  picture_.Paint(dc, client.right, client.bottom, kBackColour);
  EndPaint(picture, &paint);
}

}  // namespace rolvex
