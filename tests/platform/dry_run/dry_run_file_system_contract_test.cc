// The FileSystem contract over the dry-run overlay: a run over it must see
// what it would see over the real layer, operation after operation, while
// the file system below is only read (every change goes to the overlay).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fakes/memory_file_system.h"
#include "platform/dry_run/dry_run_file_system.h"
#include "platform/file_system_contract.h"

namespace rolvex {
namespace {

// The memory file system, read-only: a change that reaches it fails the case.
class ReadOnlyView : public FileSystem {
 public:
  explicit ReadOnlyView(MemoryFileSystem& real) : real_(real) {}
  std::string Dir(const std::string& path, int mask) override {
    return real_.Dir(path, mask);
  }
  std::string DirNext() override { return real_.DirNext(); }
  int GetAttr(const std::string& path) override { return real_.GetAttr(path); }
  FileTime DateLastModified(const std::string& path) override {
    return real_.DateLastModified(path);
  }
  std::unique_ptr<ItemReader> OpenForInput(const std::string& path) override {
    return real_.OpenForInput(path);
  }
  void ReadContent(
      const std::string& path,
      const std::function<void(const char*, std::size_t)>& chunk) override {
    real_.ReadContent(path, chunk);
  }
  void SetAttr(const std::string& path, int) override { Changed(path); }
  void FileCopy(const std::string&, const std::string& target) override {
    Changed(target);
  }
  std::string StageForRestart(const std::string&,
                              const std::string& target) override {
    Changed(target);
    return "";
  }
  void Kill(const std::string& path) override { Changed(path); }
  void MkDir(const std::string& path) override { Changed(path); }
  void RmDir(const std::string& path) override { Changed(path); }
  void AppendLine(const std::string& path, const std::string&) override {
    Changed(path);
  }

 private:
  static void Changed(const std::string& path) {
    ADD_FAILURE() << "the dry run changed " << path;
  }
  MemoryFileSystem& real_;
};

class MemoryProbe : public FileProbe {
 public:
  explicit MemoryProbe(MemoryFileSystem& real) : real_(real) {}
  bool InUse(const std::string& path) override {
    const MemoryFileSystem::Node* node = real_.Find(path);
    return node != nullptr && node->locked;
  }
  bool Unreadable(const std::string& path) override {
    const MemoryFileSystem::Node* node = real_.Find(path);
    return node != nullptr && node->unreadable;
  }
  bool NotAFile(const std::string&) override { return false; }

 private:
  MemoryFileSystem& real_;
};

class DryRunWorld : public FileSystemWorld {
 public:
  DryRunWorld() { real_.AddFolder(root()); }

  FileSystem& fs() override { return overlay_; }
  std::string root() override { return "C:\\T"; }
  std::string missing_drive() override { return "Q:"; }

  // Arranged on the PC itself, below the overlay.
  void WriteFile(const std::string& path, const std::string& content,
                 FileTime modified) override {
    real_.AddFile(path, content, modified);
  }
  void MakeFolder(const std::string& path) override { real_.AddFolder(path); }
  void SetRawAttributes(const std::string& path, int attributes) override {
    if (MemoryFileSystem::Node* node = real_.Find(path)) {
      node->attributes = attributes & ~kAttrDirectory;
    }
  }
  std::shared_ptr<void> HoldInUse(const std::string& path) override {
    real_.Find(path)->locked = true;
    return std::shared_ptr<void>(nullptr, [this, path](void*) {
      if (MemoryFileSystem::Node* node = real_.Find(path)) node->locked = false;
    });
  }

  // What the run would find there: the bytes of the file the overlay says
  // they come from, and the lines it would append.
  std::string ReadContent(const std::string& path) override {
    const std::optional<std::string> origin = overlay_.ContentOf(path);
    if (!origin) return "<missing>";
    std::string content;
    if (!origin->empty()) content = real_.Find(*origin)->content;
    for (const std::string& line : overlay_.LinesAppendedTo(path)) {
      content += line + "\r\n";
    }
    return content;
  }
  FileTime ReadTime(const std::string& path) override {
    return overlay_.DateLastModified(path);
  }

 private:
  MemoryFileSystem real_;
  ReadOnlyView view_{real_};
  MemoryProbe probe_{real_};
  DryRunFileSystem overlay_{view_, probe_};
};

std::unique_ptr<FileSystemWorld> MakeDryRunWorld() {
  return std::make_unique<DryRunWorld>();
}

INSTANTIATE_TEST_SUITE_P(DryRun, FileSystemContract,
                         ::testing::Values(&MakeDryRunWorld));

}  // namespace
}  // namespace rolvex
