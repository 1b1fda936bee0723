// The bytes of one ini file, read and edited the way the Windows profile
// functions GetPrivateProfileStringA and WritePrivateProfileStringA do it.
// The POSIX profile store reads a file into an IniDocument, asks it for a
// value or has it edit itself, and writes the bytes back.
//
// Reading rules:
// - CR, LF and CR LF each end a line. Lines are trimmed at both ends (space,
//   tab, the other control blanks and the DOS end-of-file mark Ctrl-Z);
//   blank lines are ignored. A UTF-8 byte order mark before the first line
//   is passed over.
// - A line starting with "[" that holds a "]" is a section line; the name is
//   the text up to the first "]", trimmed; text after the "]" is ignored. A
//   "[" line without "]" is an ordinary line.
// - A line starting with ";" is a comment. Any other line with "=" is an
//   entry, split at its first "=": the key right-trimmed, the value trimmed.
//   There are no inline comments ("k=v ;x" reads "v ;x"). A line without "="
//   is no entry.
// - Names are compared without regard to the case of the ASCII letters (the
//   bytes above 127 are compared as they are: the file may be in any 8-bit
//   code page, or UTF-8, and folding them by one code page would make
//   different names of another one equal). Requested names are trimmed; an
//   empty requested name matches nothing.
// - Only the first section of a name is searched (a later section of the
//   same name is never read, and never written); in it the first entry of
//   the key wins. Entries before the first section line belong to no section.
// - One pair of enclosing quotes (the same quote, " or ', at both ends of a
//   value of two or more characters) is dropped from the value read.
// - Bytes are bytes: no code-page conversion. A NUL byte in a value ends the
//   value handed back, as it ends the string the Windows function returns.
// - A file starting with a UTF-16 byte order mark is read by its code units:
//   ASCII characters are kept, every other character reads as "?". Such a
//   file is never written (Set returns false), so it is never corrupted.
//
// Writing rules (Set):
// - An existing entry (first section, first key) is changed in place: the
//   line keeps its indentation, its key as spelled, the blanks around the "="
//   and its line end; only the value changes (an empty value also drops the
//   blanks after the "=", giving "key ="). Every other byte of the file stays.
// - A missing key is added after the last entry of its section (after the
//   section line when the section holds no entry yet), a missing section is
//   appended at the end of the file with its key. New lines end in CR LF; a
//   last line without a line end gets one before anything is added after
//   it. No blank line is inserted.
// - Leading blanks of the value are dropped; section and key names are
//   written trimmed.
// - A key starting with ";" is written as Windows writes it, although it
//   reads back as a comment; a later write of the same key replaces that
//   comment line instead of adding another one on every run.
// - Nothing is written (false) for what ReadsBackAsWritten refuses and for a
//   UTF-16 file. Names and value end at a NUL byte, as the strings of the
//   Windows function do.
#ifndef ROLVEX_PLATFORM_RULES_INI_DOCUMENT_H_
#define ROLVEX_PLATFORM_RULES_INI_DOCUMENT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rolvex {

// A document is held as its sections, each a piece of the text of its own
// with an index by name. A section is cut into lines, with an index of its
// keys, the first time it is searched or edited; the others stay one piece
// of text. So Find and Set cost the length of the names they look up and of
// the line they change, not the size of the section or the file: a merge of
// many entries into one big section stays linear.
class IniDocument {
 public:
  // An empty document: a file that does not exist yet.
  IniDocument() : IniDocument(std::string()) {}
  explicit IniDocument(std::string bytes);

  // The value of `key` in the first section named `section`, with the reading
  // rules above; nullopt when the section or the key is missing. "k=" gives
  // "", which is found, not missing.
  std::optional<std::string> Find(std::string_view section,
                                  std::string_view key) const;

  // True when a section line names `section` (as Find looks it up).
  bool HasSection(std::string_view section) const;

  // Writes `key`=`value` into `section` with the writing rules above.
  // Returns false, and leaves the document as it was, when it cannot.
  bool Set(std::string_view section, std::string_view key,
           std::string_view value);

