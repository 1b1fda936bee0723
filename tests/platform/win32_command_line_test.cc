#include "platform/win32_command_line.h"

#include <gtest/gtest.h>

namespace rolvex {
namespace {

TEST(Win32ArgumentTextTest, SkipsTheProgramByTheWindowsRules) {
  EXPECT_EQ(ArgumentText("C:\\ServicePacks\\Rolvex.exe 2"), "2");
  EXPECT_EQ(ArgumentText("\"C:\\Service Packs\\Rolvex.exe\" 1 x"), "1 x");
  EXPECT_EQ(ArgumentText("Rolvex.exe\t2"), "2");
  // Blanks and tabs between program and arguments go; the rest stays.
  EXPECT_EQ(ArgumentText("Rolvex.exe    2  "), "2  ");
  EXPECT_EQ(ArgumentText("Rolvex.exe \t 1\tx"), "1\tx");
  EXPECT_EQ(ArgumentText("Rolvex.exe \"1\""), "\"1\"");
}

TEST(Win32ArgumentTextTest, NothingAfterTheProgramGivesEmptyText) {
  EXPECT_EQ(ArgumentText("Rolvex.exe"), "");
  EXPECT_EQ(ArgumentText("\"C:\\a b\\Rolvex.exe\""), "");
  EXPECT_EQ(ArgumentText("Rolvex.exe   "), "");
  EXPECT_EQ(ArgumentText(""), "");
  // An unclosed quote takes the whole line as the program.
  EXPECT_EQ(ArgumentText("\"C:\\a b\\Rolvex.exe 2"), "");
  // Text glued to the closing quote still belongs to the program's token.
  EXPECT_EQ(ArgumentText("\"C:\\x\\Rolvex.exe\"1 2"), "2");
}

TEST(Win32FolderOfProgramTest, KeepsTheBackslashOnlyAtADriveRoot) {
  EXPECT_EQ(FolderOfProgram("C:\\ServicePacks\\Rolvex.exe"),
            "C:\\ServicePacks");
  EXPECT_EQ(FolderOfProgram("C:\\Rolvex.exe"), "C:\\");
  EXPECT_EQ(FolderOfProgram("\\\\server\\share\\Rolvex.exe"),
            "\\\\server\\share");
  EXPECT_EQ(FolderOfProgram("Rolvex.exe"), "");
}

TEST(Win32FolderOfProgramTest, RunningProgramIsInItsFolder) {
  const std::string folder = RunningProgramFolder();
  ASSERT_GE(folder.size(), 3u);
  EXPECT_EQ(folder[1], ':');
  EXPECT_TRUE(folder.size() == 3 || folder.back() != '\\') << folder;
}

}  // namespace
}  // namespace rolvex
