// Names Windows refuses, which only a Linux folder can hold.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "pack_fixture.h"

namespace rolvex {
namespace {

using ::testing::UnorderedElementsAreArray;

TEST_F(PackCheckTest, NamesPlaceholdersAndLengths) {
  const std::string users = "$AllUsersProfile$/";
  // Its target, C:\Documents and Settings\All Users\, is this long.
  const std::size_t prefix = 36;
  const std::string umlauts = [] {
    std::string text;
    for (int i = 0; i < 120; ++i) text += "\xC3\xA4";  // 240 bytes, 120 chars
    return text;
  }();
  const struct {
    std::string file;  // in Standard
    std::string finding;
  } cases[] = {
      {"$WinDir$/CON.txt", "name-reserved Standard/$WinDir$/CON.txt:0"},
      {"$WinDir$/con", "name-reserved Standard/$WinDir$/con:0"},
      {"$WinDir$/Com1.log.bak",
       "name-reserved Standard/$WinDir$/Com1.log.bak:0"},
      {"$WinDir$/lpt9", "name-reserved Standard/$WinDir$/lpt9:0"},
      {"$WinDir$/COM0.txt", ""},
      {"$WinDir$/COM10", ""},
      {"$WinDir$/CONSOLE.txt", ""},
      {"$WinDir$/x.CON", ""},
      {"a:b", "name-character Standard/a:b:0"},
      {"a<b", "name-character Standard/a<b:0"},
      {"why?", "name-character Standard/why?:0"},
      {"star*", "name-character Standard/star*:0"},
      {"pipe|", "name-character Standard/pipe|:0"},
      {"quote\"", "name-character Standard/quote\":0"},
      {"back\\slash", "name-character Standard/back\\slash:0"},
      {"tab\tname", "name-character Standard/tab\tname:0"},
      {"dot.", "name-trailing Standard/dot.:0"},
      {"blank ", "name-trailing Standard/blank :0"},
      {"Greek\xCE\xB1.txt", "name-code-page Standard/Greek\xCE\xB1.txt:0"},
      {"Case/README.TXT", ""},
      {"Case/readme.txt", "name-case Standard/Case/readme.txt:0"},
      {"$WinDr$/x.txt", "placeholder-unknown Standard/$WinDr$:0"},
      {"$quelttoolsdir$/ok.txt", ""},
      {"$$/empty-row.txt", ""},
      {"$WinDir$a$Nix$/y.txt", "placeholder-unknown Standard/$WinDir$a$Nix$:0"},
      {users + std::string(259 - prefix, 'f'), ""},
      {users + std::string(260 - prefix, 'g'),
       "path-too-long Standard/" + users + std::string(260 - prefix, 'g') +
           ":0"},
      {users + std::string(247 - prefix, 'h') + "/i", ""},
      {users + std::string(248 - prefix, 'j') + "/below",
       "path-too-long Standard/" + users + std::string(248 - prefix, 'j') +
           ":0"},
      {users + umlauts, ""},
  };
  WriteSettings();
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    Write("Standard/" + c.file, "x");
    if (!c.finding.empty()) expected.push_back(c.finding);
  }
  EXPECT_THAT(Named(Check()), UnorderedElementsAreArray(expected));
}

}  // namespace
}  // namespace rolvex
