// A fresh folder under the system's temporary folder for one test, removed
// with everything in it (attributes cleared first) when the test ends.
#ifndef ROLVEX_TESTS_PLATFORM_WIN32_WIN32_TEMP_FOLDER_H_
#define ROLVEX_TESTS_PLATFORM_WIN32_WIN32_TEMP_FOLDER_H_

#include <string>

#include "platform/win32/win32_api.h"

namespace rolvex {

class Win32TempFolder {
 public:
  Win32TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
      path_ = std::string(base) + "rolvex-test-" +
              std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++counter);
      if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
  }
  ~Win32TempFolder() { Remove(path_); }
  Win32TempFolder(const Win32TempFolder&) = delete;
  Win32TempFolder& operator=(const Win32TempFolder&) = delete;

  // The folder, without trailing backslash.
  const std::string& path() const { return path_; }
  // `name` inside the folder.
  std::string operator/(const std::string& name) const {
    return path_ + "\\" + name;
  }

  // Writes `bytes` into `name` (a path inside the folder), replacing it.
  void Write(const std::string& name, const std::string& bytes) const {
    HANDLE file = CreateFileA((*this / name).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
    CloseHandle(file);
  }

  // The whole content of `name`, or "<missing>".
  std::string Read(const std::string& name) const {
    HANDLE file = CreateFileA((*this / name).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
      bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
  }

 private:
  static void Remove(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = folder + "\\" + name;
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Remove(full);
        } else {
          DeleteFileA(full.c_str());
        }
      } while (FindNextFileA(search, &data));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }

  std::string path_;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_PLATFORM_WIN32_WIN32_TEMP_FOLDER_H_
