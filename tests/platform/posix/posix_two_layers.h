// Two Linux file layers over one prefix: one with every cache on (indexed)
// and one that asks the disk each time (plain). The plain layer is the
// reference: whatever the disk looks like after a change made from outside,
// the indexed layer must answer as it does. Each question gives its answer
// as text ("RunError N" for a failure), so answers compare as strings and a
// mismatch prints both.
#ifndef ROLVEX_TESTS_PLATFORM_POSIX_POSIX_TWO_LAYERS_H_
#define ROLVEX_TESTS_PLATFORM_POSIX_POSIX_TWO_LAYERS_H_

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_profile_store.h"
#include "platform/posix/posix_temp_prefix.h"
#include "platform/run_error.h"

namespace rolvex {

// The drive model and what the installer reaches the disk through.
struct PosixLayer {
  PosixLayer(const std::string& prefix, bool indexed)
      : drives(prefix, indexed), fs(drives), profiles(drives) {}
  DriveModel drives;
  PosixFileSystem fs;
  PosixProfileStore profiles;
};

template <typename Question>
std::string AnswerOf(Question&& question) {
  try {
    return question();
  } catch (const RunError& e) {
    return "RunError " + std::to_string(e.number());
  }
}

inline std::string AskHost(PosixLayer& l, const std::string& path) {
  return AnswerOf([&] { return l.drives.ToHost(path); });
}
inline std::string AskAttr(PosixLayer& l, const std::string& path) {
  return AnswerOf([&] { return std::to_string(l.fs.GetAttr(path)); });
}
inline std::string AskTime(PosixLayer& l, const std::string& path) {
  return AnswerOf([&] { return std::to_string(l.fs.DateLastModified(path)); });
}
// Every name of the search, in order, "|" after each.
inline std::string AskDir(PosixLayer& l, const std::string& path, int mask) {
  return AnswerOf([&] {
    std::string names;
    for (std::string name = l.fs.Dir(path, mask); !name.empty();
         name = l.fs.DirNext()) {
      names += name + "|";
    }
    return names;
  });
}
// Every item of the file, "," after each.
inline std::string AskContent(PosixLayer& l, const std::string& path) {
  return AnswerOf([&] {
    std::string items;
    auto reader = l.fs.OpenForInput(path);
    while (!reader->AtEnd()) items += reader->ReadItem() + ",";
    return items;
  });
}
inline std::string AskProfile(PosixLayer& l, const std::string& path) {
  return AnswerOf(
      [&] { return l.profiles.GetString("S", "K", "none", 256, path); });
}

// rename(2) with RENAME_EXCHANGE, through the system call itself since older
// C libraries lack the wrapper.
inline int ExchangeNames(const std::string& a, const std::string& b) {
  return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD,
                                  b.c_str(), 2 /* EXCHANGE */));
}

// What `ln -sfn target link` does: a new link beside, renamed over the old.
inline int RepointLink(const std::string& link, const std::string& target) {
  std::string fresh = link + ".new";
  unlink(fresh.c_str());
  if (symlink(target.c_str(), fresh.c_str()) != 0) return -1;
  return rename(fresh.c_str(), link.c_str());
}

// A folder PREFIX below a throw-away folder, laid out as Wine lays it out
// (dosdevices/c: -> ../drive_c), and both layers over it. The prefix lies
// one level down so that it can be moved aside and made anew.
class TwoLayersTest : public ::testing::Test {
 public:
  TwoLayersTest() : prefix_(temp_.path() + "/prefix") { Renew(); }

  // A fresh, empty prefix and fresh layers.
  void Renew() {
    indexed_.reset();
    plain_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(prefix_, ignored);
    std::filesystem::create_directories(prefix_ + "/dosdevices");
    std::filesystem::create_directories(prefix_ + "/drive_c");
    symlink("../drive_c", (prefix_ + "/dosdevices/c:").c_str());
  }
  // The layers, made on first use so that a test lays out the disk first.
  // With ROLVEX_FILE_INDEX=off the "indexed" layer is a plain one too: every
  // case must then pass, which shows its expectations hold on the disk.
  PosixLayer& indexed() {
    if (!indexed_) {
      const char* index = getenv("ROLVEX_FILE_INDEX");
      bool on = !(index && std::string(index) == "off");
      indexed_ = std::make_unique<PosixLayer>(prefix_, on);
    }
    return *indexed_;
  }
  PosixLayer& plain() {
    if (!plain_) plain_ = std::make_unique<PosixLayer>(prefix_, false);
    return *plain_;
  }

  const std::string& prefix() const { return prefix_; }
  // The host path of `relative` below drive C:, through the drive link.
  std::string C(const std::string& relative) const {
    return prefix_ + "/dosdevices/c:/" + relative;
  }
  // Writes a file, making its folders.
  static void Put(const std::string& host, const std::string& text) {
    std::error_code ignored;
    std::filesystem::create_directories(
        std::filesystem::path(host).parent_path(), ignored);
    TempPrefix::Write(host, text);
  }
  static void SetTime(const std::string& host, time_t seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, host.c_str(), times, 0);
  }
  // The names in a host folder, sorted, "|" after each.
  static std::string HostNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& e : std::filesystem::directory_iterator(folder, ignored)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string all;
    for (const auto& name : names) all += name + "|";
    return all;
  }

  // Asks both layers; the indexed one must answer as the plain one.
  template <typename Question>
  void ExpectSame(Question&& question, const std::string& what) {
    EXPECT_EQ(question(indexed()), question(plain())) << what;
  }
  // The questions a cache could answer wrongly about one path.
  void ExpectSameAbout(const std::string& path) {
    ExpectSame([&](PosixLayer& l) { return AskHost(l, path); },
               "ToHost " + path);
    ExpectSame([&](PosixLayer& l) { return AskAttr(l, path); },
               "GetAttr " + path);
    ExpectSame([&](PosixLayer& l) { return AskTime(l, path); },
               "DateLastModified " + path);
    ExpectSame([&](PosixLayer& l) { return AskContent(l, path); },
               "OpenForInput " + path);
    ExpectSame([&](PosixLayer& l) { return AskDir(l, path, 31); },
               "Dir " + path);
  }

 protected:
  TempPrefix temp_;
  std::string prefix_;
  std::unique_ptr<PosixLayer> indexed_;
  std::unique_ptr<PosixLayer> plain_;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_PLATFORM_POSIX_POSIX_TWO_LAYERS_H_
