#include "platform/win32/win32_window.h"

#include <algorithm>
#include <utility>

#include "platform/background_bitmap.h"
#include "platform/win32/win32_command_line.h"
#include "platform/win32/win32_fonts.h"

namespace rolvex {

LRESULT CALLBACK MainWindowProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK PictureWindowProc(HWND, UINT, WPARAM, LPARAM);

namespace {

constexpr char kMainClass[] = "Rolvex";
constexpr char kPictureClass[] = "RolvexPicture";
constexpr char kFrameClass[] = "RolvexFrame";
constexpr char kShapeClass[] = "RolvexShape";
constexpr int kFirstButtonId = 100;

void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc,
                         HBRUSH background) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  if (std::string(name) == kMainClass) {
    wc.hIcon = LoadIconA(instance, "ROLVEX");
    wc.hIconSm = wc.hIcon;
  }
  RegisterClassExA(&wc);  // fails harmlessly when already registered
}

// Where each control is made: its class, styles and parent.
struct ChildKind {
  const char* window_class;
  DWORD style;
};

ChildKind KindOf(ControlId id) {
  constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
  switch (id) {
    case ControlId::kHinterGrund:
      return {kPictureClass, kChild};
    case ControlId::kBalkenPicture:
      return {kFrameClass, kChild | WS_CLIPCHILDREN};
    case ControlId::kBalkenShape:
      return {kShapeClass, kChild};
    case ControlId::kTaste0:
    case ControlId::kTaste1:
      return {"BUTTON", kChild | WS_TABSTOP | BS_OWNERDRAW};
    default:
      return {"STATIC", kChild | SS_LEFT | SS_NOPREFIX};
  }
}

// The designed tab order; the picture comes last, beneath everything.
constexpr ControlId kCreationOrder[] = {
    ControlId::kBalkenPicture, ControlId::kBalkenShape, ControlId::kFrageLabel,
    ControlId::kTaste1,        ControlId::kTaste0,      ControlId::kLabel3,
    ControlId::kLabel2,        ControlId::kLabel1,      ControlId::kHinterGrund,
};

}  // namespace

Win32Window::Win32Window(HINSTANCE instance)
    : picture_(kBackgroundBitmap, kBackgroundBitmapSize) {
  HDC screen = GetDC(nullptr);
  int dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
  int dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  twips_per_pixel_x_ = 1440.0f / static_cast<float>(dpi_x > 0 ? dpi_x : 96);
  twips_per_pixel_y_ = 1440.0f / static_cast<float>(dpi_y > 0 ? dpi_y : 96);

  back_brush_ = CreateSolidBrush(RGB(229, 229, 229));
  frame_brush_ = CreateSolidBrush(RGB(231, 231, 231));
  static HBRUSH shape_brush = CreateSolidBrush(RGB(0, 0, 192));
  RegisterWindowClass(instance, kMainClass, MainWindowProc, nullptr);
  RegisterWindowClass(instance, kPictureClass, PictureWindowProc, nullptr);
  RegisterWindowClass(instance, kFrameClass, DefWindowProcA, frame_brush_);
  RegisterWindowClass(instance, kShapeClass, DefWindowProcA, shape_brush);

  own_font_ = CreateInstallerFont(kDesignWindowFontSize);
  // No caption text: the window has no title bar to show it in.
  hwnd_ = CreateWindowExA(0, kMainClass, "", WS_POPUP | WS_CLIPCHILDREN,
                          ToPixelsX(left_), ToPixelsY(top_), ToPixelsX(width_),
                          ToPixelsY(height_), nullptr, nullptr, instance, this);
  CreateControls(instance);
}

Win32Window::~Win32Window() {
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  for (auto& c : controls_) c.reset();
  DeleteObject(own_font_);
  DeleteObject(back_brush_);
  DeleteObject(frame_brush_);
}

void Win32Window::CreateControls(HINSTANCE instance) {
  for (ControlId id : kCreationOrder) {
    const ControlDesign& design = DesignOf(id);
    ChildKind kind = KindOf(id);
    HWND parent = id == ControlId::kBalkenShape
                      ? Get(ControlId::kBalkenPicture).hwnd()
                      : hwnd_;
    int button = (id == ControlId::kTaste0)   ? 0
                 : (id == ControlId::kTaste1) ? 1
                                              : -1;
    HMENU child_id = reinterpret_cast<HMENU>(
        static_cast<INT_PTR>(button >= 0 ? kFirstButtonId + button : 0));
    HWND child = CreateWindowExA(0, kind.window_class, "", kind.style, 0, 0, 0,
                                 0, parent, child_id, instance, nullptr);
    SetWindowLongPtrA(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    controls_[static_cast<int>(id)] =
        std::make_unique<Win32Control>(*this, design, child);
  }
  SetWindowPos(Get(ControlId::kHinterGrund).hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

Control& Win32Window::control(ControlId id) { return Get(id); }

int Win32Window::ToPixelsX(float twips) const {
  return TwipsToPixels(twips, twips_per_pixel_x_);
}
int Win32Window::ToPixelsY(float twips) const {
  return TwipsToPixels(twips, twips_per_pixel_y_);
}

float Win32Window::Left() { return left_; }
float Win32Window::Top() { return top_; }
float Win32Window::Width() { return width_; }
float Win32Window::Height() { return height_; }
void Win32Window::SetLeft(float twips) {
  left_ = twips;
  Move();
}
void Win32Window::SetTop(float twips) {
  top_ = twips;
  Move();
}
void Win32Window::SetWidth(float twips) {
  width_ = twips;
  Move();
}
void Win32Window::SetHeight(float twips) {
  height_ = twips;
  Move();
}
void Win32Window::Move() {
  MoveWindow(hwnd_, ToPixelsX(left_), ToPixelsY(top_),
             std::max(0, ToPixelsX(width_)), std::max(0, ToPixelsY(height_)),
             TRUE);
}

void Win32Window::UseFontOf(ControlId control) {
  has_font_owner_ = true;
  font_owner_ = control;
}

float Win32Window::TextWidth(const std::string& text) {
  HFONT font = has_font_owner_ ? Get(font_owner_).font() : own_font_;
  if (font == nullptr) font = own_font_;
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font);
  // The widest line, when the text has several.
  LONG widest = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t length = end - start;
    if (length > 0 && text[end - 1] == '\r') --length;
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.data() + start, static_cast<int>(length),
                          &size);
    widest = std::max(widest, size.cx);
    start = end + 1;
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return static_cast<float>(widest) * twips_per_pixel_x_;
}

float Win32Window::ScreenWidthTwips() {
  return static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) * twips_per_pixel_x_;
}
float Win32Window::ScreenHeightTwips() {
  return static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * twips_per_pixel_y_;
}

