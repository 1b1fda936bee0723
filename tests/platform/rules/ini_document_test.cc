#include "platform/rules/ini_document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace rolvex {
namespace {

std::optional<std::string> Read(const std::string& bytes,
                                const std::string& section,
                                const std::string& key) {
  return IniDocument(bytes).Find(section, key);
}

std::string Written(const std::string& bytes, const std::string& section,
                    const std::string& key, const std::string& value) {
  IniDocument doc(bytes);
  EXPECT_TRUE(doc.Set(section, key, value));
  return doc.bytes();
}

// --- Reading ---------------------------------------------------------------

TEST(IniDocumentReadTest, LineEndsOfEveryKind) {
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    std::string e = eol;
    std::string file = "[A]" + e + "x=1" + e + "[B]" + e + "y=2" + e;
    EXPECT_EQ(Read(file, "A", "x"), "1") << "line end " << int(e.size());
    EXPECT_EQ(Read(file, "B", "y"), "2");
    EXPECT_EQ(Read(file, "A", "y"), std::nullopt);
  }
  // Mixed line ends, and a CR CR LF: two line ends.
  EXPECT_EQ(Read("[A]\rx=1\r\r\ny=2\nz=3", "A", "y"), "2");
  EXPECT_EQ(Read("[A]\rx=1\r\r\ny=2\nz=3", "A", "z"), "3");
}

TEST(IniDocumentReadTest, TrimsLinesNamesAndValues) {
  std::string file = "  \t[ Sec One ]  junk\r\n\t Speed \t=  100 \t\r\n";
  EXPECT_EQ(Read(file, "Sec One", "Speed"), "100");
  EXPECT_EQ(Read(file, "  sec one\t", " SPEED "), "100");
  EXPECT_EQ(Read("[A]\r\nk=  TRUE  \r\n", "A", "k"), "TRUE");
  // Split at the first "=": the rest belongs to the value.
  EXPECT_EQ(Read("[A]\r\na = b = c\r\n", "A", "a"), "b = c");
  // No inline comments.
  EXPECT_EQ(Read("[A]\r\nk=v ;x\r\n", "A", "k"), "v ;x");
}

TEST(IniDocumentReadTest, EmptyValueIsFoundNotMissing) {
  EXPECT_EQ(Read("[A]\r\nk=\r\n", "A", "k"), "");
  EXPECT_EQ(Read("[A]\r\nk=   \r\n", "A", "k"), "");
  EXPECT_EQ(Read("[A]\r\nk=\r\n", "A", "other"), std::nullopt);
}

TEST(IniDocumentReadTest, DropsOnePairOfEnclosingQuotes) {
  EXPECT_EQ(Read("[A]\nk=\"abc\"\n", "A", "k"), "abc");
  EXPECT_EQ(Read("[A]\nk='abc'\n", "A", "k"), "abc");
  EXPECT_EQ(Read("[A]\nk=\" a b \"\n", "A", "k"), " a b ");
  EXPECT_EQ(Read("[A]\nk=\"\"x\"\"\n", "A", "k"), "\"x\"");
  EXPECT_EQ(Read("[A]\nk=\"\"\n", "A", "k"), "");
  EXPECT_EQ(Read("[A]\nk=\"abc\n", "A", "k"), "\"abc");
  EXPECT_EQ(Read("[A]\nk=\"abc'\n", "A", "k"), "\"abc'");
  EXPECT_EQ(Read("[A]\nk=\"\n", "A", "k"), "\"");
}

TEST(IniDocumentReadTest, FirstSectionAndFirstKeyWin) {
  std::string file = "[A]\nk=first\nk=second\n[B]\nk=b\n[a]\nk=later\nm=1\n";
  EXPECT_EQ(Read(file, "A", "k"), "first");
  EXPECT_EQ(Read(file, "b", "K"), "b");
  // A later section of the same name is not searched.
  EXPECT_EQ(Read(file, "A", "m"), std::nullopt);
}

TEST(IniDocumentReadTest, CommentsBracketsAndLinesWithoutEquals) {
  std::string file =
      "k=before any section\n"
      "[A\n"  // no "]": an ordinary line, still in no section
      "k=still none\n"
      "[S]\n"
      ";c=comment\n"
      "novalue\n"
      "[x=1\n"  // no "]": an entry with key "[x"
      "[]\n"    // a section with an empty name
      "e=1\n";
  EXPECT_EQ(Read(file, "A", "k"), std::nullopt);
  EXPECT_EQ(Read(file, "[A", "k"), std::nullopt);
  EXPECT_EQ(Read(file, "S", ";c"), std::nullopt);
  EXPECT_EQ(Read(file, "S", "novalue"), std::nullopt);
  EXPECT_EQ(Read(file, "S", "[x"), "1");
  // An empty requested name matches nothing, not even "[]".
  EXPECT_EQ(Read(file, "", "e"), std::nullopt);
  EXPECT_EQ(Read(file, "S", ""), std::nullopt);
}

