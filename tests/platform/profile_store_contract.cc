#include "platform/profile_store_contract.h"

#include <string>

#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

#define SKIP_WHERE_IT_DEVIATES(quirk)                     \
  if (const char* why = rig_->Deviation(quirk)) {         \
    GTEST_SKIP() << "departs from Windows here: " << why; \
  }

// --- Reading ---------------------------------------------------------------

TEST_P(ProfileStoreContract, ReadsTrimmedUnquotedValuesOfNamesInAnyCase) {
  rig_->WriteBytes("Rolvex.ini",
                   "; comment\r\n[ Intern ]  junk\r\n  Sprache =  Deutsch  \r\n"
                   "Quoted=\"  spaced  \"\r\nQ=\"quoted\"\r\nHalf=\"open\r\n"
                   "sprache=second\r\nInline=v ;x\r\nSplit = b = c\r\n"
                   "novalue\r\n");
  // The file (its whole path) and the names are found without regard to
  // case, the requested names trimmed; the first key of a name wins.
  EXPECT_EQ(Get("INTERN", "SPRACHE", "ROLVEX.INI"), "Deutsch");
  EXPECT_EQ(store_.GetString("intern", "sprache", "", 255,
                             AsciiLowerCase(rig_->PathOf("Rolvex.ini"))),
            "Deutsch");
  EXPECT_EQ(Get(" Intern\t", "  Sprache ", "Rolvex.ini"), "Deutsch");
  EXPECT_EQ(Get("Intern", "Quoted", "Rolvex.ini"), "  spaced  ");
  EXPECT_EQ(Get("Intern", "Q", "Rolvex.ini"), "quoted");
  EXPECT_EQ(Get("Intern", "Half", "Rolvex.ini"), "\"open");
  // No inline comments; the value runs from the first "=".
  EXPECT_EQ(Get("Intern", "Inline", "Rolvex.ini"), "v ;x");
  EXPECT_EQ(Get("Intern", "Split", "Rolvex.ini"), "b = c");
  EXPECT_EQ(Get("Intern", "novalue", "Rolvex.ini"), "");

  // CR, LF and CR LF each end a line.
  rig_->WriteBytes("ends.ini", "[A]\nx=1\n[B]\ry=2\r[C]\r\nz=3");
  EXPECT_EQ(Get("A", "x", "ends.ini"), "1");
  EXPECT_EQ(Get("B", "y", "ends.ini"), "2");
  EXPECT_EQ(Get("C", "z", "ends.ini"), "3");
  EXPECT_EQ(Get("A", "y", "ends.ini"), "");
}

TEST_P(ProfileStoreContract, MissingFileSectionOrKeyGivesTheTrimmedDefault) {
  rig_->WriteBytes("a.ini", "[General]\r\nCancelSP=True\r\nEmpty=\r\n");
  EXPECT_EQ(Get("General", "Missing", "a.ini"), "");
  EXPECT_EQ(Get("Nowhere", "CancelSP", "a.ini"), "");
  EXPECT_EQ(Get("General", "CancelSP", "none.ini"), "");
  EXPECT_EQ(Get("A", "k", "NoFolder\\x.ini"), "");
  // "k=" is found: it gives "", not the default.
  EXPECT_EQ(Get("General", "Empty", "a.ini"), "");
  EXPECT_EQ(
      store_.GetString("General", "Empty", "dflt", 255, rig_->PathOf("a.ini")),
      "");
  // A default with text keeps it, without its trailing blanks.
  EXPECT_EQ(store_.GetString("General", "Missing", " x  ", 255,
                             rig_->PathOf("a.ini")),
            " x");
  EXPECT_EQ(store_.GetString("A", "k", "dflt  ", 255, rig_->PathOf("none.ini")),
            "dflt");
}

