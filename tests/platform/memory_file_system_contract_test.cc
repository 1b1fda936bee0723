// The FileSystem contract over the memory fake the tests of the passes use,
// so that what those tests see is what the real layers do.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fakes/memory_file_system.h"
#include "platform/file_system_contract.h"

namespace rolvex {
namespace {

class MemoryWorld : public FileSystemWorld {
 public:
  MemoryWorld() { fs_.AddFolder(root()); }

  FileSystem& fs() override { return fs_; }
  std::string root() override { return "C:\\T"; }
  std::string missing_drive() override { return "Q:"; }

  void WriteFile(const std::string& path, const std::string& content,
                 FileTime modified) override {
    fs_.AddFile(path, content, modified);
  }
  void MakeFolder(const std::string& path) override { fs_.AddFolder(path); }
  void SetRawAttributes(const std::string& path, int attributes) override {
    Node(path).attributes = attributes & ~kAttrDirectory;
  }
  std::shared_ptr<void> HoldInUse(const std::string& path) override {
    Node(path).locked = true;
    return std::shared_ptr<void>(nullptr, [this, path](void*) {
      if (MemoryFileSystem::Node* node = fs_.Find(path)) node->locked = false;
    });
  }

  std::string ReadContent(const std::string& path) override {
    MemoryFileSystem::Node* node = fs_.Find(path);
    return node != nullptr && !node->folder ? node->content : "<missing>";
  }
  FileTime ReadTime(const std::string& path) override {
    return Node(path).modified;
  }

 private:
  MemoryFileSystem::Node& Node(const std::string& path) {
    MemoryFileSystem::Node* node = fs_.Find(path);
    EXPECT_NE(node, nullptr) << path;
    static MemoryFileSystem::Node none;
    return node != nullptr ? *node : none;
  }

  MemoryFileSystem fs_;
};

std::unique_ptr<FileSystemWorld> MakeMemoryWorld() {
  return std::make_unique<MemoryWorld>();
}

INSTANTIATE_TEST_SUITE_P(Memory, FileSystemContract,
                         ::testing::Values(&MakeMemoryWorld));

}  // namespace
}  // namespace rolvex
