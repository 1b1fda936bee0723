// <windows.h> for the Win32 backends, without the macros that would rename
// the installer's own members: MessageBox would otherwise become MessageBoxA
// in every file that sees both this header and platform/window.h.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_API_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_API_H_

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef MessageBox

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_API_H_
