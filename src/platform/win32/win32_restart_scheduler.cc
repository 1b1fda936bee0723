#include "platform/win32/win32_restart_scheduler.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/run_error.h"
#include "platform/win32/win32_api.h"

namespace rolvex {
namespace {

using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
constexpr DWORD kReplaceAtRestart =
    MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT;  // 5

}  // namespace

Win32RestartScheduler::Win32RestartScheduler(std::string module,
                                             std::string function)
    : module_(std::move(module)), function_(std::move(function)) {
  // kernel32 is loaded in every process; another module is not loaded here.
  if (HMODULE handle = GetModuleHandleA(module_.c_str())) {
    move_file_ex_ =
        reinterpret_cast<void*>(GetProcAddress(handle, function_.c_str()));
  }
}

bool Win32RestartScheduler::ReplaceAtRestart(const std::string& source,
                                             const std::string& target) {
  if (move_file_ex_ == nullptr) {
    throw RunError(kErrCantRun, "Can't find DLL entry point " + function_ +
                                    " in " + module_);
  }
  auto move_file_ex = reinterpret_cast<MoveFileExFunction>(move_file_ex_);
  return move_file_ex(source.c_str(), target.c_str(), kReplaceAtRestart) !=
         FALSE;
}

namespace {

constexpr wchar_t kSessionManager[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingValue[] = L"PendingFileRenameOperations";

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(),
                                    static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      wide.data(), n);
  return wide;
}

// A name of the value as the path it stands for: without the "!" of a
// replacing target and the "\??\" prefix, upper-cased.
std::wstring NameKey(std::wstring name, bool target) {
  if (target && !name.empty() && name[0] == L'!') name.erase(0, 1);
  if (name.rfind(L"\\??\\", 0) == 0) name.erase(0, 4);
  CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

}  // namespace

bool Win32RestartScheduler::CancelReplaceAtRestart(const std::string& source,
                                                   const std::string& target) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0,
                    KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  bool cancelled = false;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key, kPendingValue, nullptr, &type, nullptr, &bytes) ==
          ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, kPendingValue, nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()),
                         &bytes) == ERROR_SUCCESS) {
      data.resize(bytes / sizeof(wchar_t));
      std::vector<std::wstring> names;
      for (std::size_t at = 0; at < data.size();) {
        const std::size_t end = data.find(L'\0', at);
        const std::size_t stop = end == std::wstring::npos ? data.size() : end;
        names.push_back(data.substr(at, stop - at));
        at = stop + 1;
      }
      // The list ends with an empty string; pairs before it.
      while (!names.empty() && names.back().empty()) names.pop_back();
      const std::wstring want_source = NameKey(Wide(source), false);
      const std::wstring want_target = NameKey(Wide(target), true);
      std::wstring kept;
      for (std::size_t i = 0; i < names.size(); i += 2) {
        const std::wstring& from = names[i];
        const std::wstring to = i + 1 < names.size() ? names[i + 1] : L"";
        if (!cancelled && NameKey(from, false) == want_source &&
            NameKey(to, true) == want_target) {
          cancelled = true;
          continue;
        }
        kept += from;
        kept += L'\0';
        kept += to;
        kept += L'\0';
      }
      if (cancelled) {
        LSTATUS status;
        if (kept.empty()) {
          status = RegDeleteValueW(key, kPendingValue);
        } else {
          kept += L'\0';
          status =
              RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ,
                             reinterpret_cast<const BYTE*>(kept.data()),
                             static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
        }
        cancelled = status == ERROR_SUCCESS;
      }
    }
  }
  RegCloseKey(key);
  return cancelled;
}

}  // namespace rolvex
