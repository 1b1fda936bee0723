// The comparison of two transcripts and its allow-list: the places where
// kernel32 under Wine knowingly departs from Windows, which the POSIX store
// follows. A difference is allowed only when the step matches one entry's
// condition; any other difference fails the test.
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "differential/profile_script.h"
#include "platform/rules/ascii_text.h"

namespace rolvex::differential {
namespace {

std::string_view Trimmed(std::string_view s) {
  const char* blanks = " \t\r\n\v\f\x1a";
  std::size_t b = s.find_first_not_of(blanks);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

// What an allow-list condition sees: the step, and the case it belongs to.
struct Context {
  const Step& file;  // the case's kCase step
  const Step& step;
  const std::string& posix;  // the step's transcript lines
  const std::string& win32;
};

struct Allowed {
  const char* name;
  const char* reason;
  bool (*applies)(const Context&);
  int count = 0;
};

bool KeyStartsWith(const Context& c, char first) {
  return Trimmed(c.step.key).starts_with(first);
}

// Whether a line of the case's file, after its blanks, starts with `first`
// and passes `test`.
template <typename Test>
bool FileHasLine(const Context& c, char first, Test test) {
  std::string_view bytes = c.file.bytes;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t stop = bytes.find_first_of("\r\n", pos);
    if (stop == std::string_view::npos) stop = bytes.size();
    std::string_view line = Trimmed(bytes.substr(pos, stop - pos));
    if (line.starts_with(first) && test(line)) return true;
    pos = stop + 1;
  }
  return false;
}

// The entries, measured under Wine 8; each condition is as narrow as the
// deviation allows.
std::vector<Allowed> AllowList() {
  return {
      {"comment-entries",
       "Wine reads the line \";k=v\" as the entry \";k\"; Windows and the "
       "POSIX store read it as a comment",
       [](const Context& c) { return KeyStartsWith(c, ';'); }},
      {"nul-byte",
       "Wine stops reading a file at its first NUL byte and writes back "
       "what it read; the POSIX store reads the lines after it",
       [](const Context& c) {
         return c.file.bytes.find('\0') != std::string::npos;
       }},
      {"last-bracket",
       "Wine ends a section name at the last \"]\" of its line (\"[S]x]\" "
       "is section \"S]x\"); the POSIX store at the first, so such a "
       "section's entries differ, under either name",
       [](const Context& c) {
         std::string_view wanted = Trimmed(c.step.section);
         return FileHasLine(c, '[', [&](std::string_view line) {
           std::size_t first = line.find(']');
           std::size_t last = line.rfind(']');
           if (first == std::string_view::npos || last == first) return false;
           return AsciiEqualsIgnoringCase(wanted,
                                          Trimmed(line.substr(1, first - 1))) ||
                  AsciiEqualsIgnoringCase(wanted,
                                          Trimmed(line.substr(1, last - 1)));
         });
       }},
      {"utf8-bom",
       "Wine reads a file that starts with a UTF-8 byte order mark as UTF-8 "
       "and hands its text back in the ANSI code page, bytes that are no "
       "UTF-8 as \"?\"; the POSIX store, like Windows for an ANSI file, "
       "hands back the bytes",
       [](const Context& c) {
         // The same text once the bytes above 127 and what Wine made of
         // them are left out.
         auto ascii = [](const std::string& hex, bool drop_question_marks) {
           std::string out;
           for (char ch : Unhex(hex)) {
             bool high = static_cast<unsigned char>(ch) >= 0x80;
             if (!high && !(drop_question_marks && ch == '?')) out += ch;
           }
           return out;
         };
         return c.file.bytes.starts_with("\xEF\xBB\xBF") &&
                c.step.kind == Step::Kind::kGet &&
                ascii(c.posix, true) == ascii(c.win32, true) &&
                ascii(c.posix, false) != Unhex(c.posix);
       }},
      {"bracket-key",
       "Wine does not read the line \"[k=v\" (a \"[\" without \"]\") as "
       "the entry \"[k\"",
       [](const Context& c) { return KeyStartsWith(c, '['); }},
  };
}

std::string Shown(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      static const char kDigits[] = "0123456789abcdef";
      out += "\\x";
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
  return out;
}

}  // namespace

bool Compare(const std::vector<Step>& steps, std::istream& posix,
             std::istream& win32, std::ostream& out) {
  std::vector<Allowed> allowed = AllowList();
  int unlisted = 0;
  const Step* file = nullptr;
  std::size_t index = 0;
  for (const Step& step : steps) {
    ++index;
    std::string p, w;
    if (!std::getline(posix, p) || !std::getline(win32, w)) {
      out << "a transcript ends early, at step " << index << '\n';
      return false;
    }
    if (step.kind == Step::Kind::kCase) file = &step;
    if (p == w) continue;
    Context context{*file, step, p, w};
    bool listed = false;
    for (Allowed& a : allowed) {
      if (a.applies(context)) {
        ++a.count;
        listed = true;
        break;
      }
    }
    if (listed) continue;
    ++unlisted;
    out << "difference at step " << index << " (case " << file->case_number
        << "): " << (step.kind == Step::Kind::kSet ? "set" : "get") << " ["
        << Shown(step.section) << "] " << Shown(step.key) << " text "
        << Shown(step.text) << " size " << step.buffer_size << "\n  posix "
        << Shown(step.kind == Step::Kind::kSet ? p : Unhex(p)) << "\n  win32 "
        << Shown(step.kind == Step::Kind::kSet ? w : Unhex(w)) << "\n  file "
        << Shown(file->bytes) << '\n';
  }
  for (const Allowed& a : allowed) {
    out << "allowed " << a.name << ": " << a.count << " (" << a.reason << ")\n";
  }
  out << index << " steps, " << unlisted << " differences not allowed\n";
  return unlisted == 0;
}

}  // namespace rolvex::differential
