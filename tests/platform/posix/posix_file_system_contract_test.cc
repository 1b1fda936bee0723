// The FileSystem contract over the POSIX layer in a temporary prefix.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <memory>
#include <string>

#include "platform/file_system_contract.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_locking_child.h"
#include "platform/posix/posix_temp_prefix.h"

namespace rolvex {
namespace {

class PosixWorld : public FileSystemWorld {
 public:
  PosixWorld() : drives_(temp_.path()), fs_(drives_) {
    mkdir(Host(root()).c_str(), 0755);
  }

  FileSystem& fs() override { return fs_; }
  std::string root() override { return "C:\\T"; }
  std::string missing_drive() override { return "Q:"; }

  void WriteFile(const std::string& path, const std::string& content,
                 FileTime modified) override {
    const std::string host = Host(path);
    TempPrefix::Write(host, content);
    struct timespec times[2] = {{modified, 0}, {modified, 0}};
    EXPECT_EQ(utimensat(AT_FDCWD, host.c_str(), times, 0), 0) << host;
  }
  void MakeFolder(const std::string& path) override {
    EXPECT_EQ(mkdir(Host(path).c_str(), 0755), 0) << path;
  }
  // Read-only is a file's write permission; the rest (and a folder's
  // read-only) is the stored DOSATTRIB text.
  void SetRawAttributes(const std::string& path, int attributes) override {
    const std::string host = Host(path);
    struct stat st;
    ASSERT_EQ(stat(host.c_str(), &st), 0) << host;
    int stored = attributes & (kAttrHidden | kAttrSystem | kAttrArchive);
    if (S_ISDIR(st.st_mode)) {
      stored |= attributes & kAttrReadOnly;
    } else {
      chmod(host.c_str(), (attributes & kAttrReadOnly) ? 0444 : 0644);
    }
    if (stored == 0) {
      removexattr(host.c_str(), "user.DOSATTRIB");
      return;
    }
    char text[16];
    int length = snprintf(text, sizeof text, "0x%x", stored);
    ASSERT_EQ(setxattr(host.c_str(), "user.DOSATTRIB", text,
                       static_cast<size_t>(length), 0),
              0)
        << host;
  }
  std::shared_ptr<void> HoldInUse(const std::string& path) override {
    return std::make_shared<LockingChild>(Host(path), LockKind::kFlock);
  }

  std::string ReadContent(const std::string& path) override {
    struct stat st;
    if (stat(Host(path).c_str(), &st) != 0) return "<missing>";
    return TempPrefix::Read(Host(path));
  }
  FileTime ReadTime(const std::string& path) override {
    struct stat st;
    EXPECT_EQ(stat(Host(path).c_str(), &st), 0) << path;
    return st.st_mtim.tv_sec;
  }

 private:
  // The host path of a path below C:\, spelled as the world made it.
  std::string Host(const std::string& path) const {
    std::string host = temp_.drive_c();
    for (char c : path.substr(2)) host += c == '\\' ? '/' : c;
    return host;
  }

  TempPrefix temp_;
  DriveModel drives_;
  PosixFileSystem fs_;
};

std::unique_ptr<FileSystemWorld> MakePosixWorld() {
  return std::make_unique<PosixWorld>();
}

INSTANTIATE_TEST_SUITE_P(Posix, FileSystemContract,
                         ::testing::Values(&MakePosixWorld));

}  // namespace
}  // namespace rolvex
