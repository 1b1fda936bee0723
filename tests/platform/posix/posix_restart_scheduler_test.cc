#include "platform/posix/posix_restart_scheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_pending_renames.h"
#include "platform/posix/posix_temp_prefix.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(PendingRenamesTest, FormatAndParseRoundTrip) {
  std::vector<PendingRename> renames{{"C:\\a b.dll", "C:\\x\\a b.dll", true},
                                     {"C:\\m", "C:\\n", false},
                                     {"C:\\gone", "", true}};
  std::string text;
  for (const auto& r : renames) text += FormatPendingRename(r);
  EXPECT_EQ(text, "C:\\a b.dll\n!C:\\x\\a b.dll\nC:\\m\nC:\\n\nC:\\gone\n\n");
  std::string incomplete;
  EXPECT_EQ(ParsePendingRenames(text, &incomplete),
            (std::vector<PendingRename>{{"C:\\a b.dll", "C:\\x\\a b.dll", true},
                                        {"C:\\m", "C:\\n", false},
                                        {"C:\\gone", "", false}}));
  EXPECT_EQ(incomplete, "");
}

TEST(PendingRenamesTest, RemainsOfAnInterruptedWriteAreSetApart) {
  std::string incomplete;
  EXPECT_THAT(
      ParsePendingRenames("C:\\s\r\n!C:\\t\r\nC:\\u\n!C:\\v", &incomplete),
      ElementsAre(PendingRename{"C:\\s", "C:\\t", true}));
  EXPECT_EQ(incomplete, "C:\\u\n!C:\\v");
  incomplete.clear();
  EXPECT_THAT(ParsePendingRenames("C:\\s\n!C:\\t\nC:\\u\n", &incomplete),
              ElementsAre(PendingRename{"C:\\s", "C:\\t", true}));
  EXPECT_EQ(incomplete, "C:\\u");
  EXPECT_THAT(ParsePendingRenames("", nullptr), IsEmpty());
}

class RestartSchedulerTest : public ::testing::Test {
 protected:
  RestartSchedulerTest()
      : drives_(prefix_.path()), files_(drives_), scheduler_(drives_) {
    std::filesystem::create_directories(C("/SP/Standard"));
    std::filesystem::create_directories(C("/Windows/System32"));
  }
  std::string C(const std::string& rest) const {
    return prefix_.drive_c() + rest;
  }
  std::string List() const { return TempPrefix::Read(scheduler_.list_path()); }
  // A copy of `text` staged for `target` as the installer stages it; its
  // Windows name.
  std::string Stage(const std::string& target, const std::string& text) {
    TempPrefix::Write(C("/SP/Standard/new"), text);
    return files_.StageForRestart("C:\\SP\\Standard\\new", target);
  }
  bool CarryOut(std::string* errors) {
    std::ostringstream out;
    bool ok = CarryOutPendingRenames(drives_, out);
    *errors = out.str();
    return ok;
  }

  TempPrefix prefix_;
  DriveModel drives_;
  PosixFileSystem files_;
  PosixRestartScheduler scheduler_;
};

TEST_F(RestartSchedulerTest, RequestsAreRecordedInOrder) {
  EXPECT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\a.dll",
                                          "C:\\Windows\\System32\\a.dll"));
  EXPECT_TRUE(scheduler_.ReplaceAtRestart("C:\\SP\\Standard\\b.dll",
                                          "C:\\Windows\\System32\\b.dll"));
  EXPECT_EQ(scheduler_.list_path(),
            prefix_.path() + "/rolvex-pending-renames.txt");
  EXPECT_EQ(List(),
            "C:\\SP\\Standard\\a.dll\n!C:\\Windows\\System32\\a.dll\n"
            "C:\\SP\\Standard\\b.dll\n!C:\\Windows\\System32\\b.dll\n");
}

TEST_F(RestartSchedulerTest, NamesThatCannotBeRecordedAreRefused) {
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("C:\\a\nC:\\evil", "C:\\t"));
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("C:\\s", "C:\\t\r"));
  EXPECT_FALSE(
      scheduler_.ReplaceAtRestart("C:\\s", std::string("C:\\t\0x", 6)));
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("relative\\s", "C:\\t"));
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("C:\\s", "C:\\bad|name"));
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("", "C:\\t"));
  EXPECT_FALSE(std::filesystem::exists(scheduler_.list_path()));
}