TEST_P(ProfileStoreContract, BufferOfNHoldsNMinusOneCharacters) {
  rig_->WriteBytes("a.ini", "[S]\r\nK=" + std::string(300, 'v') + "\r\n");
  const std::string file = rig_->PathOf("a.ini");
  EXPECT_EQ(Get("S", "K", "a.ini"), std::string(254, 'v'));
  EXPECT_EQ(store_.GetString("S", "K", "", 4, file), "vvv");
  EXPECT_EQ(store_.GetString("S", "Missing", "abcdef", 4, file), "abc");
  EXPECT_EQ(store_.GetString("S", "K", "", 0, file), "");
}

TEST_P(ProfileStoreContract, CommentLinesAreNoEntries) {
  SKIP_WHERE_IT_DEVIATES(ProfileQuirk::kReadsCommentLinesAsEntries);
  rig_->WriteBytes("c.ini", "[A]\r\n;c=comment\r\n  ;d=indented\r\n");
  EXPECT_EQ(Get("A", ";c", "c.ini"), "");
  EXPECT_EQ(Get("A", ";d", "c.ini"), "");
}

// --- Writing ---------------------------------------------------------------

TEST_P(ProfileStoreContract, CreatesAMissingFileOnlyInAnExistingFolder) {
  EXPECT_TRUE(Write("General", "CancelSP", "True", "ServicePack.ini"));
  EXPECT_EQ(rig_->ReadBytes("ServicePack.ini"),
            "[General]\r\nCancelSP=True\r\n");
  EXPECT_EQ(Get("General", "CancelSP", "ServicePack.ini"), "True");

  EXPECT_FALSE(Write("A", "k", "v", "NoFolder\\x.ini"));
  EXPECT_EQ(rig_->ReadBytes("NoFolder\\x.ini"), std::nullopt);
}

