#include "platform/posix/posix_file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/posix/posix_temp_prefix.h"

namespace rolvex {
namespace {

TEST(PosixFileIoTest, TemporaryBesideEvenTheLongestNameIsNewAndHidden) {
  TempPrefix temp;
  // The longest name a folder entry may have still leaves room for the
  // temporary's prefix and numbers.
  const std::string target = temp.path() + "/" + std::string(255, 'n');
  std::string first, second;
  UniqueFd a = CreateTemporaryBeside(target, 0600, first);
  UniqueFd b = CreateTemporaryBeside(target, 0600, second);
  ASSERT_TRUE(a.ok()) << first;
  ASSERT_TRUE(b.ok()) << second;
  EXPECT_NE(first, second);
  EXPECT_EQ(first.rfind(temp.path() + "/.~rolvex-" + std::string(200, 'n') +
                            "-" + std::to_string(getpid()) + "-",
                        0),
            0u)
      << first;

  const std::string none = temp.path() + "/missing/x";
  std::string path;
  EXPECT_FALSE(CreateTemporaryBeside(none, 0600, path).ok());
  EXPECT_EQ(errno, ENOENT);
}

TEST(PosixFileIoTest, ReadAllReadsFromTheFirstByteAndKeepsTheOffset) {
  TempPrefix temp;
  const std::string file = temp.path() + "/f";
  TempPrefix::Write(file, "0123456789");
  UniqueFd fd(open(file.c_str(), O_RDONLY));
  ASSERT_TRUE(fd.ok());
  ASSERT_EQ(lseek(fd.get(), 4, SEEK_SET), 4);
  std::string bytes = "old:";
  EXPECT_TRUE(ReadAll(fd.get(), bytes));
  EXPECT_EQ(bytes, "old:0123456789");
  EXPECT_EQ(lseek(fd.get(), 0, SEEK_CUR), 4);
}

}  // namespace
}  // namespace rolvex
