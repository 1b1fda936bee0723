// A file system for the reporting tests: the only thing the reporting layer
// does with files is appending log lines, so everything else fails the test.
#ifndef ROLVEX_TESTS_REPORTING_LOG_ONLY_FILE_SYSTEM_H_
#define ROLVEX_TESTS_REPORTING_LOG_ONLY_FILE_SYSTEM_H_

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace rolvex::reporting_testing {

// Records the appended lines; any other operation is out of place.
// With `fail_with` set, AppendLine throws that instead.
class LogOnlyFileSystem : public FileSystem {
 public:
  struct Line {
    std::string path, text;
  };
  std::vector<Line> lines;
  std::function<void()> fail_with;

  void AppendLine(const std::string& path, const std::string& line) override {
    if (fail_with) fail_with();
    lines.push_back({path, line});
  }
  std::string Dir(const std::string&, int) override { Unexpected(); }
  std::string DirNext() override { Unexpected(); }
  int GetAttr(const std::string&) override { Unexpected(); }
  void SetAttr(const std::string&, int) override { Unexpected(); }
  void FileCopy(const std::string&, const std::string&) override {
    Unexpected();
  }
  std::string StageForRestart(const std::string&, const std::string&) override {
    Unexpected();
  }
  void Kill(const std::string&) override { Unexpected(); }
  void MkDir(const std::string&) override { Unexpected(); }
  void RmDir(const std::string&) override { Unexpected(); }
  FileTime DateLastModified(const std::string&) override { Unexpected(); }
  std::unique_ptr<ItemReader> OpenForInput(const std::string&) override {
    Unexpected();
  }
  void ReadContent(
      const std::string&,
      const std::function<void(const char*, std::size_t)>&) override {
    Unexpected();
  }

 private:
  [[noreturn]] static void Unexpected() {
    throw std::logic_error("the status output only appends to its log");
  }
};

}  // namespace rolvex::reporting_testing

#endif  // ROLVEX_TESTS_REPORTING_LOG_ONLY_FILE_SYSTEM_H_
