#include "platform/posix/posix_program_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/posix/posix_temp_prefix.h"

namespace rolvex {
namespace {

TEST(StartedProgramFolderTest, FolderOfThePathStartedByWhenItIsThisProgram) {
  TempPrefix temp;
  const std::filesystem::path self =
      std::filesystem::canonical("/proc/self/exe");
  const std::string pack = temp.path() + "/ServicePacks";
  std::filesystem::create_directory(pack);
  ASSERT_EQ(symlink(self.c_str(), (pack + "/rolvex").c_str()), 0);

  // Through a link: the link's folder, not the program file's.
  EXPECT_EQ(StartedProgramFolder(pack + "/rolvex", "/elsewhere"), pack);
  EXPECT_EQ(StartedProgramFolder(self, ""), self.parent_path());
  // Relative paths count from the current folder.
  EXPECT_EQ(StartedProgramFolder("ServicePacks/rolvex", temp.path()), pack);
  EXPECT_TRUE(std::filesystem::equivalent(
      StartedProgramFolder("./rolvex", pack + "/"), pack));

  // Nothing said of the folder: a bare name, a relative path without a
  // current folder, a path to another file or to none.
  EXPECT_EQ(StartedProgramFolder("rolvex", pack), "");
  EXPECT_EQ(StartedProgramFolder("ServicePacks/rolvex", ""), "");
  TempPrefix::Write(pack + "/other", "#!/bin/sh\n");
  EXPECT_EQ(StartedProgramFolder(pack + "/other", ""), "");
  EXPECT_EQ(StartedProgramFolder(pack + "/missing", ""), "");
}

}  // namespace
}  // namespace rolvex