void Win32Window::BringToFront() {
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Window::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  // The exit button comes first in the tab order, so it holds the focus.
  for (ControlId id : {ControlId::kTaste1, ControlId::kTaste0}) {
    if (Get(id).Visible()) {
      SetFocus(Get(id).hwnd());
      break;
    }
  }
}

void Win32Window::SetTopmostNoActivate(int x, int y, int cx, int cy) {
  SetWindowPos(hwnd_, HWND_TOPMOST, x, y, cx, cy, SWP_NOACTIVATE);
  // The measures in pixels are the window's now.
  left_ = TwipsAtPixel(left_, x, twips_per_pixel_x_);
  top_ = TwipsAtPixel(top_, y, twips_per_pixel_y_);
  width_ = TwipsAtPixel(width_, cx, twips_per_pixel_x_);
  height_ = TwipsAtPixel(height_, cy, twips_per_pixel_y_);
}

void Win32Window::Dispatch(MSG& message) {
  if (IsDialogMessageA(hwnd_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void Win32Window::DoEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave it for the message loop that owns it.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    Dispatch(message);
  }
}

namespace {

// Whether this process's window station is one a person can see: not so in
// session 0, for a service or a SYSTEM task of a deployment agent.
bool StationVisible() {
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (!GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags,
                                 sizeof flags, &needed)) {
    return true;  // unknown: the box is tried, as before
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

using BlockReasonCreate = BOOL(WINAPI*)(HWND, LPCWSTR);
using BlockReasonDestroy = BOOL(WINAPI*)(HWND);

}  // namespace

int Win32Window::MessageBox(const std::string& text, int style,
                            const std::string& title) {
  const char* caption = title.empty() ? kDefaultTitle : title.c_str();
  transcript_.Line(std::string("--- ") + caption + " ---");
  transcript_.Line(text);
  if (unattended_ || !StationVisible()) {
    transcript_.Line("(nobody to answer)");
    return kAnswerNone;
  }
  // The style values are the system's own: 0 OK, 18 Abort/Retry/Ignore with
  // the critical-stop icon. 0 back: the box could not be shown at all.
  return MessageBoxA(hwnd_, text.c_str(), caption, static_cast<UINT>(style));
}

void Win32Window::KeepResponsive() {
  // Asking the message queue is a round trip to the window system (under
  // Wine to its server); between files that come every millisecond it is
  // asked every 20 ms, well inside the second a hung-window check waits.
  const ULONGLONG now = GetTickCount64();
  if (now - last_responsive_ < 20) return;
  last_responsive_ = now;
  keeping_responsive_ = true;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0,
                      PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
    DispatchMessageA(&message);
  }
  keeping_responsive_ = false;
}

void Win32Window::SetRunInProgress(bool in_progress) {
  if (in_progress == run_in_progress_) return;
  run_in_progress_ = in_progress;
  // Windows Vista and later; looked up so that an older system still runs
  // the program.
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 == nullptr) return;
  if (in_progress) {
    if (auto create =
            reinterpret_cast<BlockReasonCreate>(reinterpret_cast<void*>(
                GetProcAddress(user32, "ShutdownBlockReasonCreate")))) {
      create(hwnd_, L"A service pack is being installed.");
    }
  } else if (auto destroy =
                 reinterpret_cast<BlockReasonDestroy>(reinterpret_cast<void*>(
                     GetProcAddress(user32, "ShutdownBlockReasonDestroy")))) {
    destroy(hwnd_);
  }
}

void Win32Window::EndProgram(int exit_status) {
  // The system removes a process's windows when it ends. DestroyWindow
  // first would only add a wait: Wine's X11 driver waits up to two seconds
  // for a window manager to confirm that the window is gone, and meanwhile
  // the window answers nothing.
  ExitProcess(static_cast<UINT>(exit_status));
}

std::string Win32Window::CommandLine() {
  return ArgumentText(GetCommandLineA());
}

std::string Win32Window::ProgramDirectory() { return RunningProgramFolder(); }

void Win32Window::SetClickHandler(std::function<void(int index)> handler) {
  click_handler_ = std::move(handler);
}

}  // namespace rolvex
