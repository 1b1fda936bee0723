#include "platform/win32/win32_file_holders.h"

#include <algorithm>
#include <memory>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_errors.h"

namespace rolvex {
namespace {

// The Restart Manager's declarations (restartmanager.h), loaded at run time
// so that the program starts where rstrtmgr.dll is missing.
constexpr DWORD kRmSessionKeyLen = 16;
struct RmUniqueProcess {
  DWORD process_id;
  FILETIME start_time;
};
struct RmProcessInfo {
  RmUniqueProcess process;
  WCHAR app_name[256];
  WCHAR service_short_name[64];
  DWORD application_type;
  ULONG app_status;
  DWORD ts_session_id;
  BOOL restartable;
};
using RmStartSessionFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using RmEndSessionFn = DWORD(WINAPI*)(DWORD);
using RmRegisterResourcesFn = DWORD(WINAPI*)(DWORD, UINT, const WCHAR**, UINT,
                                             RmUniqueProcess*, UINT,
                                             const WCHAR**);
using RmGetListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RmProcessInfo*, DWORD*);

// ntdll's handle table (SystemExtendedHandleInformation).
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
struct HandleEntry {
  void* object;
  ULONG_PTR process_id;
  ULONG_PTR handle_value;
  ULONG granted_access;
  USHORT creator_back_trace_index;
  USHORT object_type_index;
  ULONG handle_attributes;
  ULONG reserved;
};
struct HandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry handles[1];
};
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

std::string ImageName(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return "";
  char image[MAX_PATH];
  DWORD size = sizeof image;
  std::string name;
  if (QueryFullProcessImageNameA(process, 0, image, &size)) {
    name.assign(image, size);
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
  }
  CloseHandle(process);
  return name;
}

void Add(std::vector<FileHolder>& holders, DWORD pid) {
  if (std::any_of(holders.begin(), holders.end(),
                  [&](const FileHolder& h) { return h.pid == long(pid); })) {
    return;
  }
  holders.push_back({static_cast<long>(pid), ImageName(pid)});
}

bool AskRestartManager(const std::string& path,
                       std::vector<FileHolder>& holders) {
  HMODULE rm = LoadLibraryA("rstrtmgr.dll");
  if (rm == nullptr) return false;
  auto start = reinterpret_cast<RmStartSessionFn>(
      reinterpret_cast<void*>(GetProcAddress(rm, "RmStartSession")));
  auto end = reinterpret_cast<RmEndSessionFn>(
      reinterpret_cast<void*>(GetProcAddress(rm, "RmEndSession")));
  auto add = reinterpret_cast<RmRegisterResourcesFn>(
      reinterpret_cast<void*>(GetProcAddress(rm, "RmRegisterResources")));
  auto list = reinterpret_cast<RmGetListFn>(
      reinterpret_cast<void*>(GetProcAddress(rm, "RmGetList")));
  bool answered = false;
  DWORD session = 0;
  WCHAR key[kRmSessionKeyLen * 2 + 1] = {};
  WCHAR wide[MAX_PATH * 2];
  if (start && end && add && list && start(&session, 0, key) == 0) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2);
    const WCHAR* files[] = {wide};
    UINT needed = 0, count = 0;
    DWORD reasons = 0;
    if (length > 0 && add(session, 1, files, 0, nullptr, 0, nullptr) == 0 &&
        list(session, &needed, &count, nullptr, &reasons) == ERROR_MORE_DATA) {
      auto info = std::make_unique<RmProcessInfo[]>(needed);
      count = needed;
      if (list(session, &needed, &count, info.get(), &reasons) == 0) {
        for (UINT i = 0; i < count; ++i) {
          Add(holders, info[i].process.process_id);
        }
        answered = count > 0;
      }
    }
    end(session);
  }
  FreeLibrary(rm);
  return answered;
}

std::string Comparable(std::string path) {
  if (path.rfind("\\\\?\\", 0) == 0) path.erase(0, 4);
  CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD length =
      GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return path;
  return std::string(full, length);
}

void SearchHandleTable(const std::string& path,
                       std::vector<FileHolder>& holders) {
  auto query = reinterpret_cast<NtQuerySystemInformationFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                             "NtQuerySystemInformation")));
  if (query == nullptr) return;
  ULONG size = 1 << 20;
  std::unique_ptr<char[]> buffer;
  LONG status = kStatusInfoLengthMismatch;
  for (int attempt = 0; attempt < 6 && status == kStatusInfoLengthMismatch;
       ++attempt, size *= 2) {
    buffer = std::make_unique<char[]>(size);
    status =
        query(kSystemExtendedHandleInformation, buffer.get(), size, nullptr);
  }
  if (status != 0) return;
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.get());
  const std::string wanted = Comparable(FullPath(path));
  const DWORD self = GetCurrentProcessId();
  HANDLE process = nullptr;
  ULONG_PTR open_pid = 0;
  for (ULONG_PTR i = 0; i < table->count; ++i) {
    const HandleEntry& entry = table->handles[i];
    if (entry.process_id == self) continue;
    if (entry.process_id != open_pid) {
      if (process != nullptr) CloseHandle(process);
      open_pid = entry.process_id;
      process = OpenProcess(PROCESS_DUP_HANDLE, FALSE,
                            static_cast<DWORD>(entry.process_id));
    }
    if (process == nullptr) continue;
    HANDLE copy = nullptr;
    if (!DuplicateHandle(process, reinterpret_cast<HANDLE>(entry.handle_value),
                         GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
      continue;
    }
    // Only files on disk: asking a pipe for its name can wait forever.
    char name[MAX_PATH * 2];
    if (GetFileType(copy) == FILE_TYPE_DISK) {
      const DWORD length = GetFinalPathNameByHandleA(
          copy, name, sizeof name, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
      if (length > 0 && length < sizeof name &&
          Comparable(std::string(name, length)) == wanted) {
        Add(holders, static_cast<DWORD>(entry.process_id));
      }
    }
    CloseHandle(copy);
  }
  if (process != nullptr) CloseHandle(process);
}

}  // namespace

bool IsInUseError(std::uint32_t win32_error) {
  return win32_error == ERROR_SHARING_VIOLATION ||
         win32_error == ERROR_LOCK_VIOLATION ||
         win32_error == ERROR_ACCESS_DENIED;
}

std::vector<FileHolder> FileHoldersOf(const std::string& path) {
  std::vector<FileHolder> holders;
  if (!AskRestartManager(path, holders)) SearchHandleTable(path, holders);
  return holders;
}

RunError RunErrorOfWin32For(std::uint32_t win32_error,
                            const std::string& path) {
  RunError error = RunErrorOfWin32(win32_error);
  if (IsInUseError(win32_error)) error.HeldBy(FileHoldersOf(path));
  return error;
}

}  // namespace rolvex
