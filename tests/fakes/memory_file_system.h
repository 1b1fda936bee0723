// An in-memory FileSystem on Windows paths for unit tests of the passes. It
// keeps the FileSystem contract (the contract suite runs over it): folders
// and files with attributes, contents and time stamps, matched without regard
// to letter case, searched with the directory-search rules of both builds,
// and the failures the real layers raise (53 missing, 70 read-only, hidden
// or locked target, 75 folder in the way or existing name, 76 missing folder
// or unknown drive). Drive C: exists, and every drive something was added on.
#ifndef ROLVEX_TESTS_FAKES_MEMORY_FILE_SYSTEM_H_
#define ROLVEX_TESTS_FAKES_MEMORY_FILE_SYSTEM_H_

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace rolvex {

class MemoryFileSystem : public FileSystem {
 public:
  struct Node {
    std::string path;  // as given when it was made
    bool folder = false;
    int attributes = 0;  // without the folder bit
    std::string content;
    FileTime modified = 0;
    bool locked = false;      // held open by another program
    bool unreadable = false;  // OpenForInput fails with 70
  };

  // Makes a folder and every missing folder above it (and its drive).
  void AddFolder(const std::string& path, int attributes = 0);
  // Makes a file (and its folders), replacing one that is there.
  Node& AddFile(const std::string& path, const std::string& content = "",
                FileTime modified = 1000, int attributes = 0);
  // The node at `path`, or nullptr.
  Node* Find(const std::string& path);
  bool Exists(const std::string& path) { return Find(path) != nullptr; }
  // The lines appended to `path` (its content split at CR LF).
  std::vector<std::string> Lines(const std::string& path);
  // Every call made, as "Op path" (AppendLine left out), in order.
  std::vector<std::string> calls;

  std::string Dir(const std::string& path, int mask) override;
  std::string DirNext() override;
  int GetAttr(const std::string& path) override;
  void SetAttr(const std::string& path, int attributes) override;
  void FileCopy(const std::string& source, const std::string& target) override;
  // A copy named "~rolvex-restart-<n>" in the target's folder.
  std::string StageForRestart(const std::string& source,
                              const std::string& target) override;
  void Kill(const std::string& path) override;
  void MkDir(const std::string& path) override;
  void RmDir(const std::string& path) override;
  FileTime DateLastModified(const std::string& path) override;
  void AppendLine(const std::string& path, const std::string& line) override;
  std::unique_ptr<ItemReader> OpenForInput(const std::string& path) override;
  void ReadContent(
      const std::string& path,
      const std::function<void(const char*, std::size_t)>& chunk) override;

 private:
  static std::string Key(const std::string& path);
  static std::string Parent(const std::string& key);
  bool FolderExists(const std::string& key);
  bool DriveExists(const std::string& path) const;
  void AddDrive(const std::string& path);
  // The names in the folder `folder_key` that match `pattern` and `mask`.
  std::vector<std::string> Search(const std::string& folder_key,
                                  const std::string& pattern, int mask);

  std::map<std::string, Node> nodes_;
  std::set<char> drives_{'C'};
  std::vector<std::string> search_;
  std::size_t search_pos_ = 0;
  int staged_ = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_MEMORY_FILE_SYSTEM_H_