TEST(IniDocumentReadTest, CaseFoldsAsciiOnly) {
  std::string file =
      "[Gr\xC3\xBC\xC3\x9F"
      "e]\nSchl\xC3\xBC"
      "ssel=1\n";
  EXPECT_EQ(Read(file,
                 "GR\xC3\xBC\xC3\x9F"
                 "E",
                 "schl\xC3\xBC"
                 "SSEL"),
            "1");
  // Different bytes above 127 are different names.
  EXPECT_EQ(Read(file,
                 "GR\xC3\x9C\xC3\x9F"
                 "E",
                 "schl\xC3\xBC"
                 "ssel"),
            std::nullopt);
  // 8-bit bytes in values come back unchanged.
  EXPECT_EQ(Read("[A]\nk=\xE4\xF6\xFC\xDF\x80\xFF\n", "A", "k"),
            "\xE4\xF6\xFC\xDF\x80\xFF");
}

TEST(IniDocumentReadTest, Utf8BomBeforeFirstSection) {
  EXPECT_EQ(Read("\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k"), "1");
}

TEST(IniDocumentReadTest, Utf16FileReadByCodeUnitsAndNeverWritten) {
  std::string text = "[A]\r\nk=v\xE4\r\n";
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (unsigned char c : text) {
    le += static_cast<char>(c);
    le += '\0';
    be += '\0';
    be += static_cast<char>(c);
  }
  for (const std::string& bytes : {le, be}) {
    IniDocument doc(bytes);
    EXPECT_TRUE(doc.is_utf16());
    EXPECT_EQ(doc.Find("A", "k"), "v?");
    EXPECT_FALSE(doc.Set("A", "k", "x"));
    EXPECT_FALSE(doc.Set("New", "k", "x"));
    EXPECT_EQ(doc.bytes(), bytes);
  }
}

TEST(IniDocumentReadTest, ProfileResultRules) {
  // A missing value gives the default without trailing spaces.
  EXPECT_EQ(ProfileResult(std::nullopt, std::string(255, ' '), 255), "");
  EXPECT_EQ(ProfileResult(std::nullopt, " dflt \t  ", 255), " dflt \t");
  // "k=" gives "", not the default.
  EXPECT_EQ(ProfileResult(std::string(), "dflt", 255), "");
  // A buffer of n holds n - 1 characters.
  EXPECT_EQ(ProfileResult(std::string(300, 'x'), "", 255),
            std::string(254, 'x'));
  EXPECT_EQ(ProfileResult(std::nullopt, "abcdef", 4), "abc");
  EXPECT_EQ(ProfileResult(std::string("abc"), "", 1), "");
  EXPECT_EQ(ProfileResult(std::string("abc"), "", 0), "");
  EXPECT_EQ(ProfileResult(std::string("abc"), "", -5), "");
  // A NUL ends the string handed back.
  EXPECT_EQ(ProfileResult(std::string("ab\0cd", 5), "", 255), "ab");
}

// --- Writing ---------------------------------------------------------------

TEST(IniDocumentWriteTest, ReplacesInPlaceKeepingEveryOtherByte) {
  std::string file =
      "; head comment\n"
      "\n"
      "[General]\r\n"
      "  Speed = 100   \r\n"
      "\tOther=x\n"
      "[Next]\rk=1\r";
  EXPECT_EQ(Written(file, "general", "SPEED", "200"),
            "; head comment\n"
            "\n"
            "[General]\r\n"
            "  Speed = 200   \r\n"
            "\tOther=x\n"
            "[Next]\rk=1\r");
  EXPECT_EQ(Written(file, "Next", "k", "  two words "),
            "; head comment\n\n[General]\r\n  Speed = 100   \r\n\tOther=x\n"
            "[Next]\rk=two words \r");
}

TEST(IniDocumentWriteTest, EmptyValueWritesKeyAndEquals) {
  EXPECT_EQ(Written("[A]\r\nk = old\r\n", "A", "k", ""), "[A]\r\nk =\r\n");
  EXPECT_EQ(Written("[A]\r\n", "A", "k", ""), "[A]\r\nk=\r\n");
  EXPECT_EQ(Written("[A]\r\nk=\r\n", "A", "k", "v"), "[A]\r\nk=v\r\n");
}

