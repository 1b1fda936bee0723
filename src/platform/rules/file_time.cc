#include "platform/rules/file_time.h"

namespace rolvex {
namespace {

// 100 ns units between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDifference = 116444736000000000LL;
constexpr std::int64_t kUnitsPerSecond = 10000000LL;

}  // namespace

FileTime FileTimeFromWin32(std::uint64_t filetime) {
  std::int64_t units = static_cast<std::int64_t>(filetime) - kEpochDifference;
  std::int64_t seconds = units / kUnitsPerSecond;
  if (units % kUnitsPerSecond < 0) --seconds;
  return seconds;
}

std::uint64_t Win32FromFileTime(FileTime time) {
  return static_cast<std::uint64_t>(time * kUnitsPerSecond + kEpochDifference);
}

}  // namespace rolvex
