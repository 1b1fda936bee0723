#include "platform/win32/win32_profile_store.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_temp_folder.h"

namespace rolvex {
namespace {

// The profile rules are in the contract suite
// (win32_profile_store_contract_test.cc); here is what the Win32 layer adds.
class Win32ProfileStoreTest : public ::testing::Test {
 protected:
  Win32TempFolder dir_;
  Win32ProfileStore store_;
};

TEST_F(Win32ProfileStoreTest, ReadOnlyFileIsLeftAlone) {
  dir_.Write("ro.ini", "[S]\r\nK=old\r\n");
  SetFileAttributesA((dir_ / "ro.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(store_.WriteString("S", "K", "new", dir_ / "ro.ini"));
  SetFileAttributesA((dir_ / "ro.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(dir_.Read("ro.ini"), "[S]\r\nK=old\r\n");
}

}  // namespace
}  // namespace rolvex
