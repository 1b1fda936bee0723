// probe_window.exe MODE OUT READY: asks the installer's window (class "Rolvex")
// what Windows asks a program's window, from another process, and writes
// what it found to the file OUT (a Windows path). It makes the file READY
// once it runs, then waits up to a minute for the window to be shown.
//
//   poll        Every 250 ms until the window is gone: SendMessageTimeout
//               with WM_NULL and one second, as Windows' own check for a
//               hung window does, and IsHungAppWindow. Writes
//               "polls N timeouts T hung H".
//   endsession  The end of a session: WM_QUERYENDSESSION (may it end?),
//               then WM_ENDSESSION with TRUE (it ends). Writes
//               "query R" with the window's answer (-1: no answer).
//
// Exit status 2 when no window appeared.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// The window once it is on the screen: before that the program is still
// starting (fonts, settings), which is not what is asked about.
HWND WaitForWindow() {
  for (int i = 0; i < 1200; ++i) {
    HWND window = FindWindowA("Rolvex", nullptr);
    if (window != nullptr && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

void WriteResult(const char* path, const char* text) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written,
            nullptr);
  CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 4) return 3;
  WriteResult(__argv[3], "");
  HWND window = WaitForWindow();
  if (window == nullptr) return 2;
  char text[128];
  if (std::strcmp(__argv[1], "endsession") == 0) {
    DWORD_PTR answer = 0;
    LRESULT sent =
        SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                            SMTO_NORMAL, 5000, &answer);
    std::snprintf(text, sizeof text, "query %d\n",
                  sent ? static_cast<int>(answer) : -1);
    WriteResult(__argv[2], text);
    SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF,
                        SMTO_NORMAL, 5000, &answer);
    return 0;
  }
  int polls = 0, timeouts = 0, hung = 0;
  while (IsWindow(window)) {
    DWORD_PTR answer = 0;
    const LRESULT sent =
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer);
    // A window that went while the message was on its way did not hang.
    if (!IsWindow(window)) break;
    ++polls;
    if (!sent) ++timeouts;
    if (IsHungAppWindow(window)) ++hung;
    Sleep(250);
  }
  std::snprintf(text, sizeof text, "polls %d timeouts %d hung %d\n", polls,
                timeouts, hung);
  WriteResult(__argv[2], text);
  return 0;
}
