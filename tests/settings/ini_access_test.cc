#include "settings/ini_access.h"

#include <gtest/gtest.h>

#include "fakes/fake_parts.h"
#include "fakes/fake_settings.h"

namespace rolvex {
namespace {

class IniAccessTest : public ::testing::Test {
 protected:
  MemoryProfileStore profiles_;
  FakeEnvironment environment_;
  FakeParts spare_;
  SettingsState state_{spare_.With(profiles_, environment_)};
};

TEST_F(IniAccessTest, SaveIniTakesTheValueFirstAndTrimsOnlySpaces) {
  SaveIni(state_, "  abc  ", "General", "Key", "C:\\x.ini", "Test");
  SaveIni(state_, "\t tab \t", "General", "Tab", "C:\\x.ini", "Test");
  ASSERT_EQ(profiles_.writes.size(), 2u);
  const MemoryProfileStore::Write& w = profiles_.writes[0];
  EXPECT_EQ(w.value, "abc");
  EXPECT_EQ(w.section, "General");
  EXPECT_EQ(w.key, "Key");
  EXPECT_EQ(w.file, "C:\\x.ini");
  EXPECT_EQ(profiles_.writes[1].value, "\t tab \t");
}

TEST_F(IniAccessTest, SaveIniWithEmptyValueWritesTheKeyEmpty) {
  profiles_.Set("C:\\x.ini", "A", "k", "old");
  SaveIni(state_, "", "A", "k", "C:\\x.ini", "Test");
  SaveIni(state_, "    ", "A", "blank", "C:\\x.ini", "Test");
  ASSERT_EQ(profiles_.writes.size(), 2u);
  EXPECT_EQ(profiles_.writes[0].value, "");
  EXPECT_EQ(profiles_.writes[1].value, "");
  EXPECT_TRUE(profiles_.Has("C:\\x.ini", "A", "k"));
  EXPECT_TRUE(profiles_.Has("C:\\x.ini", "A", "blank"));
  EXPECT_EQ(profiles_.Get("C:\\x.ini", "A", "k"), "");
}

TEST_F(IniAccessTest, RefusedWriteIsNotAnError) {
  profiles_.failing_files.push_back("C:\\RO.INI");
  EXPECT_NO_THROW(SaveIni(state_, "v", "A", "k", "C:\\ro.ini", "Test"));
  EXPECT_FALSE(profiles_.Has("C:\\ro.ini", "A", "k"));
}

TEST_F(IniAccessTest, LoadIniStringGivesEmptyForAnythingMissing) {
  profiles_.Set("C:\\x.ini", "A", "k", "value");
  EXPECT_EQ(LoadIniString(state_, "A", "k", "C:\\x.ini", "Test"), "value");
  EXPECT_EQ(LoadIniString(state_, "A", "other", "C:\\x.ini", "Test"), "");
  EXPECT_EQ(LoadIniString(state_, "B", "k", "C:\\x.ini", "Test"), "");
  EXPECT_EQ(LoadIniString(state_, "A", "k", "C:\\none.ini", "Test"), "");
}

TEST_F(IniAccessTest, LoadIniBooleanIsTrueOnlyForTrue) {
  const char* file = "C:\\b.ini";
  const struct {
    const char* stored;
    bool expected;
  } cases[] = {
      {"TRUE", true},   {"true", true}, {"tRuE", true},    {"", false},
      {"1", false},     {"-1", false},  {"yes", false},    {"Wahr", false},
      {"TRUE1", false}, {"TRU", false}, {"\ttrue", false},
  };
  for (const auto& c : cases) {
    profiles_.Set(file, "A", "k", c.stored);
    EXPECT_EQ(LoadIniBoolean(state_, "A", "k", file, "Test"), c.expected)
        << '"' << c.stored << '"';
  }
  EXPECT_FALSE(LoadIniBoolean(state_, "A", "missing", file, "Test"));
}

TEST(TrimBlanksTest, SpacesOnly) {
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks(""), "");
  EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
}

}  // namespace
}  // namespace rolvex
