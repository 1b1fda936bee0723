#include "platform/rules/file_time.h"

#include <gtest/gtest.h>

namespace rolvex {
namespace {

constexpr FileTime kSomeTime = 981173106;

TEST(FileTimeTest, ConvertsAroundTheEpochRoundingDown) {
  const std::uint64_t epoch = 116444736000000000ULL;
  EXPECT_EQ(FileTimeFromWin32(epoch), 0);
  EXPECT_EQ(FileTimeFromWin32(epoch + 15000000), 1);
  EXPECT_EQ(FileTimeFromWin32(epoch - 1), -1);
  EXPECT_EQ(FileTimeFromWin32(Win32FromFileTime(kSomeTime)), kSomeTime);
}

}  // namespace
}  // namespace rolvex
