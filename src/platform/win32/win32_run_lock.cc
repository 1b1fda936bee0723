#include "platform/win32/win32_run_lock.h"

#include "platform/win32/win32_api.h"

namespace rolvex {

bool Win32RunLock::Claim() {
  mutex_ = CreateMutexA(nullptr, FALSE, kRunMutexName);
  const DWORD error = GetLastError();
  if (mutex_ == nullptr) return error != ERROR_ACCESS_DENIED;
  return error != ERROR_ALREADY_EXISTS;
}

}  // namespace rolvex
