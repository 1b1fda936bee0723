// The installer's file operations over kernel32 (ANSI forms): FindFirstFileA
// for Dir, GetFileAttributesA / SetFileAttributesA, a copy through a
// temporary and ReplaceFileA (win32_file_copy.h), DeleteFileA,
// CreateDirectoryA, GetFileAttributesExA for the last-write time, CreateFileA
// for appending and reading. Paths go to the system as they are.
//
// Where Windows itself already fails in the way the FileSystem contract
// states, the call's error is mapped (win32_errors.h); where Wine is more
// lenient than Windows, the check is made here first, so that both report
// the same:
// - FileCopy onto a read-only or hidden target fails with 70 before CopyFileA
//   is called (Windows refuses it; Wine, and a process running as root under
//   Wine, would overwrite it).
// - Kill of a read-only file fails with 70 likewise.
// - Dir finds nothing ("") when the folder it searches is missing or is a
//   file, whatever error the system gives for it (Wine: an invalid name).
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_FILE_SYSTEM_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/rules/file_time.h"

namespace rolvex {

class Win32FileSystem : public FileSystem {
 public:
  std::string Dir(const std::string& path, int mask) override;
  std::string DirNext() override;
  int GetAttr(const std::string& path) override;
  void SetAttr(const std::string& path, int attributes) override;
  void RemoveStaleTemporaries(const std::string& folder) override;
  void FileCopy(const std::string& source, const std::string& target) override;
  std::string StageForRestart(const std::string& source,
                              const std::string& target) override;
  void SetCopyProgress(std::function<void()> tick) override {
    tick_ = std::move(tick);
  }
  void Kill(const std::string& path) override;
  void MkDir(const std::string& path) override;
  void RmDir(const std::string& path) override;
  std::int64_t FileLen(const std::string& path) override;
  FileTime DateLastModified(const std::string& path) override;
  void AppendLine(const std::string& path, const std::string& line) override;
  std::unique_ptr<ItemReader> OpenForInput(const std::string& path) override;
  void ReadContent(
      const std::string& path,
      const std::function<void(const char*, std::size_t)>& chunk) override;

 private:
  // The names of the last search, and the next one to deliver.
  std::vector<std::string> names_;
  std::size_t next_ = 0;
  std::function<void()> tick_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_FILE_SYSTEM_H_