TEST(IniDocumentWriteTest, AddsKeyAfterLastEntryOfItsSection) {
  std::string file = "[A]\nk=1\n; trailing comment\n\n[B]\nm=2\n";
  EXPECT_EQ(Written(file, "A", "new", "v"),
            "[A]\nk=1\nnew=v\r\n; trailing comment\n\n[B]\nm=2\n");
  // A section without entries gets the key right after its line.
  EXPECT_EQ(Written("[A]\n; only a comment\n[B]\n", "A", "k", "v"),
            "[A]\nk=v\r\n; only a comment\n[B]\n");
  // Duplicate sections: the first one is the one written.
  EXPECT_EQ(Written("[A]\nx=1\n[a]\nk=old\n", "A", "k", "new"),
            "[A]\nx=1\nk=new\r\n[a]\nk=old\n");
}

TEST(IniDocumentWriteTest, AppendsMissingSectionAndCreatesFile) {
  EXPECT_EQ(Written("", "Sec", "k", "v"), "[Sec]\r\nk=v\r\n");
  EXPECT_EQ(Written("[A]\nx=1\n", " Sec ", " k ", "v"),
            "[A]\nx=1\n[Sec]\r\nk=v\r\n");
  // A last line without a line end gets one before anything follows it.
  EXPECT_EQ(Written("[A]\nx=1", "B", "k", "v"), "[A]\nx=1\r\n[B]\r\nk=v\r\n");
  EXPECT_EQ(Written("[A]\nx=1", "A", "k", "v"), "[A]\nx=1\r\nk=v\r\n");
  EXPECT_EQ(Written("[A]", "A", "k", "v"), "[A]\r\nk=v\r\n");
  EXPECT_EQ(Written("\xEF\xBB\xBF", "A", "k", "v"),
            "\xEF\xBB\xBF[A]\r\nk=v\r\n");
}

TEST(IniDocumentWriteTest, WrittenValuesReadBack) {
  IniDocument doc("[A]\r\nk=1\r\n");
  ASSERT_TRUE(doc.Set("A", "k", "\xE4\xFC 8-bit"));
  ASSERT_TRUE(doc.Set("A", "q", "\"quoted\""));
  ASSERT_TRUE(doc.Set("B", "n", "a=b"));
  EXPECT_EQ(doc.Find("a", "K"), "\xE4\xFC 8-bit");
  EXPECT_EQ(doc.Find("A", "q"), "quoted");
  EXPECT_EQ(doc.Find("B", "n"), "a=b");
}

TEST(IniDocumentWriteTest, CommentKeyIsReplacedNotRepeated) {
  // The merge of a line ";Note=x" writes the key ";Note"; doing it on every
  // run must not grow the file.
  IniDocument doc("[A]\r\nk=1\r\n");
  ASSERT_TRUE(doc.Set("A", ";Note", "x"));
  ASSERT_TRUE(doc.Set("A", ";Note", "y"));
  EXPECT_EQ(doc.bytes(), "[A]\r\nk=1\r\n;Note=y\r\n");
  EXPECT_EQ(doc.Find("A", ";Note"), std::nullopt);
}

// One document edited many times gives the bytes and answers of a document
// read afresh before every edit: its index of keys follows the edits.
TEST(IniDocumentWriteTest, EditsInSequenceMatchEditsOfFreshDocuments) {
  struct Edit {
    const char *section, *key, *value;
  };
  const Edit edits[] = {{"A", "k", "1"},     {"A", ";Note", "c"},
                        {"a", "NEW", "2"},   {"A", "new", "3"},
                        {"A", "later", "4"}, {"B", "x", "5"},
                        {"b", "X", ""},      {"C", "k", "6"},
                        {"A", ";note", "d"}, {"c", "m", "7"}};
  for (const std::string start :
       {"", "[A]\nk=0\n; tail\n\n[B]\ny=1", "[A]\nk=0\nk=dup\n[a]\nk=x\n[C]"}) {
    IniDocument edited(start);
    std::string fresh = start;
    for (const Edit& edit : edits) {
      ASSERT_TRUE(edited.Set(edit.section, edit.key, edit.value));
      fresh = Written(fresh, edit.section, edit.key, edit.value);
      ASSERT_EQ(edited.bytes(), fresh) << start;
      for (const Edit& asked : edits) {
        EXPECT_EQ(edited.Find(asked.section, asked.key),
                  Read(fresh, asked.section, asked.key))
            << start << " " << asked.key;
      }
    }
  }
}

