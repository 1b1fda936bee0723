#include "platform/posix/posix_file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/posix/posix_temp_prefix.h"

namespace rolvex {
namespace {

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
