// holdopen.exe FILE READY [read]: holds FILE (a Windows path) open for
// reading and writing without sharing, so that no other process can replace
// or delete it, or with "read" sharing only reading, as a running program's
// image is held; then creates the file READY and waits until it is ended.
// Wine ignores POSIX locks, so a locked file in the end-to-end tests under
// Wine is made this way. Exit status 1 when FILE cannot be opened.
#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  const DWORD share =
      __argc > 3 && lstrcmpiA(__argv[3], "read") == 0 ? FILE_SHARE_READ : 0;
  HANDLE held =
      CreateFileA(__argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateFileA(__argv[2], GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  CloseHandle(ready);
  Sleep(INFINITE);
  return 0;
}
