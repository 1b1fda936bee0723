#include "platform/posix/posix_file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/posix/posix_temp_prefix.h"
#include "platform/whole_file.h"

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

TEST(PosixFileIoTest, ReadAllWithALimitStopsPastIt) {
  TempPrefix temp;
  const std::string file = temp.path() + "/f";
  TempPrefix::Write(file, "0123456789");
  UniqueFd fd(open(file.c_str(), O_RDONLY));
  std::string bytes;
  EXPECT_TRUE(ReadAll(fd.get(), bytes, 10));
  EXPECT_EQ(bytes, "0123456789");
  bytes.clear();
  errno = 0;
  EXPECT_FALSE(ReadAll(fd.get(), bytes, 9));
  EXPECT_EQ(errno, EFBIG);
  // A file that reports no size and never ends is cut off as well.
  UniqueFd endless(open("/proc/self/pagemap", O_RDONLY));
  if (endless.ok()) {
    bytes.clear();
    EXPECT_FALSE(ReadAll(endless.get(), bytes, 1 << 20));
    EXPECT_EQ(errno, EFBIG);
  }
}

// A file written whole: the old or the new, never half, and never through
// a link planted beside it (at the fixed name temporaries once had).
TEST(PosixWholeFileTest, NeverWritesThroughALinkBesideIt) {
  TempPrefix temp;
  const std::string report = temp.path() + "/report.json";
  const std::string guarded = temp.path() + "/guarded";
  TempPrefix::Write(guarded, "keep me");
  symlink(guarded.c_str(), (report + ".tmp").c_str());
  EXPECT_EQ(WriteWholeFile(report, "first"), "");
  EXPECT_EQ(WriteWholeFile(report, "second"), "");
  EXPECT_EQ(TempPrefix::Read(report), "second");
  EXPECT_EQ(TempPrefix::Read(guarded), "keep me");
  EXPECT_NE(WriteWholeFile(temp.path() + "/missing/r.json", "x"), "");
}

}  // namespace
}  // namespace rolvex
