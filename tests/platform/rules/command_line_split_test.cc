#include "platform/rules/command_line_split.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace rolvex {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The reading as "program|arguments", so that a whole list reads at a glance.
std::vector<std::string> Readings(const std::string& line) {
  std::vector<std::string> out;
  for (const auto& c : ProgramCandidates(line)) {
    out.push_back(c.program + "|" + c.arguments);
  }
  return out;
}

TEST(ProgramCandidatesTest, FirstTokenEndsAtBlankOrTab) {
  EXPECT_THAT(Readings("RegSvr32 /s C:\\X.dll"),
              ElementsAre("RegSvr32| /s C:\\X.dll", "RegSvr32 /s| C:\\X.dll",
                          "RegSvr32 /s C:\\X.dll|"));
  EXPECT_THAT(Readings("prog\targ"), ElementsAre("prog|\targ", "prog\targ|"));
}

TEST(ProgramCandidatesTest, UnquotedPathWithBlanksIsTriedPrefixByPrefix) {
  EXPECT_THAT(Readings("C:\\Program Files\\Srv.exe /regserver"),
              ElementsAre("C:\\Program| Files\\Srv.exe /regserver",
                          "C:\\Program Files\\Srv.exe| /regserver",
                          "C:\\Program Files\\Srv.exe /regserver|"));
  // A run of blanks is one separator, and trailing blanks add no reading.
  EXPECT_THAT(Readings("  a  b  "), ElementsAre("a|  b  ", "a  b|  "));
}

TEST(ProgramCandidatesTest, QuotedProgramRunsToTheNextQuote) {
  EXPECT_THAT(Readings("\"C:\\My Dir\\a.exe\" /x \"y z\""),
              ElementsAre("C:\\My Dir\\a.exe| /x \"y z\""));
  // The arguments start right after the closing quote.
  EXPECT_THAT(Readings("\"a b\"c d"), ElementsAre("a b|c d"));
  // Without a closing quote the program is the rest of the line.
  EXPECT_THAT(Readings("\"C:\\open end"), ElementsAre("C:\\open end|"));
  EXPECT_THAT(Readings("\"\""), ElementsAre("|"));
}

TEST(ProgramCandidatesTest, EmptyLineHasNoProgram) {
  EXPECT_THAT(Readings(""), IsEmpty());
  EXPECT_THAT(Readings(" \t "), IsEmpty());
}

TEST(ProgramFileNamesTest, ExeIsAppendedOnlyWithoutExtension) {
  EXPECT_THAT(ProgramFileNames("RegSvr32"),
              ElementsAre("RegSvr32", "RegSvr32.exe"));
  EXPECT_THAT(ProgramFileNames("C:\\Tools\\Srv.exe"),
              ElementsAre("C:\\Tools\\Srv.exe"));
  EXPECT_THAT(ProgramFileNames("C:\\Tools\\x.dll"),
              ElementsAre("C:\\Tools\\x.dll"));
  // A dot in a folder name is no extension of the file.
  EXPECT_THAT(ProgramFileNames("C:\\v1.2\\tool"),
              ElementsAre("C:\\v1.2\\tool", "C:\\v1.2\\tool.exe"));
  EXPECT_THAT(ProgramFileNames("C:\\"), ElementsAre("C:\\"));
}

TEST(SplitArgumentsTest, BlanksSeparateAndQuotesGroup) {
  EXPECT_THAT(SplitArguments(" /u  /s\tC:\\X.dll "),
              ElementsAre("/u", "/s", "C:\\X.dll"));
  EXPECT_THAT(SplitArguments("\"C:\\My Dir\\X.dll\" a\"b c\"d"),
              ElementsAre("C:\\My Dir\\X.dll", "ab cd"));
  EXPECT_THAT(SplitArguments("\"\" x \"\""), ElementsAre("", "x", ""));
  EXPECT_THAT(SplitArguments(""), IsEmpty());
  EXPECT_THAT(SplitArguments("   "), IsEmpty());
}

