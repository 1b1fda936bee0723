#include "platform/posix/posix_file_io.h"

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
