// The FileSystem contract over kernel32, in a fresh temporary folder (under
// Wine when the build is tested on Linux).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system_contract.h"
#include "platform/rules/file_time.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_temp_folder.h"

namespace rolvex {
namespace {

bool RunsUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr &&
         GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A handle held open without sharing, as a running program holds its image.
struct OpenHandle {
  explicit OpenHandle(const std::string& path)
      : handle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr)) {
    EXPECT_NE(handle, INVALID_HANDLE_VALUE) << path;
  }
  ~OpenHandle() { CloseHandle(handle); }
  HANDLE handle;
};

class Win32World : public FileSystemWorld {
 public:
  FileSystem& fs() override { return fs_; }
  std::string root() override { return dir_.path(); }
  std::string missing_drive() override {
    for (char c = 'Q'; c <= 'Y'; ++c) {
      const char root[] = {c, ':', '\\', '\0'};
      if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) return {c, ':'};
    }
    ADD_FAILURE() << "every drive letter from Q to Y is in use";
    return "Q:";
  }

  void WriteFile(const std::string& path, const std::string& content,
                 FileTime modified) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()),
                &written, nullptr);
    const std::uint64_t time = Win32FromFileTime(modified);
    FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    SetFileTime(file, nullptr, nullptr, &ft);
    CloseHandle(file);
  }
  void MakeFolder(const std::string& path) override {
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
  }
  void SetRawAttributes(const std::string& path, int attributes) override {
    DWORD bits = static_cast<DWORD>(attributes) &
                 (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(SetFileAttributesA(path.c_str(),
                                   bits != 0 ? bits : FILE_ATTRIBUTE_NORMAL))
        << path;
  }
  std::shared_ptr<void> HoldInUse(const std::string& path) override {
    return std::make_shared<OpenHandle>(path);
  }

  std::string ReadContent(const std::string& path) override {
    return dir_.Read(path.substr(dir_.path().size() + 1));
  }
  FileTime ReadTime(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    EXPECT_TRUE(
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        << path;
    return FileTimeFromWin32(
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime)
         << 32) |
        data.ftLastWriteTime.dwLowDateTime);
  }

  std::string Deviation(HostQuirk quirk) override {
    if (!RunsUnderWine()) return "";
    switch (quirk) {
      case HostQuirk::kArchiveAlwaysSet:
        return "Wine reports every file as archived: it keeps no archive bit";
      case HostQuirk::kTrailingDotIgnored:
        return "Wine's FindFirstFileA drops a pattern's trailing \".\": "
               "\"*.\" lists every name, not only those without a dot";
    }
    return "";
  }

 private:
  Win32TempFolder dir_;
  Win32FileSystem fs_;
};

std::unique_ptr<FileSystemWorld> MakeWin32World() {
  return std::make_unique<Win32World>();
}

INSTANTIATE_TEST_SUITE_P(Win32, FileSystemContract,
                         ::testing::Values(&MakeWin32World));

}  // namespace
}  // namespace rolvex
