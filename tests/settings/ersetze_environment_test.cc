#include "settings/ersetze_environment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "fakes/fake_parts.h"
#include "fakes/fake_settings.h"
#include "platform/rules/ascii_text.h"
#include "settings/directory_parameters.h"

namespace rolvex {
namespace {

class ErsetzeEnvironmentTest : public ::testing::Test {
 protected:
  ErsetzeEnvironmentTest() { SetDefaultDirectoryParameters(state_); }

  std::string Resolve(const std::string& text) {
    return ErsetzeEnvironment(state_, text, "Taste_Click");
  }
  void SetRow(int row, const std::string& name, const std::string& value) {
    state_.parameters.row(row).name = name;
    state_.parameters.row(row).value = value;
  }

  MemoryProfileStore profiles_;
  FakeEnvironment env_;
  FakeParts spare_;
  SettingsState state_{spare_.With(profiles_, env_)};
};

TEST_F(ErsetzeEnvironmentTest, ResolvesNamesWithoutRegardToCase) {
  EXPECT_EQ(Resolve("$VisuDir$\\Paramter\\Program.ini"),
            "C:\\Skarbo2000\\Paramter\\Program.ini");
  EXPECT_EQ(Resolve("$visudir$\\Paramter\\Program.ini"),
            "C:\\Skarbo2000\\Paramter\\Program.ini");
  EXPECT_EQ(Resolve("$ALLUSERSPROFILE$"),
            "C:\\Documents and Settings\\All Users");
}

TEST_F(ErsetzeEnvironmentTest, EnvironmentValueIsWhatGetsInserted) {
  env_.Set("windir", "D:\\WINNT");
  for (int row = 1; row <= 11; ++row) {
    GetDOSEnvironmentVariable(state_, row, "Form_Load");
  }
  EXPECT_EQ(Resolve("$WinDir$\\Fonts"), "D:\\WINNT\\Fonts");
}

TEST_F(ErsetzeEnvironmentTest, SeveralPlaceholdersLeftFirstAndNested) {
  EXPECT_EQ(Resolve("$ServicePackDir$\\$Computer_Ini$"),
            "C:\\ServicePacks\\C:\\Computer.ini");
  // A value holding a placeholder is resolved in turn.
  SetRow(4, "VisuDir", "$WinDir$\\Visu");
  EXPECT_EQ(Resolve("$VisuDir$\\Paramter"), "C:\\Windows\\Visu\\Paramter");
  // After a replacement the pairing starts again at the beginning: the "$"
  // left over from the value pairs with the text's next "$".
  SetRow(12, "Half", "$Win");
  EXPECT_EQ(Resolve("$Half$Dir$\\x"), "C:\\Windows\\x");
}

TEST_F(ErsetzeEnvironmentTest, DollarsThatAreNoPlaceholder) {
  EXPECT_EQ(Resolve("C:\\Plain\\Path"), "C:\\Plain\\Path");
  EXPECT_EQ(Resolve(""), "");
  EXPECT_EQ(Resolve("C:\\Price$List"), "C:\\Price$List");
  EXPECT_EQ(Resolve("$"), "$");
  // "$$" names the first row without a name (row 12, empty): it disappears.
  EXPECT_EQ(Resolve("ab$$cd"), "abcd");
  EXPECT_EQ(Resolve("$$$$$"), "$");
  // An unknown name stays; the search goes on after its closing "$".
  EXPECT_EQ(Resolve("$Nope$\\$WinDir$"), "$Nope$\\C:\\Windows");
  EXPECT_EQ(Resolve("$Nope$WinDir$"), "$Nope$WinDir$");
  EXPECT_EQ(Resolve("a$ WinDir$b"), "a$ WinDir$b");
  EXPECT_EQ(Resolve("$WinDir"), "$WinDir");
}

TEST_F(ErsetzeEnvironmentTest, FirstRowOfANameWins) {
  SetRow(15, "windir", "E:\\Second");
  EXPECT_EQ(Resolve("$WINDIR$"), "C:\\Windows");
}

TEST_F(ErsetzeEnvironmentTest, SelfReferringValuesEnd) {
  SetRow(12, "Loop", "x$Loop$y");
  EXPECT_EQ(Resolve("a$loop$b"), "a$loop$b");
  SetRow(13, "P", "$Q$\\p");
  SetRow(14, "Q", "$p$\\q");
  EXPECT_EQ(Resolve("$P$"), "$P$");
  EXPECT_EQ(Resolve("$Q$-$WinDir$"), "$Q$-C:\\Windows");
  // A row that only leads into a loop is resolved up to the loop.
  SetRow(15, "R", "r\\$P$");
  EXPECT_EQ(Resolve("$R$"), "r\\$P$");
}

TEST_F(ErsetzeEnvironmentTest, PairsAcrossTheBorderOfAValueEnd) {
  // Paired on its own, A's value only names B; but B's value leaves a "$"
  // that pairs with A's "$A" again: resolved naively this gives x, xx, ...
  // for ever.
  SetRow(12, "A", "$B$A$");
  SetRow(13, "B", "x$");
  EXPECT_EQ(Resolve("$A$"), "x$A$");
  EXPECT_EQ(Resolve("1$A$2$A$3"), "1x$A$2x$A$3");
  // A value whose "$" pairs with a "$" of the text around it: each round
  // uses up a "$" of the text, so the resolution ends by itself and nothing
  // is held back.
  SetRow(14, "C", "$C");
  EXPECT_EQ(Resolve("$C$$"), "$C");
  EXPECT_EQ(Resolve("$C$$$"), "$C");
  EXPECT_EQ(Resolve("$C$x$C$"), "$Cx$C$");
  SetRow(15, "D", "d$");
  EXPECT_EQ(Resolve("$D$D$"), "dd$");
  EXPECT_EQ(Resolve("$D$D$D$"), "ddd$");
}

TEST_F(ErsetzeEnvironmentTest, LoopThroughTheLastPairOfValuesEnds) {
  // Paired on its own no value leads back to itself: E's value leaves a
  // "$" that makes "$F$" of G's value a pair, F's value ends in "$G$", and
  // G's value in "$F$", so G and F would take turns for ever.
  SetRow(12, "G", "A$E$$$F$");
  SetRow(13, "E", "x$EE");
  SetRow(14, "F", "x$G$");
  EXPECT_EQ(Resolve("$G$"), "Ax$EE$x$G$");
  EXPECT_EQ(Resolve("1$G$2"), "1Ax$EE$x$G$2");
}

TEST_F(ErsetzeEnvironmentTest, FortyThousandCharactersResolvedWhole) {
  std::string text;
  std::string expected;
  while (text.size() < 40000) {
    text += "$WinDir$";
    expected += "C:\\Windows";
  }
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Resolve(text), expected);
  // Beyond position 32767 too.
  EXPECT_EQ(Resolve(std::string(39990, 'x') + "$VisuDir$"),
            std::string(39990, 'x') + "C:\\Skarbo2000");
  EXPECT_EQ(Resolve(std::string(40000, '$')), "");
  EXPECT_EQ(Resolve(std::string(40001, '$')), "$");
  SetRow(12, "Loop", "x$Loop$y");
  std::string loops;
  while (loops.size() < 40000) loops += "$Loop$";
  EXPECT_EQ(Resolve(loops), loops);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(ErsetzeEnvironmentTest, ExplodingTableStopsWithBoundedResult) {
  // No loop, but every level doubles eight times: 8^9 copies of a long text
  // would be far too much. The resolution stops at its bound.
  for (int row = 12; row < 20; ++row) {
    std::string next = "$E" + std::to_string(row + 1) + "$";
    std::string value;
    for (int i = 0; i < 8; ++i) value += next;
    SetRow(row, "E" + std::to_string(row), value);
  }
  SetRow(20, "E20", std::string(1000, 'x'));
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "$E12$";

  auto start = std::chrono::steady_clock::now();
  std::string result = Resolve(text);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_LE(result.size(), text.size() + kMaxInsertedChars);
  EXPECT_EQ(result.substr(0, 1000), std::string(1000, 'x'));
  EXPECT_NE(result.find("$E"), std::string::npos);  // the rest unresolved

  // The same shape with empty leaves inserts little but replaces a lot.
  SetRow(20, "E20", "");
  start = std::chrono::steady_clock::now();
  result = Resolve(text);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_LE(result.size(), text.size() + kMaxInsertedChars);
}

// The resolution as first written down: search from the start again after
// every replacement, an unknown pair skipped. Gives up after `limit` steps;
// `ended` tells whether it ended by itself.
std::string Literal(const SettingsState& state, std::string s, int limit,
                    bool* ended = nullptr) {
  if (ended) *ended = false;
  std::size_t from = 0;
  for (int steps = 0; steps < limit;) {
    std::size_t a = s.find('$', from);
    if (a == std::string::npos) {
      if (ended) *ended = true;
      break;
    }
    std::size_t c = s.find('$', a + 1);
    if (c == std::string::npos) {
      if (ended) *ended = true;
      break;
    }
    std::string name = s.substr(a + 1, c - a - 1);
    int match = 0;
    for (int row = 1; row <= 20 && match == 0; ++row) {
      std::string candidate = state.parameters.row(row).name;
      if (candidate.size() != name.size()) continue;
      bool equal = true;
      for (std::size_t i = 0; i < name.size(); ++i) {
        equal = equal && AsciiUpper(name[i]) == AsciiUpper(candidate[i]);
      }
      if (equal) match = row;
    }
    if (match == 0) {
      from = c + 1;
      continue;
    }
    s.replace(a, c - a + 1, state.parameters.row(match).value);
    from = 0;
    ++steps;
  }
  return s;
}

TEST_F(ErsetzeEnvironmentTest, SameResultAsTheLiteralResolution) {
  // Tables whose values only name later rows (no loop), random texts with
  // placeholders, stray and doubled "$" and unknown names.
  std::mt19937 random(20240611);
  auto pick = [&](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  const std::vector<std::string> names = {"WinDir", "VisuDir", "a",  "B_1",
                                          "x y",    "Q",       "zz", "Last"};
  for (int round = 0; round < 3000; ++round) {
    for (int row = 1; row <= 20; ++row) SetRow(row, "", "");
    for (int row = 1; row <= 8; ++row) {
      std::string value;
      for (int piece = pick(4); piece > 0; --piece) {
        switch (pick(5)) {
          case 0:
            value += "\\v" + std::to_string(row);
            break;
          case 1:
            if (row < 8) value += "$" + names[row + pick(8 - row)] + "$";
            break;
          case 2:
            value += "$$";
            break;
          case 3:
            value += "$nope$";
            break;
          default:
            value += "C:";
        }
      }
      SetRow(row, names[row - 1], value);
    }
    std::string text;
    for (int piece = pick(8); piece > 0; --piece) {
      switch (pick(7)) {
        case 0:
          text += "$";
          break;
        case 1:
          text += "$" + names[pick(8)] + "$";
          break;
        case 2: {
          text += AsciiUpperCase("$" + names[pick(8)] + "$");
          break;
        }
        case 3:
          text += names[pick(8)];
          break;
        case 4:
          text += "$$";
          break;
        default:
          text += "\\t";
      }
    }
    ASSERT_EQ(Resolve(text), Literal(state_, text, 100000))
        << "text " << text << " round " << round;
  }
}

TEST_F(ErsetzeEnvironmentTest, StrayDollarsInValuesAsTheLiteralResolution) {
  // Values that leave a "$" over, so that pairs form across the border of a
  // value. Paired on its own a value only names later rows; where the
  // literal resolution ends by itself, the result must be the same.
  std::mt19937 random(5);
  auto pick = [&](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  const std::vector<std::string> names = {"A", "B", "C", "D", "E", "F"};
  int compared = 0;
  for (int round = 0; round < 20000; ++round) {
    for (int row = 1; row <= 20; ++row) SetRow(row, "", "");
    for (int row = 1; row <= 6; ++row) {
      std::string value;
      for (int piece = pick(4); piece > 0; --piece) {
        switch (pick(4)) {
          case 0:
            value += "$";
            break;
          case 1:
            if (row < 6) value += "$" + names[row + pick(6 - row)] + "$";
            break;
          case 2:
            value += names[pick(6)];
            break;
          default:
            value += "x";
        }
      }
      SetRow(row, names[row - 1], value);
    }
    std::string text;
    for (int piece = pick(7); piece > 0; --piece) {
      switch (pick(3)) {
        case 0:
          text += "$";
          break;
        case 1:
          text += "$" + names[pick(6)] + "$";
          break;
        default:
          text += names[pick(6)];
      }
    }
    bool ended = false;
    std::string literal = Literal(state_, text, 2000, &ended);
    if (!ended) continue;  // never ends: how it is cut short is our choice
    ++compared;
    ASSERT_EQ(Resolve(text), literal) << "text " << text << " round " << round;
  }
  EXPECT_GT(compared, 10000);
}

}  // namespace
}  // namespace rolvex