  // The file's bytes, with every edit made so far (put together from the
  // sections after an edit: O(file) once, not per edit).
  const std::string& bytes() const;

  // True for a file with a UTF-16 byte order mark (never written).
  bool is_utf16() const { return utf16_; }

 private:
  enum class Kind { kBlank, kComment, kSection, kEntry, kOther };

  // One line of a text, classified. Offsets index that text.
  struct Line {
    std::size_t text_end = 0;  // one past the last byte before trailing blanks
    std::size_t end = 0;       // one past the last byte before the line end
    std::size_t next = 0;      // first byte of the next line
    Kind kind = Kind::kBlank;
    std::size_t name_begin = 0;  // section name or key, trimmed
    std::size_t name_end = 0;
    std::size_t equals = 0;  // entry or comment: the first "=", or npos
  };

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // The text from one section line up to the next (section 0: what comes
  // before the first one: a byte order mark, entries of no section).
  struct Section {
    // The text, until the section is cut into lines.
    std::string text;
    bool cut = false;
    // Once cut: each line with its line end, in the order of `next` from
    // line 0, the section line (new lines are added at the end of `lines`,
    // so that indexes stay valid, and linked in where they belong).
    std::vector<std::string> lines;
    std::vector<std::size_t> next;
    // The line of the first entry of each key, by its upper-cased name; keys
    // starting with ";" name comment lines ("; k = v"), which no entry can.
    std::unordered_map<std::string, std::size_t> keys;
    std::size_t last_entry = 0;  // the section line while there is none
    std::size_t last_line = 0;
  };

  // The first byte of the first line of `text` (after a UTF-8 byte order
  // mark).
  std::size_t FirstLine(const std::string& text) const;
  // The line of `text` that starts at `pos` (< text.size()).
  static Line ReadLine(std::string_view text, std::size_t pos);
  static std::string_view NameOf(std::string_view text, const Line& line);
  // The first section named `section`, or kNone.
  std::size_t FindSection(std::string_view section) const;
  // Cuts `section` (not section 0) into lines and indexes its keys.
  static void Cut(Section& section);
  // Links `line` into `section` after its line `after` and indexes it.
  static std::size_t InsertAfter(Section& section, std::size_t after,
                                 std::string line);
  static void ReplaceValue(std::string& line, std::string_view value);

  // Cut on first use, also by Find.
  mutable std::vector<Section> sections_;
  // The first section of each name, by its upper-cased name.
  std::unordered_map<std::string, std::size_t> names_;
  // The file's bytes; out of date (stale_) after an edit until asked for.
  mutable std::string bytes_;
  mutable bool stale_ = false;
  bool utf16_ = false;
};

// Whether writing `key`=`value` into `section` gives lines that read back as
// just that entry. Every profile store asks this before it writes, also the
// one that hands the strings to WritePrivateProfileStringA, which writes
// them as they are. Names and value are taken up to a NUL byte. False for:
// - a CR or LF anywhere in a name or the value, also at its ends, where the
//   writer would trim it away: a line break must never reach the file, and
//   not every writer trims the same blanks;
// - a section or key that is empty once its blanks are trimmed;
// - a "]" in the section (the section line would end early) or a "=" in the
//   key (the entry would split there);
// - a key starting with "[" (after its blanks) whose line key=value holds a
//   "]": "[S" = "x]" would write "[S=x]", which reads back as a section.
bool ReadsBackAsWritten(std::string_view section, std::string_view key,
                        std::string_view value);

// What GetPrivateProfileStringA hands back for a lookup that gave `found`:
// the value, or when it is missing `default_value` without its trailing
// blanks (spaces only: an all-blank default gives ""); either ends at a NUL
// byte and is cut to `buffer_size` - 1 characters ("" for a buffer of 0 or
// less).
std::string ProfileResult(const std::optional<std::string>& found,
                          std::string_view default_value, int buffer_size);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_INI_DOCUMENT_H_
