#include "platform/win32/win32_file_system.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/rules/buffer_item_reader.h"
#include "platform/rules/directory_search.h"
#include "platform/run_error.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_copy.h"
#include "platform/win32/win32_file_holders.h"

namespace rolvex {
namespace {

constexpr DWORD kSettableAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
    FILE_ATTRIBUTE_ARCHIVE;
// The bits the installer knows (read-only to archive, and the reparse point
// that marks a junction a tree listing must not enter); the rest (normal,
// compressed, not indexed, ...) say nothing it asks about.
constexpr DWORD kReportedAttributes = 0x3F | FILE_ATTRIBUTE_REPARSE_POINT;

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// "Not found" in any form is 53 for the operations whose contract knows only
// "missing"; other failures keep their own number.
[[noreturn]] void ThrowMissingAs53(DWORD error) {
  if (IsMissing(error)) throw RunError::Of(kErrFileNotFound);
  throw RunErrorOfWin32(error);
}

// A drive letter that names no drive at all: the search cannot even start.
// Windows reports a plain "path not found" for it, which Dir would take for
// an empty result, so the drive is asked about first.
bool NamesMissingDrive(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return false;
  char letter = path[0];
  if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) {
    return false;
  }
  const char root[] = {letter, ':', '\\', '\0'};
  return GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR;
}

// True when the folder a search looks in does not exist as a folder: it is
// missing, or a file stands where it should be. Windows reports that case
// as "path not found", Wine as an invalid name; either way the search finds
// nothing.
bool SearchFolderIsMissing(const std::string& path) {
  std::size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) return false;
  std::string folder = path.substr(0, slash + 1);
  DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES ||
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Closes a handle at the end of a scope.
class HandleCloser {
 public:
  explicit HandleCloser(HANDLE handle) : handle_(handle) {}
  ~HandleCloser() { CloseHandle(handle_); }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;

 private:
  HANDLE handle_;
};

}  // namespace

std::string Win32FileSystem::Dir(const std::string& path, int mask) {
  names_.clear();
  next_ = 0;
  if (NamesMissingDrive(path)) throw RunError::Of(kErrPathNotFound);

  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (IsMissing(error) || error == ERROR_NO_MORE_FILES) return "";
    if (SearchFolderIsMissing(path)) return "";
    throw RunErrorOfWin32(error);
  }
  do {
    if (PassesMask(
            static_cast<int>(data.dwFileAttributes & kReportedAttributes),
            mask)) {
      names_.emplace_back(data.cFileName);
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);
  SortNtfs(names_);
  return DirNext();
}

std::string Win32FileSystem::DirNext() {
  if (next_ >= names_.size()) return "";
  return names_[next_++];
}

int Win32FileSystem::GetAttr(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowMissingAs53(GetLastError());
  return static_cast<int>(attributes & kReportedAttributes);
}

void Win32FileSystem::RemoveStaleTemporaries(const std::string& folder) {
  SweepStaleTemporaries(folder);
}

void Win32FileSystem::SetAttr(const std::string& path, int attributes) {
  DWORD wanted = static_cast<DWORD>(attributes) & kSettableAttributes;
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileAttributesA(path.c_str(), wanted)) {
    ThrowMissingAs53(GetLastError());
  }
}

void Win32FileSystem::FileCopy(const std::string& source,
                               const std::string& target) {
  DWORD existing = GetFileAttributesA(target.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (existing & FILE_ATTRIBUTE_DIRECTORY) {
      throw RunError::Of(kErrPathFileAccess);
    }
    if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) {
      throw RunError::Of(kErrPermissionDenied);
    }
  }
  ReplaceByCopy(source, target, existing != INVALID_FILE_ATTRIBUTES, tick_);
}

std::string Win32FileSystem::StageForRestart(const std::string& source,
                                             const std::string& target) {
  return StageBeside(source, target, tick_);
}

void Win32FileSystem::Kill(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowMissingAs53(GetLastError());
  // A folder is no file to delete: Kill searches files only.
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    throw RunError::Of(kErrFileNotFound);
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    throw RunError::Of(kErrPermissionDenied);
  }
  if (!DeleteFileA(path.c_str())) {
    const DWORD error = GetLastError();
    if (IsMissing(error)) throw RunError::Of(kErrFileNotFound);
    throw RunErrorOfWin32For(error, path);
  }
}

void Win32FileSystem::MkDir(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) ThrowLastError();
}

void Win32FileSystem::RmDir(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    throw RunError::Of(kErrPathNotFound);
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throw RunError::Of(kErrPathFileAccess);
  }
  if (!RemoveDirectoryA(path.c_str())) {
    if (GetLastError() == ERROR_DIR_NOT_EMPTY) {
      throw RunError::Of(kErrPathFileAccess);
    }
    ThrowLastError();
  }
}

std::int64_t Win32FileSystem::FileLen(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    ThrowMissingAs53(GetLastError());
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    throw RunError::Of(kErrPathFileAccess);
  }
  return static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
      data.nFileSizeLow);
}

FileTime Win32FileSystem::DateLastModified(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    ThrowMissingAs53(GetLastError());
  }
  // GetFile finds files only.
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    throw RunError::Of(kErrFileNotFound);
  }
  return FileTimeFromWin32(
      (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
      data.ftLastWriteTime.dwLowDateTime);
}

void Win32FileSystem::AppendLine(const std::string& path,
                                 const std::string& line) {
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) ThrowLastError();
  HandleCloser closer(file);
  const std::string bytes = line + "\r\n";
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                 nullptr)) {
    ThrowLastError();
  }
  if (written != bytes.size()) throw RunError::Of(kErrDiskFull);
}

std::unique_ptr<ItemReader> Win32FileSystem::OpenForInput(
    const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) ThrowMissingAs53(GetLastError());
  HandleCloser closer(file);
  std::string bytes;
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
      throw RunError::Of(kErrPermissionDenied);
    }
    if (got == 0) break;
    bytes.append(chunk, got);
  }
  return std::make_unique<BufferItemReader>(std::move(bytes));
}

void Win32FileSystem::ReadContent(
    const std::string& path,
    const std::function<void(const char*, std::size_t)>& chunk) {
  // A folder cannot be opened this way at all (no backup semantics), and a
  // pipe or device is refused before it could be waited on.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throw RunError::Of(kErrPathFileAccess);
  }
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) ThrowMissingAs53(GetLastError());
  HandleCloser closer(file);
  if (GetFileType(file) != FILE_TYPE_DISK) {
    throw RunError::Of(kErrPathFileAccess);
  }
  // As large as the file (and one byte to see its end at once), at most
  // 1 MiB, and not filled first: most files of a pack are small.
  LARGE_INTEGER length{};
  GetFileSizeEx(file, &length);
  const DWORD size = static_cast<DWORD>(
      std::min<LONGLONG>(std::max<LONGLONG>(length.QuadPart, 0) + 1, 1 << 20));
  const auto buffer = std::make_unique_for_overwrite<char[]>(size);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer.get(), size, &got, nullptr)) {
      throw RunError::Of(kErrPermissionDenied);
    }
    if (got == 0) return;
    chunk(buffer.get(), got);
  }
}

}  // namespace rolvex