TEST_P(ProfileStoreContract, ReplacesAddsAndAppendsKeepingTheRest) {
  rig_->WriteBytes("d.ini", "; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  // The file and the names are found without regard to case; leading blanks
  // of the value are dropped; an empty value writes "key=".
  EXPECT_TRUE(Write("a", "X", "  3", "D.INI"));
  EXPECT_TRUE(Write("A", "z", "", "d.ini"));
  EXPECT_TRUE(Write("New", "n", "v", "d.ini"));
  EXPECT_EQ(Get("A", "x", "d.ini"), "3");
  EXPECT_EQ(Get("A", "z", "d.ini"), "");
  EXPECT_EQ(Get("B", "y", "d.ini"), "2");
  EXPECT_EQ(Get("New", "n", "d.ini"), "v");
  const std::string text = rig_->ReadBytes("d.ini").value_or("");
  EXPECT_EQ(text.substr(0, 11), "; keep me\r\n");
  EXPECT_NE(text.find("z=\r\n"), std::string::npos) << text;
  // A new section goes at the end, without a blank line before it.
  EXPECT_TRUE(text.ends_with("y=2\r\n[New]\r\nn=v\r\n")) << text;
}

TEST_P(ProfileStoreContract, EditsInPlaceAndLeavesEveryOtherByte) {
  SKIP_WHERE_IT_DEVIATES(ProfileQuirk::kRewritesWholeFile);
  rig_->WriteBytes("Rolvex.ini", "; keep\n[ServicePack]\nVersion=1\n");
  EXPECT_TRUE(Write("SERVICEPACK", "version", " 2.0", "ROLVEX.INI"));
  EXPECT_EQ(rig_->ReadBytes("Rolvex.ini"),
            "; keep\n[ServicePack]\nVersion=2.0\n");

  // A new key goes after the last entry of its section, a new section at the
  // end; new lines end in CR LF, and no blank line is added.
  rig_->WriteBytes("e.ini",
                   "[A]\r\n  k = 1  \r\n; trailing comment\r\n\r\n"
                   "[B]\r\nm=2\r\nlast=no line end");
  EXPECT_TRUE(Write("A", "new", "v", "e.ini"));
  EXPECT_TRUE(Write("A", "k", "", "e.ini"));
  EXPECT_TRUE(Write("C", "c", "w", "e.ini"));
  EXPECT_EQ(rig_->ReadBytes("e.ini"),
            "[A]\r\n  k =  \r\nnew=v\r\n; trailing comment\r\n\r\n"
            "[B]\r\nm=2\r\nlast=no line end\r\n[C]\r\nc=w\r\n");
}

TEST_P(ProfileStoreContract, WritesNewNamesTrimmed) {
  SKIP_WHERE_IT_DEVIATES(ProfileQuirk::kKeepsTrailingBlanksOfNewNames);
  EXPECT_TRUE(Write(" Sec ", " k ", "v", "n.ini"));
  EXPECT_EQ(rig_->ReadBytes("n.ini"), "[Sec]\r\nk=v\r\n");
}

TEST_P(ProfileStoreContract, EntriesThatWouldReadBackAsOthersAreNotWritten) {
  // A value must not add lines, even sections, of its own to the PC's ini
  // file, and no line may read back as something other than the entry.
  const std::string before = "[S]\r\nK=old\r\n";
  rig_->WriteBytes("e.ini", before);
  EXPECT_FALSE(Write("S", "K", "a\r\n[X]\r\ny=1", "e.ini"));
  EXPECT_FALSE(Write("S", "K", "a\nb", "e.ini"));
  EXPECT_FALSE(Write("S\r", "K", "v", "e.ini"));
  EXPECT_FALSE(Write("S", "K\n", "v", "e.ini"));
  EXPECT_FALSE(Write("T]U", "K", "v", "e.ini"));
  EXPECT_FALSE(Write("S", "k2=z", "v", "e.ini"));
  EXPECT_FALSE(Write("S", "[k]", "v", "e.ini"));
  EXPECT_FALSE(Write("S", "[k", "v]", "e.ini"));
  EXPECT_FALSE(Write("S", "  ", "v", "e.ini"));
  EXPECT_FALSE(Write("", "K", "v", "e.ini"));
  EXPECT_EQ(rig_->ReadBytes("e.ini"), before);
  EXPECT_EQ(Get("X", "y", "e.ini"), "");
  // What follows a NUL is no part of a name or value.
  EXPECT_TRUE(Write("S", "K", std::string("new\0\r\n[X]", 9), "e.ini"));
  EXPECT_EQ(Get("S", "K", "e.ini"), "new");
}

TEST_P(ProfileStoreContract, BatchedWritesGiveTheBytesOfSingleWrites) {
  const std::string varied =
      "\xEF\xBB\xBF; head\r\nloose=1\r\n[A]\r\n  k = 1  \r\n; note\r\n\r\n"
      "[b]\nm=2\n[A]\r\nk=shadow\r\n[C]\rc=3\r;x=4\r\n[D]\r\nlast=no end";
  struct Entry {
    const char *section, *key, *value;
  };
  const Entry entries[] = {
      {"A", "k", "one"},   {"a", "new", "v"},   {"B", "M", "  20"},
      {"A", "k", ""},      {"C", ";x", "5"},    {"D", "tail", "t"},
      {"E", "e", "fresh"}, {"e", "E2", "more"}, {"T]U", "k", "refused"},
      {"A", "K", "two"},   {"b", "n", "b\rc"},  {"b", "n", "nb"}};
  rig_->WriteBytes("single.ini", varied);
  rig_->WriteBytes("batch.ini", varied);
  // The same writes, one file written entry by entry, the other in a batch:
  // the same answers, the same reads (a read in the batch sees its writes).
  store_.BeginBatch(rig_->PathOf("batch.ini"));
  for (const Entry& e : entries) {
    EXPECT_EQ(Write(e.section, e.key, e.value, "batch.ini"),
              Write(e.section, e.key, e.value, "single.ini"))
        << e.section << " " << e.key;
    EXPECT_EQ(Get(e.section, e.key, "batch.ini"),
              Get(e.section, e.key, "single.ini"))
        << e.section << " " << e.key;
  }
  EXPECT_TRUE(store_.EndBatch());
  EXPECT_EQ(rig_->ReadBytes("batch.ini"), rig_->ReadBytes("single.ini"));
  EXPECT_TRUE(store_.EndBatch());  // none open
}

}  // namespace
}  // namespace rolvex