TEST(IniDocumentWriteTest, RefusesWhatWouldReadBackDifferently) {
  const struct {
    std::string section, key, value;
  } refused[] = {
      {"", "k", "v"},
      {"  ", "k", "v"},
      {"A", "", "v"},
      {"A", "k", "line1\r\nx=injected"},
      {"A", "k", "a\rb"},
      {"A\nB", "k", "v"},
      {"A]x", "k", "v"},
      {"A", "a=b", "v"},
      {"A", "[s]", "v"},
      // "[S=x]" would read back as a section line.
      {"A", " [S", "x]"},
      // A line break is refused at the ends too, where a writer that trims
      // it would write a clean line but another one would not.
      {"A\r", "k", "v"},
      {"A", "\nk", "v"},
      {"A", "k", "\r\nv"},
      {"A", "k", "v\n"},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE("[" + r.section + "] " + r.key + "=" + r.value);
    EXPECT_FALSE(ReadsBackAsWritten(r.section, r.key, r.value));
    IniDocument doc("[A]\r\nk=1\r\n");
    EXPECT_FALSE(doc.Set(r.section, r.key, r.value));
    EXPECT_EQ(doc.bytes(), "[A]\r\nk=1\r\n");
  }
  EXPECT_TRUE(ReadsBackAsWritten(" A ", "[x", "1"));
  EXPECT_TRUE(ReadsBackAsWritten("[A", "k", "x]"));
  // Strings end at a NUL, as they do for the Windows function.
  EXPECT_TRUE(ReadsBackAsWritten("A", std::string("k\0=", 3),
                                 std::string("v\0\r\n", 4)));
  IniDocument doc("[A]\r\nk=1\r\n");
  EXPECT_TRUE(doc.Set("A", std::string("k\0junk", 6), std::string("2\0x", 3)));
  EXPECT_EQ(doc.bytes(), "[A]\r\nk=2\r\n");
}

// --- Bad input -------------------------------------------------------------

TEST(IniDocumentBadInputTest, BinaryJunkAndNulBytesLoseNothing) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) & 0xFF);
  std::string file = junk + std::string("\n[A]\nk=v\0w\n", 11) + junk;
  IniDocument doc(file);
  EXPECT_EQ(ProfileResult(doc.Find("A", "k"), "", 255), "v");
  ASSERT_TRUE(doc.Set("A", "k", "new"));
  ASSERT_TRUE(doc.Set("Z", "z", "1"));
  EXPECT_EQ(doc.Find("A", "k"), "new");
  EXPECT_EQ(doc.Find("Z", "z"), "1");
  // The junk before and after is untouched.
  EXPECT_EQ(doc.bytes().substr(0, junk.size()), junk);
  EXPECT_NE(doc.bytes().find(junk, junk.size()), std::string::npos);
}

TEST(IniDocumentBadInputTest, OneMegabyteLine) {
  std::string big(1 << 20, 'x');
  std::string file = "[A]\r\nbig=" + big + "\r\nk=1\r\n[" + big;
  IniDocument doc(file);
  EXPECT_EQ(doc.Find("A", "big")->size(), big.size());
  EXPECT_EQ(ProfileResult(doc.Find("A", "big"), "", 255).size(), 254u);
  EXPECT_EQ(doc.Find("A", "k"), "1");
  ASSERT_TRUE(doc.Set("A", "k", "2"));
  ASSERT_TRUE(doc.Set("B", "n", "3"));
  EXPECT_EQ(doc.bytes(),
            "[A]\r\nbig=" + big + "\r\nk=2\r\n[" + big + "\r\n[B]\r\nn=3\r\n");
}

TEST(IniDocumentBadInputTest, HalfAMillionLines) {
  std::string file = "[A]\n";
  for (int i = 0; i < 500000; ++i) file += "k=v\n";
  file += std::string(500000, '\n');
  IniDocument doc(file);
  ASSERT_TRUE(doc.Set("A", "new", "1"));
  EXPECT_EQ(doc.Find("A", "new"), "1");
  EXPECT_EQ(doc.bytes().size(), file.size() + 7);
  EXPECT_EQ(doc.bytes().find("new=1\r\n"), 4 + 500000 * 4u);
}

TEST(IniDocumentBadInputTest, OnlyLineEndsOrNothing) {
  EXPECT_EQ(Read("", "A", "k"), std::nullopt);
  EXPECT_EQ(Read("\r\r\n\n\r", "A", "k"), std::nullopt);
  EXPECT_EQ(Written("\r\r\n", "A", "k", "v"), "\r\r\n[A]\r\nk=v\r\n");
  EXPECT_EQ(Read("[", "[", "k"), std::nullopt);
  EXPECT_EQ(Read("]=[", "]", "["), std::nullopt);
  EXPECT_EQ(Read("[A]\n=v\n", "A", "="), std::nullopt);
}

}  // namespace
}  // namespace rolvex
