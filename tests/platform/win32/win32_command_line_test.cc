#include "platform/win32/win32_command_line.h"

#include <gtest/gtest.h>

namespace rolvex {
namespace {

TEST(Win32FolderOfProgramTest, RunningProgramIsInItsFolder) {
  const std::string folder = RunningProgramFolder();
  ASSERT_GE(folder.size(), 3u);
  EXPECT_EQ(folder[1], ':');
  EXPECT_TRUE(folder.size() == 3 || folder.back() != '\\') << folder;
}

}  // namespace
}  // namespace rolvex
