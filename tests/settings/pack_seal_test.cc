#include "settings/pack_seal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rolvex {
namespace {

const std::string kA(64, 'a');
const std::string kB(64, 'b');

// What sha256sum writes, names with a backslash or a line end escaped, in
// an order that does not depend on the order the files were found in; and
// read back to the same lines.
TEST(PackSealTest, WritesWhatSha256sumWritesAndReadsItBack) {
  const std::vector<SealLine> lines = {
      {kB, "Standard/b\\c\nd"}, {kA, "Rolvex.ini"}, {kA, "Ini/$WinDir$/x.ini"}};
  const std::string text = FormatSeal(lines);
  EXPECT_EQ(text, kA + "  Ini/$WinDir$/x.ini\n" + kA + "  Rolvex.ini\n\\" + kB +
                      "  Standard/b\\\\c\\nd\n");
  std::vector<SealLine> read;
  ASSERT_EQ(ParseSeal(text, read), "");
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[2].path, "Standard/b\\c\nd");
  // Binary mode, upper-case digits and CR LF lines, as other tools write.
  ASSERT_EQ(ParseSeal(std::string(64, 'C') + " *Rolvex.txt\r\n", read), "");
  EXPECT_EQ(read[0].digest, std::string(64, 'c'));
  EXPECT_EQ(read[0].path, "Rolvex.txt");
}

TEST(PackSealTest, RefusesEveryLineItCannotVouchFor) {
  std::vector<SealLine> read;
  for (const std::string& bad :
       {kA + "  x", kA.substr(1) + "  x\n", kA + " x\n", kA + "  \n",
        std::string(64, 'g') + "  x\n", "\\" + kA + "  a\\qb\n",
        std::string("\n"), kA + "\tx\n"}) {
    EXPECT_NE(ParseSeal(bad, read), "") << bad;
  }
}

// Windows names files without regard to letter case and with either slash;
// an exact spelling wins over another case of it.
TEST(PackSealTest, FindsAFileAsWindowsNamesIt) {
  const PackSeal seal({{kA, "Standard/Tool.dll"}, {kB, "Standard/tool.dll"}});
  EXPECT_EQ(seal.Find("Standard\\tool.dll")->digest, kB);
  EXPECT_EQ(seal.Find("Standard\\Tool.dll")->digest, kA);
  EXPECT_NE(seal.Find("STANDARD/TOOL.DLL"), nullptr);
  EXPECT_EQ(seal.Find("Standard\\Tool.dl"), nullptr);
}

}  // namespace
}  // namespace rolvex
