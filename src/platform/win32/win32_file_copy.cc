#include "platform/win32/win32_file_copy.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <vector>

#include "platform/rules/ascii_text.h"
#include "platform/run_error.h"
#include "platform/win32/win32_api.h"
// After windows.h, which it needs.
#include <aclapi.h>

#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_holders.h"

namespace rolvex {
namespace {

constexpr char kPrefix[] = "~rolvex-";
constexpr char kStagedPrefix[] = "~rolvex-restart-";
constexpr char kSuffix[] = ".tmp";
constexpr DWORD kChunk = 1 << 20;
constexpr DWORD kSettableAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
    FILE_ATTRIBUTE_ARCHIVE;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  void Close() {
    if (ok()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

std::uint64_t Join(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

// This process as the maker of temporaries.
const TemporaryMaker& ThisProcess() {
  static const TemporaryMaker me = [] {
    TemporaryMaker m;
    m.pid = GetCurrentProcessId();
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel,
                        &user)) {
      m.created = Join(created.dwHighDateTime, created.dwLowDateTime);
    }
    return m;
  }();
  return me;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string NameFor(const char* prefix, unsigned counter) {
  const TemporaryMaker& me = ThisProcess();
  char name[80];
  std::snprintf(name, sizeof name, "%s%lx-%016llx-%x%s", prefix,
                static_cast<unsigned long>(me.pid),
                static_cast<unsigned long long>(me.created), counter, kSuffix);
  return name;
}

// Creates a new file of the grammar (with `prefix`) in `folder`; its path
// goes to `path`.
HANDLE CreateOwnFile(const std::string& folder, const char* prefix,
                     std::string& path) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = folder + "\\" + NameFor(prefix, counter++);
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      throw RunErrorOfWin32(error);
    }
  }
  throw RunError::Of(kErrPathFileAccess);
}

struct SourceFacts {
  DWORD attributes = 0;
};

// Opens `source` for the copy; throws 53 when it is missing.
HANDLE OpenSource(const std::string& source) {
  HANDLE in =
      CreateFileA(source.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    throw RunErrorOfWin32(error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND
                                                        : error);
  }
  return in;
}

// Copies the bytes of the open source `in` into the new file `out` (at
// `into`), gives it the source's last-write time and, with `durable`,
// flushes it. The new file is removed when anything fails.
SourceFacts CopyInto(HANDLE in, HANDLE out_handle, const std::string& into,
                     bool durable, const std::function<void()>& tick) {
  Handle out(out_handle);
  auto fail = [&](DWORD error) {
    out.Close();
    DeleteFileA(into.c_str());
    throw RunErrorOfWin32(error);
  };
  // The basic information only: GetFileInformationByHandle also asks for
  // the volume, which under Wine is a round trip to its device server.
  FILE_BASIC_INFO info;
  if (!GetFileInformationByHandleEx(in, FileBasicInfo, &info, sizeof info)) {
    fail(GetLastError());
  }
  static std::vector<char> buffer(kChunk);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer.data(), kChunk, &got, nullptr)) {
      fail(GetLastError());
    }
    if (got == 0) break;
    DWORD written = 0;
    if (!WriteFile(out.get(), buffer.data(), got, &written, nullptr)) {
      fail(GetLastError());
    }
    if (written != got) fail(ERROR_DISK_FULL);
    if (tick) tick();
  }
  FILETIME written;
  written.dwLowDateTime = static_cast<DWORD>(info.LastWriteTime.QuadPart);
  written.dwHighDateTime =
      static_cast<DWORD>(info.LastWriteTime.QuadPart >> 32);
  if (!SetFileTime(out.get(), nullptr, nullptr, &written) ||
      (durable && !FlushFileBuffers(out.get()))) {
    fail(GetLastError());
  }
  return {info.FileAttributes & kSettableAttributes};
}

// Gives the new file `temporary` (open as `handle`) the access rules the
// file at `target` has of its own, so that replacing a file does not open
// it to more users than before. Rules the target only inherits from its
// folder the new file inherits as well. Best effort.
void KeepOwnAccessRules(const std::string& target, HANDLE handle) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(target.c_str(), SE_FILE_OBJECT,
                            DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, &descriptor) != ERROR_SUCCESS) {
    return;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  const bool protected_dacl = (control & SE_DACL_PROTECTED) != 0;
  bool own_rule = protected_dacl;
  for (DWORD i = 0; dacl != nullptr && !own_rule && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (GetAce(dacl, i, &ace)) {
      own_rule = (static_cast<ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE) == 0;
    }
  }
  if (own_rule) {
    SetSecurityInfo(
        handle, SE_FILE_OBJECT,
        DACL_SECURITY_INFORMATION |
            (protected_dacl ? PROTECTED_DACL_SECURITY_INFORMATION
                            : UNPROTECTED_DACL_SECURITY_INFORMATION),
        nullptr, nullptr, dacl, nullptr);
  }
  LocalFree(descriptor);
}

