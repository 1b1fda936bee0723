#include "platform/win32/win32_profile_store.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_temp_folder.h"

namespace rolvex {
namespace {

const std::string kBlanks(255, ' ');

class Win32ProfileStoreTest : public ::testing::Test {
 protected:
  std::string Get(const std::string& section, const std::string& key,
                  const std::string& file) {
    return store_.GetString(section, key, kBlanks, 255, file);
  }

  Win32TempFolder dir_;
  Win32ProfileStore store_;
};

TEST_F(Win32ProfileStoreTest, AllBlankDefaultGivesEmptyText) {
  dir_.Write("a.ini", "[General]\r\nCancelSP=True\r\nEmpty=\r\n");
  EXPECT_EQ(Get("General", "Missing", dir_ / "a.ini"), "");
  EXPECT_EQ(Get("Nowhere", "CancelSP", dir_ / "a.ini"), "");
  EXPECT_EQ(Get("General", "CancelSP", dir_ / "none.ini"), "");
  EXPECT_EQ(Get("General", "Empty", dir_ / "a.ini"), "");
  // A default with text keeps it, without its trailing blanks.
  EXPECT_EQ(store_.GetString("General", "Missing", " x  ", 255, dir_ / "a.ini"),
            " x");
}

TEST_F(Win32ProfileStoreTest, ValuesAreTrimmedUnquotedAndMatchedAnyCase) {
  dir_.Write("a.ini",
             "; comment\r\n[ Intern ]\r\n  Sprache =  Deutsch  \r\n"
             "Quoted=\"  spaced  \"\r\nHalf=\"open\r\nsprache=second\r\n"
             "Inline=v ;x\r\n");
  const std::string f = dir_ / "a.ini";
  EXPECT_EQ(Get("INTERN", "SPRACHE", f), "Deutsch");
  EXPECT_EQ(Get("Intern", "Quoted", f), "  spaced  ");
  EXPECT_EQ(Get("Intern", "Half", f), "\"open");
  EXPECT_EQ(Get("Intern", "Inline", f), "v ;x");
}

TEST_F(Win32ProfileStoreTest, BufferSizeCutsLongValues) {
  dir_.Write("a.ini", "[S]\r\nK=" + std::string(300, 'v') + "\r\n");
  EXPECT_EQ(Get("S", "K", dir_ / "a.ini"), std::string(254, 'v'));
  EXPECT_EQ(store_.GetString("S", "K", "", 4, dir_ / "a.ini"), "vvv");
  EXPECT_EQ(store_.GetString("S", "K", "", 0, dir_ / "a.ini"), "");
}

TEST_F(Win32ProfileStoreTest, WriteCreatesReplacesAndKeepsTheRest) {
  const std::string f = dir_ / "c.ini";
  EXPECT_TRUE(store_.WriteString("ServicePack", "Version", "1.2", f));
  EXPECT_EQ(Get("ServicePack", "Version", f), "1.2");
  dir_.Write("d.ini", "; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  const std::string d = dir_ / "d.ini";
  EXPECT_TRUE(store_.WriteString("a", "X", "  3", d));
  EXPECT_TRUE(store_.WriteString("A", "z", "", d));
  EXPECT_EQ(Get("A", "x", d), "3");
  EXPECT_EQ(Get("A", "z", d), "");
  EXPECT_EQ(Get("B", "y", d), "2");
  const std::string text = dir_.Read("d.ini");
  EXPECT_EQ(text.substr(0, 11), "; keep me\r\n");
  EXPECT_NE(text.find("z=\r\n"), std::string::npos) << text;
  EXPECT_FALSE(store_.WriteString("S", "K", "v", dir_ / "no\\e.ini"));
}

TEST_F(Win32ProfileStoreTest, EntriesThatWouldReadBackAsOthersAreNotWritten) {
  // The system function writes a line break as it is, so a value could add
  // a section of its own to the PC's ini file; such writes fail instead.
  const std::string before = "[S]\r\nK=old\r\n";
  dir_.Write("e.ini", before);
  const std::string f = dir_ / "e.ini";
  EXPECT_FALSE(store_.WriteString("S", "K", "a\r\n[X]\r\ny=1", f));
  EXPECT_FALSE(store_.WriteString("S", "K", "a\nb", f));
  EXPECT_FALSE(store_.WriteString("S\r", "K", "v", f));
  EXPECT_FALSE(store_.WriteString("S", "K\n", "v", f));
  EXPECT_FALSE(store_.WriteString("T]U", "K", "v", f));
  EXPECT_FALSE(store_.WriteString("S", "k2=z", "v", f));
  EXPECT_FALSE(store_.WriteString("S", "[k]", "v", f));
  EXPECT_FALSE(store_.WriteString("S", "  ", "v", f));
  EXPECT_FALSE(store_.WriteString("", "K", "v", f));
  EXPECT_EQ(dir_.Read("e.ini"), before);
  EXPECT_EQ(Get("X", "y", f), "");
  // What follows a NUL is no part of a name or value.
  EXPECT_TRUE(store_.WriteString("S", "K", std::string("new\0\r\n[X]", 9), f));
  EXPECT_EQ(Get("S", "K", f), "new");
}

TEST_F(Win32ProfileStoreTest, ReadOnlyFileIsLeftAlone) {
  dir_.Write("ro.ini", "[S]\r\nK=old\r\n");
  SetFileAttributesA((dir_ / "ro.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(store_.WriteString("S", "K", "new", dir_ / "ro.ini"));
  SetFileAttributesA((dir_ / "ro.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(dir_.Read("ro.ini"), "[S]\r\nK=old\r\n");
}

}  // namespace
}  // namespace rolvex
