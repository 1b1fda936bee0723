#include "platform/rules/windows_path.h"

#include <gtest/gtest.h>

#include <string>

namespace rolvex {
namespace {

std::string Read(const std::string& path,
                 const std::string& current = "D:\\Work\\Here") {
  auto read = ReadWindowsPath(path, current);
  return read ? read->Text() : "(none)";
}

TEST(WindowsPathTest, ReadsAPathAsWindowsDoes) {
  const struct {
    const char* path;
    const char* read;
  } cases[] = {
      {"C:\\Quelt/Tools\\a.dll", "C:\\Quelt\\Tools\\a.dll"},  // "/" separates
      {"c:\\\\a\\.\\b\\", "C:\\a\\b\\"},           // empty and "." go
      {"C:\\..\\..\\x", "C:\\x"},                   // never above the root
      {"C:\\a\\b\\..\\c", "C:\\a\\c"},
      {"C:\\QueltTools.\\x.txt", "C:\\QueltTools\\x.txt"},  // one dot
      {"C:\\a..\\x", "C:\\a.\\x"},
      {"C:\\sp.log.", "C:\\sp.log"},  // the end loses dots and blanks
      {"C:\\Data . ", "C:\\Data"},
      {"C:\\Data \\x", "C:\\Data \\x"},  // blanks inside stay
      {"C:\\a\\...", "C:\\a"},
      {"C:", "C:\\"},
      {"install.log", "D:\\Work\\Here\\install.log"},  // relative
      {"..\\x", "D:\\Work\\x"},
      {"\\x", "D:\\x"},     // from the current drive's root
      {"D:x", "D:\\Work\\Here\\x"},  // same drive: the current folder
      {"E:x", "E:\\x"},     // another drive: its root
      {"\\\\server\\share\\x", "(none)"},
      {"", "(none)"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.path), c.read) << c.path;
}

TEST(WindowsPathTest, RelativePathsNeedACurrentFolder) {
  EXPECT_EQ(Read("x", ""), "(none)");
  EXPECT_EQ(Read("C:x", ""), "C:\\x");
  auto read = ReadWindowsPath("C:/a/b/", "");
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->folder);
  EXPECT_EQ(read->parts.size(), 2u);
}

}  // namespace
}  // namespace rolvex
