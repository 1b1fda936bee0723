#include "pack/pack_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "pack/pack_checks.h"
#include "pack_fixture.h"
#include "passes/file_tree.h"

namespace rolvex {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAreArray;

TEST_F(PackCheckTest, EntriesThePassesCannotTakeAsTheyAre) {
  WriteSettings();
  for (const char* name : {"a.DLL", "b.Ocx", "$WinDir$/c.exe"}) {
    Write(std::string("Register/") + name, "x");
  }
  Write("Register/readme.txt", "x");
  Write("Standard/Fonts/Sans.TTF", "x");
  Write("Ini/empty.ini", "");
  const auto date = [&](const char* name, std::int64_t seconds) {
    const fs::path file = Write(name, "x");
    fs::last_write_time(
        file, std::chrono::file_clock::from_sys(
                  std::chrono::sys_seconds(std::chrono::seconds(seconds))));
  };
  date("Standard/future.txt", kNow + 3600);
  date("Standard/now.txt", kNow + 2);
  date("Register/future.dll", kNow + 3600);  // the Register pass has no dates
  std::vector<std::string> expected = {
      "file-empty Ini/empty.ini:0",
      "register-not-component Register/readme.txt:0",
      "font-replaced Standard/Fonts/Sans.TTF:0",
      "time-future Standard/future.txt:0",
  };
  // Links only where the system lets a test make them.
  std::error_code no_links;
  fs::create_symlink(root_ / "nowhere", root_ / "Standard" / "broken",
                     no_links);
  if (!no_links) expected.push_back("entry-not-file Standard/broken:0");
  fs::create_directory_symlink(root_ / "Ini", root_ / "Standard" / "linked",
                               no_links);
  if (!no_links) expected.push_back("linked-folder Standard/linked:0");
  EXPECT_THAT(Named(Check()), UnorderedElementsAreArray(expected));
}

TEST(PackCheckEntries, TreeLargerThanTheFileList) {
  PackEntry folder;
  folder.kind = PackEntry::Kind::kFolder;
  for (const int count : {kFileListLimit, kFileListLimit + 1}) {
    std::vector<TreeEntry> entries(static_cast<std::size_t>(count),
                                   TreeEntry{&folder, "Ini", "f", "f"});
    Findings findings;
    CheckEntries(entries, kNow, findings);
    EXPECT_EQ(Named(findings.list()),
              count > kFileListLimit
                  ? std::vector<std::string>{"tree-too-large Ini/:0"}
                  : std::vector<std::string>{})
        << count;
  }
}

TEST_F(PackCheckTest, SettingsAndTexts) {
  const char* const all_texts =
      "[DE]\n1=a\n2=a\n3=a\n14=a\n16=a\n17=a\n18=a\n19=a\n20=a\n21=a\n"
      "22=a\n28=a\n29=a\n30=a\n";
  const struct {
    const char* ini;  // nullptr: no file
    const char* txt;
    std::vector<std::string> findings;
  } cases[] = {
      {nullptr,
       nullptr,
       {"settings-missing /Rolvex.ini:0", "texts-missing /Rolvex.txt:0"}},
      {"[intern]\nSPRACHE=de\nText1=a\nText2=b\nText3=c\nOK=o\nESC=e\n"
       "[ServicePack]\nVersion=1\n",
       "[DE]\n1=a\n2=a\n3=a\n14=a\n16=a\n17=a\n18=a\n19=a\n20=a\n21=a\n22=a\n"
       "28=a\n29=\n",
       {"texts-number-missing /Rolvex.txt:0",
        "texts-number-missing /Rolvex.txt:0"}},
      {"[Intern]\nSprache=DE\nText1=a\nText2=b\nText3=c\nESC=\n"
       "[ServicePack]\nVersion=\n",
       all_texts,
       {"settings-key-missing /Rolvex.ini:0",
        "settings-key-missing /Rolvex.ini:0",
        "settings-version-missing /Rolvex.ini:0"}},
      {"[Intern]\nSprache=FR\nText1=a\nText2=b\nText3=c\nOK=o\nESC=e\n"
       "[ServicePack]\nVersion=1\n",
       "[DE]\n1=a\n",
       {"texts-language-missing /Rolvex.txt:0"}},
  };
  for (const auto& c : cases) {
    fs::remove_all(root_);
    fs::create_directories(root_);
    if (c.ini != nullptr) Write("Rolvex.ini", c.ini);
    if (c.txt != nullptr) Write("Rolvex.txt", c.txt);
    const std::vector<PackFinding> findings = Check();
    EXPECT_EQ(Named(findings), c.findings) << (c.ini ? c.ini : "no ini");
    for (const PackFinding& f : findings) {
      if (f.rule == "texts-number-missing") {
        EXPECT_THAT(f.message, ::testing::AnyOf(HasSubstr("text 29"),
                                                HasSubstr("text 30")));
      }
    }
  }
}

TEST_F(PackCheckTest, IniFilesAsTheMergeReadsThem) {
  WriteSettings();
  Write("Ini/$WinDir$/a.ini",
        "; a comment\r\n"       // 1
        "Top=1\r\n"             // 2 before the first section
        "[Main]\r\n"            // 3
        "Pos=10,20\r\n"         // 4 split at the comma
        "Name=\"a,b\"\r\n"      // 5 split inside the quotes
        "\"Quoted=x\"\r\n"      // 6 one quoted item, not the line
        "just words\r\n"        // 7
        ";Key=v\r\n"            // 8 written as a key ";Key"
        "[Odd=1\r\n"            // 9 written as a key "[Odd"
        "Empty=\r\n"            // 10 no value
        "Color=red\r\n"         // 11
        "  Indented = 1\t\r\n"  // 12 read as it looks
        "\r\n"                  // 13
        "[Other]\r\n"           // 14
        "color=blue\r\n"        // 15 another section
        "[MAIN]\r\n"            // 16 the same section again
        "COLOR = green\r\n"     // 17 the last one wins on the PC
        "Last=x,\n"             // 18 a trailing comma
        "\x1A");                // 19 the DOS end-of-file mark
  Write("Ini/utf16.ini", std::string("\xFF\xFE[\0A\0]\0", 8));
  Write("Ini/binary.ini", std::string("[A]\nk=v\nz=\x01\n"));
  Write("Ini/bom.ini", "\xEF\xBB\xBF[A]\nk=v\n");
  const std::vector<PackFinding> findings = Check();
  EXPECT_THAT(
      Named(findings),
      ElementsAre(
          "ini-before-section Ini/$WinDir$/a.ini:2",
          "ini-line-split Ini/$WinDir$/a.ini:4",
          "ini-line-split Ini/$WinDir$/a.ini:5",
          "ini-line-split Ini/$WinDir$/a.ini:6",
          "ini-line-ignored Ini/$WinDir$/a.ini:7",
          "ini-key-prefix Ini/$WinDir$/a.ini:8",
          "ini-key-prefix Ini/$WinDir$/a.ini:9",
          "ini-line-ignored Ini/$WinDir$/a.ini:10",
          "ini-key-duplicate Ini/$WinDir$/a.ini:17",
          "ini-line-split Ini/$WinDir$/a.ini:18", "ini-binary Ini/binary.ini:3",
          "ini-utf8-bom Ini/bom.ini:1", "ini-line-ignored Ini/bom.ini:1",
          "ini-before-section Ini/bom.ini:2", "ini-utf16 Ini/utf16.ini:0"));
  for (const PackFinding& f : findings) {
    if (f.line == 4) {
      EXPECT_THAT(f.message, HasSubstr("writes \"Pos=10\""));
    }
    if (f.line == 17) {
      EXPECT_THAT(f.message, HasSubstr("lines 11, 17"));
      EXPECT_THAT(f.message, HasSubstr("\"green\" ends up on the PC"));
      EXPECT_THAT(f.message, HasSubstr("sees \"red\""));
    }
  }
}

TEST_F(PackCheckTest, ExitCodesOutputAndTheExamplePack) {
  const fs::path example = fs::path(ROLVEX_SOURCE_DIR) / "examples/servicepack";
  if (!fs::exists(example)) GTEST_SKIP() << "no source tree here";
  fs::copy(example, root_, fs::copy_options::recursive);
  const std::string json = (root_ / "check.json").string();
  EXPECT_EQ(RunCheck(root_, json, io_), kPackClean) << out_.str();
  EXPECT_THAT(out_.str(), HasSubstr("0 errors, "));
  EXPECT_TRUE(fs::exists(json));

  Write("Register/readme.txt", "x");
  out_.str("");
  EXPECT_EQ(RunCheck(root_, "", io_), kPackFindings);
  EXPECT_THAT(out_.str(), HasSubstr("error   register-not-component     "
                                    "Register/readme.txt: the Register pass"));
  EXPECT_THAT(out_.str(), HasSubstr("1 error, 2 warnings\n"));

  EXPECT_EQ(RunCheck(root_ / "missing", "", io_), kPackNotRun);
  EXPECT_EQ(RunCheck(root_, (root_ / "no/such/folder.json").string(), io_),
            kPackNotRun);
}

}  // namespace
}  // namespace rolvex
