#include "settings/directory_parameters.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_parts.h"
#include "fakes/fake_settings.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

class DirectoryParametersTest : public ::testing::Test {
 protected:
  DirectoryParametersTest() { SetDefaultDirectoryParameters(state_); }

  void ReadEnvironment() {
    for (int row = 1; row <= 11; ++row) {
      GetDOSEnvironmentVariable(state_, row, "Form_Load");
    }
  }
  const std::string& Value(int row) { return state_.parameters.row(row).value; }

  MemoryProfileStore profiles_;
  FakeEnvironment env_;
  FakeParts spare_;
  SettingsState state_{spare_.With(profiles_, env_)};
};

TEST_F(DirectoryParametersTest, DefaultsFillRowsOneToEleven) {
  const char* expected[][2] = {
      {"WinDir", "C:\\Windows"},
      {"QueltToolsDir", "C:\\QueltTools"},
      {"QueltDCSDir", "C:\\QueltDCS"},
      {"VisuDir", "C:\\Skarbo2000"},
      {"ServicePackDir", "C:\\ServicePacks"},
      {"VisiWinDir", "C:\\VisiWin"},
      {"Computer_Ini", "C:\\Computer.ini"},
      {"Software_Txt", "C:\\Software.txt"},
      {"ServicePack_Log", "C:\\QueltServicePack.log"},
      {"AllUsersProfile", "C:\\Documents and Settings\\All Users"},
      {"BrandChangeDir", "C:\\Brandchange"},
  };
  for (int row = 1; row <= 11; ++row) {
    EXPECT_EQ(state_.parameters.row(row).name, expected[row - 1][0]);
    EXPECT_EQ(Value(row), expected[row - 1][1]);
  }
  for (int row = 12; row <= 20; ++row) {
    EXPECT_EQ(state_.parameters.row(row).name, "");
    EXPECT_EQ(Value(row), "");
  }
}

TEST_F(DirectoryParametersTest, EnvironmentOverridesOnlyWhenNotEmpty) {
  env_.Set("windir", "D:\\WINNT");  // Windows spells it so; case is ignored
  env_.Set("ALLUSERSPROFILE", "C:\\ProgramData");
  env_.Set("VisuDir", "");                   // set but empty: the default stays
  env_.Set("QueltToolsDir", "E:\\Tools\\");  // stored as it is
  ReadEnvironment();
  EXPECT_EQ(Value(1), "D:\\WINNT");
  EXPECT_EQ(Value(2), "E:\\Tools\\");
  EXPECT_EQ(Value(4), "C:\\Skarbo2000");
  EXPECT_EQ(Value(10), "C:\\ProgramData");
  EXPECT_EQ(Value(11), "C:\\Brandchange");
}

TEST_F(DirectoryParametersTest, LongEnvironmentValueIsTakenWhole) {
  std::string long_path = "C:\\" + std::string(5000, 'd');
  env_.Set("VisiWinDir", long_path);
  ReadEnvironment();
  EXPECT_EQ(Value(6), long_path);
}

TEST_F(DirectoryParametersTest, RowWithoutNameIsLeftAlone) {
  env_.Set("", "nothing");
  GetDOSEnvironmentVariable(state_, 12, "T");
  GetDOSEnvironmentVariable(state_, 20, "T");
  EXPECT_EQ(Value(12), "");
  EXPECT_EQ(Value(20), "");
}

TEST_F(DirectoryParametersTest, RowOutsideOneToTwentyIsRunError9) {
  for (int row : {0, 21, -1, 32767}) {
    try {
      GetDOSEnvironmentVariable(state_, row, "T");
      ADD_FAILURE() << "row " << row << " accepted";
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), 9) << "row " << row;
      EXPECT_EQ(e.description(), "Subscript out of range");
    }
  }
}

}  // namespace
}  // namespace rolvex
