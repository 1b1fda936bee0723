// The installer's file operations over kernel32 (ANSI forms): FindFirstFileA
// for Dir, GetFileAttributesA / SetFileAttributesA, CopyFileA, DeleteFileA,
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
#ifndef ROLVEX_PLATFORM_WIN32_FILE_SYSTEM_H_
#define ROLVEX_PLATFORM_WIN32_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace rolvex {

// A FILETIME (100 ns units since 1601-01-01 UTC) as whole seconds since 1970,
// rounded down, as the file-system object drops the fraction of a second.
FileTime FileTimeFromWin32(std::uint64_t filetime);
std::uint64_t Win32FromFileTime(FileTime time);

// Whether an entry with the attribute bits `attributes` is delivered by a
// directory search with `mask`: plain files always, hidden, system files and
// folders only when they share a bit with the mask.
bool DirMaskAdmits(std::uint32_t attributes, int mask);

// Sorts names as NTFS lists them (upper-cased byte order), "." and ".."
// first; a search on another file system (FAT, a network share) comes out in
// the same order.
void SortDirNames(std::vector<std::string>& names);

class Win32FileSystem : public FileSystem {
 public:
  std::string Dir(const std::string& path, int mask) override;
  std::string DirNext() override;
  int GetAttr(const std::string& path) override;
  void SetAttr(const std::string& path, int attributes) override;
  void FileCopy(const std::string& source, const std::string& target) override;
  void Kill(const std::string& path) override;
  void MkDir(const std::string& path) override;
  FileTime DateLastModified(const std::string& path) override;
  void AppendLine(const std::string& path, const std::string& line) override;
  std::unique_ptr<ItemReader> OpenForInput(const std::string& path) override;

 private:
  // The names of the last search, and the next one to deliver.
  std::vector<std::string> names_;
  std::size_t next_ = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_FILE_SYSTEM_H_
