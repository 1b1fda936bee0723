#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_temp_prefix.h"
#include "platform/rules/directory_search.h"

namespace rolvex {
namespace {

using List = std::vector<std::string>;

void StoreDosAttrib(const std::string& host_path, const char* text) {
  ASSERT_EQ(
      setxattr(host_path.c_str(), "user.DOSATTRIB", text, strlen(text), 0), 0)
      << host_path;
}

// A folder C:\T with one entry of every kind a search has to tell apart.
class DirTest : public ::testing::Test {
 protected:
  DirTest() : drives_(temp_.path()), fs_(drives_) {
    std::string t = temp_.drive_c() + "/T";
    mkdir(t.c_str(), 0755);
    TempPrefix::Write(t + "/a.txt", "a");
    TempPrefix::Write(t + "/ro.txt", "r");
    chmod((t + "/ro.txt").c_str(), 0444);
    TempPrefix::Write(t + "/ar.txt", "x");
    StoreDosAttrib(t + "/ar.txt", "0x20");
    TempPrefix::Write(t + "/.dot", "d");
    TempPrefix::Write(t + "/h.txt", "h");
    StoreDosAttrib(t + "/h.txt", "0x2");
    TempPrefix::Write(t + "/s.sys", "s");
    StoreDosAttrib(t + "/s.sys", "0x4");
    mkdir((t + "/Sub").c_str(), 0755);
    mkdir((t + "/HSub").c_str(), 0755);
    StoreDosAttrib(t + "/HSub", "0x2");
    // A link that leads nowhere is no entry anyone could use.
    symlink("missing-target", (t + "/dangling").c_str());
  }

  List All(const std::string& path, int mask) {
    List names;
    for (std::string n = fs_.Dir(path, mask); !n.empty(); n = fs_.DirNext()) {
      names.push_back(n);
    }
    EXPECT_EQ(fs_.DirNext(), "");
    return names;
  }

  TempPrefix temp_;
  DriveModel drives_;
  PosixFileSystem fs_;
};

TEST_F(DirTest, DotNamesAreHiddenAndDeadLinksAreNoEntries) {
  // The masks themselves are the FileSystem contract's; here, what the host
  // adds: a name starting with "." reads as hidden, and a link that leads
  // nowhere is left out whatever the mask.
  EXPECT_EQ(All("C:\\T\\*.*", 0), (List{"a.txt", "ar.txt", "ro.txt"}));
  EXPECT_EQ(All("C:\\T\\*.*", kAttrHidden),
            (List{".dot", "a.txt", "ar.txt", "h.txt", "ro.txt"}));
  EXPECT_EQ(All("c:\\t\\*.*", 31),
            (List{".", "..", ".dot", "a.txt", "ar.txt", "h.txt", "HSub",
                  "ro.txt", "s.sys", "Sub"}));
  EXPECT_EQ(fs_.Dir("C:\\T\\.dot", 0), "");
  EXPECT_EQ(fs_.Dir("C:\\T\\.dot", 2), ".dot");
  EXPECT_EQ(fs_.Dir("C:\\T\\dangling", 31), "");
}

TEST_F(DirTest, DriveRootHasNoDotEntriesAndNoName) {
  // As on NTFS (and under Wine): the root of a drive lists no "." and "..",
  // and a plain path that comes to the root names no entry.
  EXPECT_EQ(All("C:\\*.*", 16), (List{"T"}));
  EXPECT_EQ(All("C:\\T\\..\\*.*", 31), (List{"T"}));
  EXPECT_EQ(All("C:\\T\\Sub\\..\\*", 16).front(), ".");
  EXPECT_EQ(fs_.Dir("C:\\T\\..", 31), "");
  EXPECT_EQ(fs_.Dir("C:\\.", 31), "");
  EXPECT_EQ(fs_.Dir("C:\\T\\Sub\\..", 16), "T");
  EXPECT_EQ(fs_.GetAttr("C:\\T\\.."), kAttrDirectory);
}

TEST_F(DirTest, NamesWindowsRefuses) {
  // A folder whose name Windows refuses cannot exist: nothing is found.
  EXPECT_EQ(fs_.Dir("C:\\T\\a|b\\*.*", 31), "");
  EXPECT_EQ(fs_.Dir("C:\\T\\a*b\\x.txt", 31), "");
  EXPECT_EQ(ErrorNumberOf([&] { fs_.Dir("C:\\T\\a|b*", 31); }),
            kErrBadFileName);
}

TEST_F(DirTest, EveryNameASearchGivesCanBeAddressed) {
  // Linux allows names Windows refuses; a search that lists one must not
  // make the attribute query of the tree listing fail on it.
  std::string t = temp_.drive_c() + "/T";
  TempPrefix::Write(t + "/what?.txt", "q");
  mkdir((t + "/SP: \"1\"").c_str(), 0755);
  List names = All("C:\\T\\*.*", 31);
  EXPECT_EQ(names.size(), 12u);
  for (const std::string& name : names) {
    EXPECT_EQ(ErrorNumberOf([&] { fs_.GetAttr("C:\\T\\" + name); }), 0) << name;
  }
  EXPECT_EQ(fs_.GetAttr("C:\\T\\SP: \"1\""), kAttrDirectory);
  EXPECT_EQ(fs_.Dir("C:\\T\\sp: \"1\"", 16), "SP: \"1\"");
}

// Runs `body` in a child process as a user who is not root (root may read
// every folder), with the prefix open to that user.
int AsOrdinaryUser(const TempPrefix& temp, const std::function<int()>& body) {
  chmod(temp.path().c_str(), 0755);
  return RunInChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
      return 100;
    }
    return body();
  });
}

TEST(DirAccessTest, AFolderThatCannotBeReadIsAnErrorNotAnEmptyFolder) {
  // A tree listing must not pass over a folder it may not read as if it
  // were empty: its files would be left out without a word.
  TempPrefix temp;
  DriveModel drives(temp.path());
  const std::string c = temp.drive_c();
  mkdir((c + "/Locked").c_str(), 0755);
  TempPrefix::Write(c + "/Locked/a.txt", "a");
  chmod((c + "/Locked").c_str(), 0);
  mkdir((c + "/NoSearch").c_str(), 0755);
  TempPrefix::Write(c + "/NoSearch/b.txt", "b");
  chmod((c + "/NoSearch").c_str(), 0444);
  const int status = AsOrdinaryUser(temp, [&] {
    PosixFileSystem fs(drives);
    int result = 0;
    if (ErrorNumberOf([&] { fs.Dir("C:\\Locked\\*.*", 31); }) !=
        kErrPermissionDenied) {
      result |= 1;
    }
    if (ErrorNumberOf([&] { fs.Dir("C:\\NoSearch\\*.*", 31); }) !=
        kErrPermissionDenied) {
      result |= 2;
    }
    if (ErrorNumberOf([&] { fs.Dir("C:\\NoSearch\\b.txt", 15); }) !=
        kErrPermissionDenied) {
      result |= 4;
    }
    // The folders themselves are listed as usual.
    if (fs.Dir("C:\\*.*", 16) != "Locked") result |= 8;
    return result;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace rolvex
