// A FileSystem decorator that makes chosen calls fail, for fault injection
// over any backend (the in-memory fake or the real POSIX layer).
#ifndef ROLVEX_TESTS_FAKES_FAULTY_FILE_SYSTEM_H_
#define ROLVEX_TESTS_FAKES_FAULTY_FILE_SYSTEM_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace rolvex {

class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

  // Makes operation `op` ("Dir", "DirNext", "GetAttr", "SetAttr", "FileCopy",
  // "StageForRestart", "Kill", "MkDir", "DateLastModified", "AppendLine",
  // "OpenForInput", "AtEnd", "ReadItem") fail with RunError `number` when its
  // path (for FileCopy and StageForRestart the target; for AtEnd and
  // ReadItem the file opened) contains `path_part` (case-insensitive; ""
  // matches every path). `times` failures, then the call goes through again;
  // -1 fails for ever.
  void Fail(const std::string& op, const std::string& path_part, int number,
            int times = -1);
  // How many calls the rules made fail so far.
  int failures() const { return failures_; }

  std::string Dir(const std::string& path, int mask) override;
  std::string DirNext() override;
  int GetAttr(const std::string& path) override;
  void SetAttr(const std::string& path, int attributes) override;
  void FileCopy(const std::string& source, const std::string& target) override;
  std::string StageForRestart(const std::string& source,
                              const std::string& target) override;
  void SetCopyProgress(std::function<void()> tick) override {
    inner_.SetCopyProgress(std::move(tick));
  }
  void Kill(const std::string& path) override;
  void MkDir(const std::string& path) override;
  void RmDir(const std::string& path) override;
  FileTime DateLastModified(const std::string& path) override;
  void AppendLine(const std::string& path, const std::string& line) override;
  std::unique_ptr<ItemReader> OpenForInput(const std::string& path) override;
  void ReadContent(
      const std::string& path,
      const std::function<void(const char*, std::size_t)>& chunk) override;
  void Flush() override { inner_.Flush(); }

  // Throws when a rule for `op` matches `path`. Public for the reader.
  void Check(const std::string& op, const std::string& path);

 private:
  struct Rule {
    std::string op, path_part;
    int number;
    int times;
  };
  FileSystem& inner_;
  std::vector<Rule> rules_;
  std::string last_search_;
  int failures_ = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_FAULTY_FILE_SYSTEM_H_