TEST_F(RestartSchedulerTest, UnwritableListIsARefusalNotAnError) {
  std::filesystem::create_directory(scheduler_.list_path());
  EXPECT_FALSE(scheduler_.ReplaceAtRestart("C:\\s", "C:\\t"));
}

TEST_F(RestartSchedulerTest, MissingPrefixMeansTheFacilityIsGone) {
  std::filesystem::remove_all(prefix_.path());
  try {
    scheduler_.ReplaceAtRestart("C:\\s", "C:\\t");
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), kErrPathNotFound);
  }
}

TEST_F(RestartSchedulerTest, RestartReplacesTargetsInOrderAndEmptiesTheList) {
  TempPrefix::Write(C("/Windows/System32/a.dll"), "old a");
  // Requests are carried out in order: the later one wins. The first names
  // the target in another spelling, and its copy by the disk's.
  const std::string first = Stage("C:\\WINDOWS\\system32\\A.DLL", "new a");
  const std::string second = Stage("C:\\Windows\\System32\\a.dll", "newer a");
  ASSERT_TRUE(
      scheduler_.ReplaceAtRestart(first, "C:\\WINDOWS\\system32\\A.DLL"));
  ASSERT_TRUE(
      scheduler_.ReplaceAtRestart(second, "C:\\Windows\\System32\\a.dll"));
  std::string errors;
  EXPECT_TRUE(CarryOut(&errors));
  EXPECT_EQ(errors, "");
  EXPECT_EQ(TempPrefix::Read(C("/Windows/System32/a.dll")), "newer a");
  // The staged copies are moved, as MoveFileEx does.
  EXPECT_FALSE(std::filesystem::exists(drives_.ToHost(first)));
  EXPECT_FALSE(std::filesystem::exists(drives_.ToHost(second)));
  EXPECT_FALSE(std::filesystem::exists(scheduler_.list_path()));
  // Nothing waiting: nothing to do, and that is success.
  EXPECT_TRUE(CarryOut(&errors));
}

TEST_F(RestartSchedulerTest, FailingRequestsAreReportedAndKept) {
  TempPrefix::Write(C("/Windows/System32/ro.dll"), "old");
  chmod(C("/Windows/System32/ro.dll").c_str(), 0444);
  std::filesystem::create_directories(C("/Windows/System32/dir.dll"));
  const std::string missing = Stage("C:\\Windows\\System32\\m.dll", "m");
  std::filesystem::remove(drives_.ToHost(missing));
  const std::string ro = Stage("C:\\Windows\\System32\\ro.dll", "ro");
  const std::string ok = Stage("C:\\Windows\\System32\\ok.dll", "ok");
  const std::string dir = Stage("C:\\Windows\\System32\\dir.dll", "d");
  ASSERT_TRUE(
      scheduler_.ReplaceAtRestart(missing, "C:\\Windows\\System32\\m.dll"));
  ASSERT_TRUE(scheduler_.ReplaceAtRestart(ro, "C:\\Windows\\System32\\ro.dll"));
  ASSERT_TRUE(scheduler_.ReplaceAtRestart(ok, "C:\\Windows\\System32\\ok.dll"));
  ASSERT_TRUE(
      scheduler_.ReplaceAtRestart(dir, "C:\\Windows\\System32\\dir.dll"));
  std::string errors;
  EXPECT_FALSE(CarryOut(&errors));
  EXPECT_THAT(errors, HasSubstr("cannot replace C:\\Windows\\System32\\m.dll "
                                "with " +
                                missing));
  EXPECT_THAT(errors, HasSubstr("read-only"));
  EXPECT_THAT(errors, HasSubstr("folder"));
  EXPECT_EQ(TempPrefix::Read(C("/Windows/System32/ok.dll")), "ok");
  EXPECT_EQ(TempPrefix::Read(C("/Windows/System32/ro.dll")), "old");
  EXPECT_EQ(List(), missing + "\n!C:\\Windows\\System32\\m.dll\n" + ro +
                        "\n!C:\\Windows\\System32\\ro.dll\n" + dir +
                        "\n!C:\\Windows\\System32\\dir.dll\n");
  // Once the cause is gone, the next restart carries the rest out.
  chmod(C("/Windows/System32/ro.dll").c_str(), 0644);
  std::filesystem::remove(C("/Windows/System32/dir.dll"));
  TempPrefix::Write(drives_.ToHost(missing), "m");
  EXPECT_TRUE(CarryOut(&errors)) << errors;
  EXPECT_EQ(TempPrefix::Read(C("/Windows/System32/ro.dll")), "ro");
  EXPECT_FALSE(std::filesystem::exists(scheduler_.list_path()));
}

