// The command-line rules over generated lines. Each input byte picks one
// piece of a line (blanks, tabs, quotes, backslash runs, letters, a path
// with a dot), so that the troublesome combinations come up at once.
// Properties:
// - SplitArguments agrees with a second, plainly written reading of the
//   documented C runtime rules;
// - ArgumentText agrees with the documented skip of the first token;
// - ProgramCandidates: a quoted line gives one reading, up to the next quote;
//   otherwise program + arguments is the line after its leading blanks, the
//   programs end before each run of blanks and grow, and the last is the
//   whole line without trailing blanks;
// - ProgramFileNames: the name as given first, ".exe" added only when the
//   last component is there and has no extension;
// - ParameterAufloesen: the words between spaces, at most 20, tabs and
//   quotes being ordinary characters.
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_parts.h"
#include "fuzz_check.h"
#include "platform/rules/command_line_split.h"
#include "shell/installer.h"
#include "shell/parameter_aufloesen.h"

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string> ReferenceSplit(const std::string& s) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false, quoted = false;
  for (std::size_t i = 0; i < s.size();) {
    char c = s[i];
    if (c == '\\') {
      std::size_t n = 0;
      while (i < s.size() && s[i] == '\\') ++n, ++i;
      in_word = true;
      if (i < s.size() && s[i] == '"') {
        word.append(n / 2, '\\');
        if (n % 2 == 1) {
          word += '"';
          ++i;
        }
      } else {
        word.append(n, '\\');
      }
    } else if (c == '"') {
      in_word = true;
      if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
        word += '"';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
    } else if (IsSeparator(c) && !quoted) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
      ++i;
    } else {
      word += c;
      in_word = true;
      ++i;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::string ReferenceArgumentText(const std::string& line) {
  std::size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    std::size_t close = line.find('"', 1);
    i = close == std::string::npos ? line.size() : close + 1;
  }
  while (i < line.size() && !IsSeparator(line[i])) ++i;
  while (i < line.size() && IsSeparator(line[i])) ++i;
  return line.substr(i);
}

void CheckCandidates(const std::string& line) {
  const auto readings = rolvex::ProgramCandidates(line);
  std::size_t start = 0;
  while (start < line.size() && IsSeparator(line[start])) ++start;
  const std::string rest = line.substr(start);
  std::size_t last = rest.find_last_not_of(" \t");
  if (last == std::string::npos) {
    FUZZ_CHECK(readings.empty());
    return;
  }
  if (rest[0] == '"') {
    FUZZ_CHECK(readings.size() == 1);
    std::size_t close = rest.find('"', 1);
    FUZZ_CHECK(readings[0].program == rest.substr(1, close == std::string::npos
                                                         ? std::string::npos
                                                         : close - 1));
    FUZZ_CHECK(readings[0].arguments ==
               (close == std::string::npos ? "" : rest.substr(close + 1)));
    return;
  }
  FUZZ_CHECK(!readings.empty());
  std::size_t previous = 0;
  for (const auto& r : readings) {
    FUZZ_CHECK(r.program + r.arguments == rest);
    FUZZ_CHECK(r.program.size() > previous);
    FUZZ_CHECK(!IsSeparator(r.program.back()));
    FUZZ_CHECK(r.arguments.empty() || IsSeparator(r.arguments[0]) ||
               r.program.size() == last + 1);
    previous = r.program.size();
  }
  FUZZ_CHECK(readings.back().program == rest.substr(0, last + 1));
}

void CheckFileNames(const std::string& program) {
  const auto names = rolvex::ProgramFileNames(program);
  FUZZ_CHECK(!names.empty() && names[0] == program);
  // A drive ("C:") or a folder ("x\\") has no last component to add to.
  std::size_t slash = program.find_last_of("\\/:");
  std::string last =
      slash == std::string::npos ? program : program.substr(slash + 1);
  if (last.empty() || last.find('.') != std::string::npos) {
    FUZZ_CHECK(names.size() == 1);
  } else {
    FUZZ_CHECK(names.size() == 2 && names[1] == program + ".exe");
  }
}

void CheckParameterAufloesen(const std::string& line) {
  std::vector<std::string> words;
  std::size_t pos = 0;
  while (pos < line.size()) {
    std::size_t blank = line.find(' ', pos);
    if (blank == std::string::npos) blank = line.size();
    if (blank > pos) words.push_back(line.substr(pos, blank - pos));
    pos = blank + 1;
  }
  rolvex::FakeParts spare;
  rolvex::Installer installer(spare.With(spare.profiles, spare.environment));
  std::string text = line;
  rolvex::ParameterAufloesen(installer, text, "Fuzz");
  std::size_t stored = words.size() < 20 ? words.size() : 20;
  FUZZ_CHECK(installer.arg_count == static_cast<int>(stored));
  for (std::size_t i = 0; i < 20; ++i) {
    FUZZ_CHECK(installer.command_args[i] == (i < stored ? words[i] : ""));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static const char* const kPieces[] = {
      " ",    "\t", "\"", "\\",      "\\\\",  "\\\"",
      "\"\"", "a",  "b",  ".",       "x.exe", "C:\\Program Files\\",
      "  ",   "é",  "$",  "\\\\\\\""};
  constexpr std::size_t kCount = sizeof(kPieces) / sizeof(kPieces[0]);
  std::string line;
  for (std::size_t i = 0; i < size && i < 512; ++i) {
    line += kPieces[data[i] % kCount];
  }

  FUZZ_CHECK(rolvex::SplitArguments(line) == ReferenceSplit(line));
  FUZZ_CHECK(rolvex::ArgumentText(line) == ReferenceArgumentText(line));
  CheckCandidates(line);
  for (const auto& reading : rolvex::ProgramCandidates(line)) {
    CheckFileNames(reading.program);
  }
  CheckParameterAufloesen(line);
  return 0;
}