// Puts the complete temporary `temporary` at `target` in one rename, which
// a kill at any moment leaves done or not done. (ReplaceFile is no such
// step: without a backup it removes the target before it renames the
// replacement, so a kill in between leaves no file at all.)
void PutInPlace(const std::string& temporary, const std::string& target,
                bool target_exists) {
  const DWORD flags =
      MOVEFILE_WRITE_THROUGH | (target_exists ? MOVEFILE_REPLACE_EXISTING : 0);
  if (MoveFileExA(temporary.c_str(), target.c_str(), flags)) return;
  const DWORD error = GetLastError();
  DeleteFileA(temporary.c_str());
  // A file in use, or one that may not be replaced, is refused as CopyFile
  // refuses it (70); a file that came into being meanwhile is a name in
  // the way (75).
  throw RunErrorOfWin32For(error, target);
}

bool ReadHex(const std::string& text, std::size_t& at, char end,
             std::size_t max_digits, std::uint64_t& value) {
  const std::size_t begin = at;
  value = 0;
  while (at < text.size() && at - begin < max_digits) {
    const char c = AsciiLower(text[at]);
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                       : -1;
    if (digit < 0) break;
    value = value * 16 + static_cast<std::uint64_t>(digit);
    ++at;
  }
  if (at == begin || at >= text.size() || text[at] != end) return false;
  ++at;
  return true;
}

bool MakerIsGone(const TemporaryMaker& maker) {
  const TemporaryMaker& me = ThisProcess();
  if (maker.pid == me.pid) return maker.created != me.created;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE,
                               FALSE, maker.pid);
  if (process == nullptr) {
    // No such process. Any other refusal (a protected process) may be the
    // maker still at work.
    return GetLastError() == ERROR_INVALID_PARAMETER;
  }
  FILETIME created, exited, kernel, user;
  bool gone = false;
  if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
    gone =
        Join(created.dwHighDateTime, created.dwLowDateTime) != maker.created ||
        WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  }
  CloseHandle(process);
  return gone;
}

}  // namespace

bool ParseTemporaryName(const std::string& name, TemporaryMaker& maker) {
  const std::size_t prefix = sizeof kPrefix - 1;
  if (name.size() < prefix + 4 ||
      AsciiLowerCase(name.substr(0, prefix)) != kPrefix ||
      AsciiLowerCase(name.substr(name.size() - 4)) != kSuffix) {
    return false;
  }
  const std::string stem = name.substr(0, name.size() - 4) + "~";
  std::size_t at = prefix;
  std::uint64_t pid = 0, created = 0, counter = 0;
  if (!ReadHex(stem, at, '-', 8, pid)) return false;
  const std::size_t created_at = at;
  if (!ReadHex(stem, at, '-', 16, created) || at - created_at != 17 ||
      !ReadHex(stem, at, '~', 8, counter) || at != stem.size()) {
    return false;
  }
  maker.pid = static_cast<std::uint32_t>(pid);
  maker.created = created;
  return true;
}

void SweepStaleTemporaries(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  static std::string last;  // asked again and again for the files in it
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (folder == last) return;
    last = folder;
    if (!swept.insert(AsciiUpperCase(folder)).second) return;
  }
  const std::string pattern = folder + "\\" + kPrefix + "*" + kSuffix;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // A folder or a link of that name is not the installer's own.
    if (data.dwFileAttributes &
        (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
      continue;
    }
    TemporaryMaker maker;
    if (!ParseTemporaryName(data.cFileName, maker) || !MakerIsGone(maker)) {
      continue;
    }
    const std::string path = folder + "\\" + data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    DeleteFileA(path.c_str());
  } while (FindNextFileA(search, &data));
  FindClose(search);
}

void ReplaceByCopy(const std::string& source, const std::string& target,
                   bool target_exists, const std::function<void()>& tick) {
  Handle in(OpenSource(source));
  const std::string folder = FolderOf(target);
  SweepStaleTemporaries(folder);
  std::string temporary;
  HANDLE out = CreateOwnFile(folder, kPrefix, temporary);
  if (target_exists) KeepOwnAccessRules(target, out);
  // The old file may only go once the new bytes are on the disk; a new file
  // loses nothing old.
  const SourceFacts facts =
      CopyInto(in.get(), out, temporary, target_exists, tick);
  in.Close();
  PutInPlace(temporary, target, target_exists);
  // CopyFile gives the target the source's attributes. Best effort: the
  // bytes are in place, and the caller sets the attributes it wants next.
  if (facts.attributes != 0) {
    SetFileAttributesA(target.c_str(), facts.attributes);
  }
}

std::string StageBeside(const std::string& source, const std::string& target,
                        const std::function<void()>& tick) {
  Handle in(OpenSource(source));
  std::string staged;
  HANDLE out = CreateOwnFile(FolderOf(target), kStagedPrefix, staged);
  // The request that names it is recorded next: the file must be complete
  // on the disk before, or a power failure could leave a request for a
  // file that never was.
  const SourceFacts facts = CopyInto(in.get(), out, staged, true, tick);
  if (facts.attributes != 0) {
    SetFileAttributesA(staged.c_str(), facts.attributes);
  }
  return staged;
}

}  // namespace rolvex