// The list lies in the prefix, where its owner may write anything: only a
// staged copy replacing the target beside it, in a drive, is carried out.
TEST_F(RestartSchedulerTest, RequestsTheInstallerNeverMakesAreSkipped) {
  const std::string outside = prefix_.path() + "/outside";
  const std::string staged_name = ".~rolvex-restart-1-2-3~victim";
  std::filesystem::create_directory(outside);
  TempPrefix::Write(outside + "/victim", "keep");
  TempPrefix::Write(outside + "/" + staged_name, "evil");
  std::filesystem::create_directory_symlink(outside, C("/Link"));
  TempPrefix::Write(C("/Windows/t"), "exists");
  TempPrefix::Write(C("/Windows/.~rolvex-restart-1-2-3~t"), "t");
  TempPrefix::Write(C("/SP/Standard/m"), "m");
  TempPrefix::Write(C("/SP/Standard/del"), "d");
  ASSERT_EQ(link((outside + "/victim").c_str(),
                 C("/Windows/.~rolvex-restart-1-2-3~h").c_str()),
            0);
  std::string z = outside;
  std::replace(z.begin(), z.end(), '/', '\\');
  TempPrefix::Write(
      scheduler_.list_path(),
      "C:\\Windows\\.~rolvex-restart-1-2-3~t\nC:\\Windows\\t\n"  // kept
      "C:\\SP\\Standard\\m\n!C:\\Windows\\m\n"                   // not staged
      "C:\\SP\\Standard\\del\n\n"                                // deletion
      "C:\\Link\\" +
          staged_name +
          "\n!C:\\Link\\victim\n"  // via a link
          "Z:" +
          z + "\\" + staged_name + "\n!Z:" + z +
          "\\victim\n"                                                // Z: is /
          "C:\\Windows\\.~rolvex-restart-1-2-3~h\n!C:\\Windows\\h\n"  // hard
                                                                      // link
          "C:\\Windows\\.~rolvex-restart-1-2-3~t\n!C:\\SP\\t\n"  // other folder
          "C:\\SP\\Standard\\torn");
  std::string errors;
  EXPECT_FALSE(CarryOut(&errors));
  EXPECT_EQ(TempPrefix::Read(outside + "/victim"), "keep");
  EXPECT_TRUE(std::filesystem::exists(C("/SP/Standard/del")));
  EXPECT_FALSE(std::filesystem::exists(C("/Windows/m")));
  EXPECT_FALSE(std::filesystem::exists(C("/Windows/h")));
  EXPECT_FALSE(std::filesystem::exists(C("/SP/t")));
  EXPECT_EQ(TempPrefix::Read(C("/Windows/t")), "exists");  // no "!": kept
  EXPECT_THAT(errors, HasSubstr("target exists"));
  EXPECT_THAT(errors, HasSubstr("incomplete entry: C:\\SP\\Standard\\torn"));
  std::size_t skipped = 0;
  for (std::size_t at = 0;
       (at = errors.find("skipped", at)) != std::string::npos; ++at) {
    ++skipped;
  }
  EXPECT_EQ(skipped, 6u) << errors;
  // The skipped requests and the torn entry are dropped; the refused move
  // stays.
  EXPECT_EQ(List(), "C:\\Windows\\.~rolvex-restart-1-2-3~t\nC:\\Windows\\t\n");
}

}  // namespace
}  // namespace rolvex
