// The settings procedures over real ini files: what the profile reader and
// writer do to values matters here, so no fake stands in for them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "fakes/fake_parts.h"
#include "fakes/fake_settings.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_profile_store.h"
#include "platform/posix/posix_temp_prefix.h"
#include "settings/ini_access.h"
#include "settings/language_texts.h"

namespace rolvex {
namespace {

class PosixSettingsFilesTest : public ::testing::Test {
 protected:
  PosixSettingsFilesTest()
      : drives_(temp_.path()),
        profiles_(drives_),
        state_(spare_.With(profiles_, env_)) {}

  void WriteFile(const std::string& name, const std::string& text) {
    TempPrefix::Write(temp_.drive_c() + "/" + name, text);
  }
  std::string ReadFile(const std::string& name) {
    return TempPrefix::Read(temp_.drive_c() + "/" + name);
  }
  std::string Load(const std::string& key) {
    return LoadIniString(state_, "Test", key, "C:\\values.ini", "T");
  }
  bool LoadBool(const std::string& key) {
    return LoadIniBoolean(state_, "Test", key, "C:\\values.ini", "T");
  }

  TempPrefix temp_;
  DriveModel drives_;
  PosixProfileStore profiles_;
  FakeEnvironment env_;
  FakeParts spare_;
  SettingsState state_;
};

TEST_F(PosixSettingsFilesTest, LoadIniStringAsTheProfileReaderGivesIt) {
  WriteFile("values.ini",
            "[test]\r\n"
            "Long=" +
                std::string(300, 'L') +
                "\r\n"
                "  Padded  =   a value   \r\n"
                "Quoted=\"  q  \"\r\n"
                "Empty=\r\n"
                "Umlaut=\xC4\xD6\xDC\r\n");
  EXPECT_EQ(Load("Long"), std::string(254, 'L'));
  EXPECT_EQ(Load("PADDED"), "a value");
  EXPECT_EQ(Load("Quoted"), "  q  ");
  EXPECT_EQ(Load("Empty"), "");
  EXPECT_EQ(Load("Umlaut"), "\xC4\xD6\xDC");
  EXPECT_EQ(Load("Missing"), "");
  EXPECT_EQ(LoadIniString(state_, "Test", "Long", "C:\\none.ini", "T"), "");
  EXPECT_EQ(LoadIniString(state_, "Test", "Long", "C:\\No\\none.ini", "T"), "");
}

TEST_F(PosixSettingsFilesTest, LoadIniBooleanAfterTheReaderTrimmed) {
  WriteFile("values.ini",
            "[Test]\n"
            "a=true\n"
            "b=  TRUE  \n"
            "c=\"True\"\n"
            "d=1\n"
            "e=-1\n"
            "f=yes\n"
            "g=Wahr\n"
            "h=\n");
  EXPECT_TRUE(LoadBool("a"));
  EXPECT_TRUE(LoadBool("b"));
  EXPECT_TRUE(LoadBool("c"));
  for (const char* key : {"d", "e", "f", "g", "h", "missing"}) {
    EXPECT_FALSE(LoadBool(key)) << key;
  }
  EXPECT_FALSE(LoadIniBoolean(state_, "Test", "a", "C:\\none.ini", "T"));
}

TEST_F(PosixSettingsFilesTest, SaveIniWritesIntoTheFile) {
  // A new file is made when its folder exists.
  SaveIni(state_, "  abc  ", "General", "Key", "C:\\new.ini", "T");
  EXPECT_EQ(ReadFile("new.ini"), "[General]\r\nKey=abc\r\n");
  // An empty value keeps the key, with nothing after the "=".
  SaveIni(state_, "   ", "GENERAL", "key", "C:\\NEW.INI", "T");
  EXPECT_EQ(ReadFile("new.ini"), "[General]\r\nKey=\r\n");
  EXPECT_EQ(LoadIniString(state_, "General", "Key", "C:\\new.ini", "T"), "");
  // No folder, no file, no error.
  EXPECT_NO_THROW(SaveIni(state_, "v", "A", "k", "C:\\No\\x.ini", "T"));
  EXPECT_NO_THROW(SaveIni(state_, "v", "A", "k", "Q:\\x.ini", "T"));
}

TEST_F(PosixSettingsFilesTest, SaveIniKeepsTheRestOfAnExistingFile) {
  WriteFile(
      "Computer.ini",
      "; machine settings\n[ServicePack]\nVersion=1.0\nOther=x\n\n[Net]\n");
  SaveIni(state_, "2.0", "servicepack", "VERSION", "C:\\computer.ini", "T");
  SaveIni(state_, "on", "Net", "Proxy", "C:\\computer.ini", "T");
  EXPECT_EQ(ReadFile("Computer.ini"),
            "; machine settings\n[ServicePack]\nVersion=2.0\nOther=x\n\n"
            "[Net]\nProxy=on\r\n");
}

TEST_F(PosixSettingsFilesTest, TextEinlesenReadsTheLanguageSection) {
  mkdir((temp_.drive_c() + "/SP").c_str(), 0755);
  TempPrefix::Write(temp_.drive_c() + "/SP/Rolvex.txt",
                    "[]\r\n14=no language\r\n"
                    "[DE]\r\n1=Standarddateien\r\n14=Fehler\r\n-1=minus\r\n"
                    "[EN]\r\n14=Error\r\n");
  state_.program_dir = "C:\\SP";
  state_.language = "DE";
  EXPECT_EQ(TextEinlesen(state_, 14, "T"), "Fehler");
  EXPECT_EQ(TextEinlesen(state_, 1, "T"), "Standarddateien");
  EXPECT_EQ(TextEinlesen(state_, -1, "T"), "minus");
  EXPECT_EQ(TextEinlesen(state_, 2, "T"), "");
  state_.language = "EN";
  EXPECT_EQ(TextEinlesen(state_, 14, "T"), "Error");
  state_.language = "FR";
  EXPECT_EQ(TextEinlesen(state_, 14, "T"), "");
  // No language: no section matches, not even one written "[]".
  state_.language = "";
  EXPECT_EQ(TextEinlesen(state_, 14, "T"), "");
  // No texts file: every text is empty.
  state_.language = "DE";
  state_.program_dir = "C:\\Elsewhere";
  EXPECT_EQ(TextEinlesen(state_, 14, "T"), "");
}

}  // namespace
}  // namespace rolvex
