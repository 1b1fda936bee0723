#include "platform/posix/posix_temporary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_temp_prefix.h"

namespace rolvex {
namespace {

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

ino_t Inode(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(PosixTemporaryTest, AFileIsInvisibleUntilCommittedThenTakesItsPlace) {
  TempPrefix temp;
  const std::string target = temp.path() + "/target";
  const std::string fresh = temp.path() + "/fresh";
  TempPrefix::Write(target, "old");
  {
    TemporaryFile over(target, 0644);
    TemporaryFile beside(fresh, 0644);
    TemporaryFile dropped(fresh, 0644);
    ASSERT_TRUE(over.ok() && beside.ok() && dropped.ok());
    EXPECT_FALSE(over.named()) << "this file system takes O_TMPFILE";
    ASSERT_EQ(write(over.get(), "new", 3), 3);
    ASSERT_EQ(write(beside.get(), "fresh", 5), 5);
    EXPECT_EQ(Names(temp.path()), std::vector<std::string>{"target"});
    EXPECT_EQ(over.Commit(), 0);
    EXPECT_EQ(beside.Commit(), 0);
  }
  EXPECT_EQ(TempPrefix::Read(target), "new");
  EXPECT_EQ(TempPrefix::Read(fresh), "fresh");
  EXPECT_EQ(Names(temp.path()), (std::vector<std::string>{"fresh", "target"}));

  std::string path;
  errno = 0;
  EXPECT_FALSE(TemporaryFile(temp.path() + "/missing/x", 0600).ok());
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(TemporaryFile(temp.path() + "/missing/x", 0600, false).ok());
  EXPECT_EQ(errno, ENOENT);
}

TEST(PosixTemporaryTest, ANamedFileCarriesItsMakerAndItsInode) {
  TempPrefix temp;
  // The longest name a folder entry may have still leaves room.
  const std::string target = temp.path() + "/" + std::string(255, 'n');
  TemporaryFile a(target, 0600, false);
  TemporaryFile b(target, 0600, false);
  ASSERT_TRUE(a.ok() && b.ok());
  EXPECT_TRUE(a.named());
  EXPECT_NE(a.path(), b.path());
  const std::string name = a.path().substr(temp.path().size() + 1);
  TemporaryMaker maker;
  unsigned long long inode = 0;
  ASSERT_TRUE(ParseTemporaryName(name, maker, inode)) << name;
  const TemporaryMaker& me = ThisProcess();
  ASSERT_EQ(me.boot.size(), 16u);
  EXPECT_EQ(maker.boot, me.boot);
  EXPECT_EQ(maker.pid_namespace, me.pid_namespace);
  EXPECT_EQ(maker.pid, getpid());
  EXPECT_EQ(maker.start, me.start);
  EXPECT_EQ(inode, Inode(a.path()));
  EXPECT_NE(name.find("~" + std::string(120, 'n')), std::string::npos);

  ASSERT_EQ(a.Commit(), 0);
  b.Discard();
  EXPECT_EQ(Names(temp.path()),
            std::vector<std::string>{std::string(255, 'n')});
}

TEST(PosixTemporaryTest, TheSweepRemovesOnlyStaleFilesOfTheInstallersMaking) {
  TempPrefix temp;
  DriveModel drives(temp.path());
  const std::string folder = temp.drive_c() + "/Data";
  mkdir(folder.c_str(), 0755);
  TempPrefix::Write(folder + "/f", "target");
  const TemporaryMaker& me = ThisProcess();
  const std::string other_boot = "0000000000000000";
  const std::string ids = "-" + std::to_string(me.pid_namespace) + "-";
  // A file named `head` + its own inode + "~f".
  auto bound = [&](const std::string& head) {
    const std::string made = folder + "/made";
    TempPrefix::Write(made, "x");
    std::string name = head + std::to_string(Inode(made)) + "~f";
    rename(made.c_str(), (folder + "/" + name).c_str());
    return name;
  };

  // Killed makers: a child of this test, and a process of an earlier boot.
  ASSERT_EQ(RunInChild([&]() -> int {
              TemporaryFile left(folder + "/f", 0600, false);
              _exit(left.ok() ? 0 : 1);  // as if killed: nothing cleans up
            }),
            0);
  std::vector<std::string> left_by_child;
  for (const std::string& n : Names(folder)) {
    if (n != "f") left_by_child.push_back(n);
  }
  ASSERT_EQ(left_by_child.size(), 1u);
  bound(".~rolvex-" + other_boot + ids + "1-1-");
  // One caught before it got its inode: empty, made after its maker began.
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const std::string dead_head =
      ".~rolvex-" + me.boot + ids + std::to_string(dead) + "-1-new";
  TempPrefix::Write(folder + "/" + dead_head + "0~f", "");

  // Never removed: a same-named file that is not the inode in its name, a
  // file of a maker that runs (this process), of another PID namespace, one
  // with a second link, and the old form.
  std::vector<std::string> kept = {"f"};
  const std::string foreign = ".~rolvex-" + other_boot + ids + "1-1-1~f";
  TempPrefix::Write(folder + "/" + foreign, "not ours");
  kept.push_back(foreign);
  TemporaryFile running(folder + "/f", 0600, false);
  kept.push_back(running.path().substr(folder.size() + 1));
  kept.push_back(bound(".~rolvex-" + me.boot + "-1-999999-1-"));
  // Without an inode: one written to, and an empty one of a maker that
  // ended before this boot but made after it began.
  TempPrefix::Write(folder + "/" + dead_head + "1~f", "x");
  kept.push_back(dead_head + "1~f");
  const std::string unbound = ".~rolvex-" + other_boot + ids + "1-1-new0~f";
  TempPrefix::Write(folder + "/" + unbound, "");
  kept.push_back(unbound);
  const std::string linked = bound(".~rolvex-" + other_boot + ids + "1-2-");
  link((folder + "/" + linked).c_str(), (temp.path() + "/second").c_str());
  kept.push_back(linked);
  const std::string old_form = ".~rolvex-f-999999-0";
  TempPrefix::Write(folder + "/" + old_form, "");
  kept.push_back(old_form);
  std::sort(kept.begin(), kept.end());

  // The layer sweeps a folder once per run, when the passes ask.
  PosixFileSystem fs(drives);
  fs.RemoveStaleTemporaries("C:\\Data");
  EXPECT_EQ(Names(folder), kept);
  const std::string later = bound(".~rolvex-" + other_boot + ids + "1-3-");
  fs.RemoveStaleTemporaries("C:\\data\\");
  EXPECT_TRUE(std::filesystem::exists(folder + "/" + later));
}

}  // namespace
}  // namespace rolvex