TEST(SplitArgumentsTest, BackslashesBeforeQuotes) {
  // Backslashes not before a quote stay as they are.
  EXPECT_THAT(SplitArguments("C:\\a\\\\b\\"), ElementsAre("C:\\a\\\\b\\"));
  // 2n backslashes + quote: n backslashes, the quote groups.
  EXPECT_THAT(SplitArguments("a\\\\\"b c\""), ElementsAre("a\\b c"));
  // 2n+1 backslashes + quote: n backslashes and a literal quote.
  EXPECT_THAT(SplitArguments("a\\\\\\\"b c"), ElementsAre("a\\\"b", "c"));
  EXPECT_THAT(SplitArguments("\\\"x\\\""), ElementsAre("\"x\""));
  // A quoted path ending in a backslash needs it doubled.
  EXPECT_THAT(SplitArguments("\"C:\\dir\\\\\" next"),
              ElementsAre("C:\\dir\\", "next"));
}

TEST(SplitArgumentsTest, DoubledQuoteInsideQuotesIsLiteral) {
  EXPECT_THAT(SplitArguments("\"a\"\"b\" c"), ElementsAre("a\"b", "c"));
  // Outside quotes "" just opens and closes an empty quoted part.
  EXPECT_THAT(SplitArguments("a\"\"b"), ElementsAre("ab"));
  // An unclosed quote runs to the end of the text.
  EXPECT_THAT(SplitArguments("\"a b"), ElementsAre("a b"));
}

TEST(SplitArgumentsTest, ShellCharactersAreOrdinaryText) {
  EXPECT_THAT(SplitArguments("C:\\a;touch x $(rm -rf y) `z` 'q r' |&>"),
              ElementsAre("C:\\a;touch", "x", "$(rm", "-rf", "y)", "`z`", "'q",
                          "r'", "|&>"));
}

TEST(ArgumentTextTest, SkipsTheProgramByTheWindowsRules) {
  EXPECT_EQ(ArgumentText("C:\\ServicePacks\\Rolvex.exe 2"), "2");
  EXPECT_EQ(ArgumentText("\"C:\\Service Packs\\Rolvex.exe\" 1 x"), "1 x");
  EXPECT_EQ(ArgumentText("Rolvex.exe\t2"), "2");
  // Blanks and tabs between program and arguments go; the rest stays.
  EXPECT_EQ(ArgumentText("Rolvex.exe    2  "), "2  ");
  EXPECT_EQ(ArgumentText("Rolvex.exe \t 1\tx"), "1\tx");
  EXPECT_EQ(ArgumentText("Rolvex.exe \"1\""), "\"1\"");
}

TEST(ArgumentTextTest, NothingAfterTheProgramGivesEmptyText) {
  EXPECT_EQ(ArgumentText("Rolvex.exe"), "");
  EXPECT_EQ(ArgumentText("\"C:\\a b\\Rolvex.exe\""), "");
  EXPECT_EQ(ArgumentText("Rolvex.exe   "), "");
  EXPECT_EQ(ArgumentText(""), "");
  // An unclosed quote takes the whole line as the program.
  EXPECT_EQ(ArgumentText("\"C:\\a b\\Rolvex.exe 2"), "");
  // Text glued to the closing quote still belongs to the program's token.
  EXPECT_EQ(ArgumentText("\"C:\\x\\Rolvex.exe\"1 2"), "2");
}

TEST(FolderOfProgramTest, KeepsTheBackslashOnlyAtADriveRoot) {
  EXPECT_EQ(FolderOfProgram("C:\\ServicePacks\\Rolvex.exe"),
            "C:\\ServicePacks");
  EXPECT_EQ(FolderOfProgram("C:\\Rolvex.exe"), "C:\\");
  EXPECT_EQ(FolderOfProgram("\\\\server\\share\\Rolvex.exe"),
            "\\\\server\\share");
  EXPECT_EQ(FolderOfProgram("Rolvex.exe"), "");
}

}  // namespace
}  // namespace rolvex
