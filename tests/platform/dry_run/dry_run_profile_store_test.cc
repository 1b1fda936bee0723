// The ini overlay: writes are checked as the real store checks them and
// recorded, read back by the profile rules, and never made.
#include "platform/dry_run/dry_run_profile_store.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_settings.h"
#include "fakes/memory_file_system.h"
#include "platform/dry_run/dry_run_file_system.h"

namespace rolvex {
namespace {

class NothingInUse : public FileProbe {
 public:
  bool InUse(const std::string&) override { return false; }
  bool Unreadable(const std::string&) override { return false; }
  bool NotAFile(const std::string&) override { return false; }
};

TEST(DryRunProfileStore, WritesAreCheckedRecordedReadBackAndNeverMade) {
  const std::string a = "C:\\W\\a.ini";
  MemoryFileSystem pc_files;
  MemoryProfileStore pc_profiles;
  pc_files.AddFile(a);
  pc_files.AddFile("C:\\W\\ro.ini", "", 1000, kAttrReadOnly);
  pc_profiles.MakeFolder("C:\\W");
  pc_profiles.Set(a, "S", "K", "old");
  pc_profiles.Set(a, "S", "Other", "kept");
  NothingInUse probe;
  DryRunFileSystem files(pc_files, probe);
  DryRunProfileStore profiles(pc_profiles, files);
  const auto get = [&](const std::string& key, const std::string& file) {
    return profiles.GetString("s", key, "none", 255, file);
  };

  EXPECT_EQ(get("K", a), "old");
  EXPECT_TRUE(profiles.WriteString("S", "K", "  \"new\" ", a));
  EXPECT_EQ(get("k", a), "new");
  EXPECT_EQ(get("Other", a), "kept");

  // A new file in an existing folder is made for the rest of the run.
  const std::string made = "C:\\W\\Made.ini";
  EXPECT_TRUE(profiles.WriteString("S", "K", "1", made));
  EXPECT_EQ(files.Dir(made, 0), "Made.ini");
  EXPECT_EQ(get("K", made), "1");
  EXPECT_EQ(get("Other", made), "none");

  // Refused as the real store refuses.
  EXPECT_FALSE(profiles.WriteString("S", "K", "1", "C:\\Gone\\x.ini"));
  EXPECT_FALSE(profiles.WriteString("S", "K", "1", "C:\\W\\ro.ini"));
  EXPECT_FALSE(profiles.WriteString("S", "K", "1", "C:\\W"));
  EXPECT_FALSE(profiles.WriteString("S", "A=B", "1", a));
  EXPECT_EQ(files.Dir("C:\\Gone\\x.ini", 31), "");

  // A file the run copies reads as its source until it is written.
  files.FileCopy(a, "C:\\W\\copy.ini");
  EXPECT_EQ(get("Other", "C:\\W\\copy.ini"), "kept");

  ASSERT_EQ(profiles.writes().size(), 2u);
  EXPECT_EQ(profiles.writes()[0].value, "  \"new\" ");
  EXPECT_TRUE(pc_profiles.writes.empty());
  EXPECT_EQ(pc_profiles.Get(a, "S", "K"), "old");
  EXPECT_FALSE(pc_profiles.FileBytes(made).has_value());
  for (const std::string& call : pc_files.calls) {
    EXPECT_TRUE(call.rfind("Dir", 0) == 0 || call.rfind("GetAttr", 0) == 0 ||
                call.rfind("DateLastModified", 0) == 0)
        << call;
  }
}

}  // namespace
}  // namespace rolvex
