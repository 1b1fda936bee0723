// One test suite for every FileSystem implementation: each checks the
// promises of platform/file_system.h in the same words, so that the POSIX
// layer, the Win32 layer and the memory fake cannot drift apart.
//
// An implementation takes part by providing a FileSystemWorld (the file
// system under test plus a way to arrange and inspect files behind its back)
// and instantiating the suite:
//
//   INSTANTIATE_TEST_SUITE_P(Posix, FileSystemContract,
//                            ::testing::Values(&MakePosixWorld));
#ifndef ROLVEX_TESTS_PLATFORM_FILE_SYSTEM_CONTRACT_H_
#define ROLVEX_TESTS_PLATFORM_FILE_SYSTEM_CONTRACT_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace rolvex {

// Behaviour of a host that differs from Windows itself; the cases that would
// fail on it are skipped there, with the reason the world gives.
enum class HostQuirk {
  // Every file reports the archive bit, whatever was set (Wine).
  kArchiveAlwaysSet,
  // A pattern's trailing "." is dropped, so "*." matches every name (Wine).
  kTrailingDotIgnored,
};

// An implementation under test and the means to arrange its files directly.
// Every path is a Windows path inside root(), named as the world made it.
class FileSystemWorld {
 public:
  // Removes whatever the test made, also when a file is held in use.
  virtual ~FileSystemWorld() = default;

  virtual FileSystem& fs() = 0;
  // An empty folder to work in (a Windows path without trailing backslash),
  // not the root of a drive.
  virtual std::string root() = 0;
  // A drive letter with colon ("Q:") that names no drive.
  virtual std::string missing_drive() = 0;

  // Writes a file with `content` and the last-modified time `modified`.
  virtual void WriteFile(const std::string& path, const std::string& content,
                         FileTime modified) = 0;
  virtual void MakeFolder(const std::string& path) = 0;
  // Gives `path` exactly the read-only, hidden, system and archive bits of
  // `attributes`, as another program would set them.
  virtual void SetRawAttributes(const std::string& path, int attributes) = 0;
  // Holds the file in use, as a running program holds its image, until the
  // returned object is destroyed.
  virtual std::shared_ptr<void> HoldInUse(const std::string& path) = 0;

  // The content of a file, or "<missing>".
  virtual std::string ReadContent(const std::string& path) = 0;
  // The last-modified time of a file in whole seconds.
  virtual FileTime ReadTime(const std::string& path) = 0;

  // Why this host deviates from Windows in `quirk`, or "" when it does not.
  virtual std::string Deviation(HostQuirk quirk) {
    (void)quirk;
    return "";
  }
};

using FileSystemWorldFactory = std::unique_ptr<FileSystemWorld> (*)();

class FileSystemContract
    : public ::testing::TestWithParam<FileSystemWorldFactory> {
 protected:
  void SetUp() override { world_ = GetParam()(); }
  void TearDown() override { world_.reset(); }

  FileSystemWorld& world() { return *world_; }
  FileSystem& fs() { return world_->fs(); }
  // `name` inside the world's root.
  std::string At(const std::string& name) {
    return world_->root() + "\\" + name;
  }

 private:
  std::unique_ptr<FileSystemWorld> world_;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_PLATFORM_FILE_SYSTEM_CONTRACT_H_
