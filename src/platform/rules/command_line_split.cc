#include "platform/rules/command_line_split.h"

#include <cstddef>
#include <utility>

namespace rolvex {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<ProgramCandidate> ProgramCandidates(const std::string& line) {
  std::vector<ProgramCandidate> result;
  std::size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  if (start == line.size()) return result;

  if (line[start] == '"') {
    std::size_t close = line.find('"', start + 1);
    if (close == std::string::npos) {
      result.push_back({line.substr(start + 1), ""});
    } else {
      result.push_back(
          {line.substr(start + 1, close - start - 1), line.substr(close + 1)});
    }
    return result;
  }

  // Every run of blanks ends one reading; the arguments begin at the run
  // itself, so that the program sees the blanks it would see on Windows.
  std::size_t i = start;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      result.push_back({line.substr(start, i - start), line.substr(i)});
      while (i < line.size() && IsBlank(line[i])) ++i;
    } else {
      ++i;
    }
  }
  // The whole line as one name, unless it ended in blanks, in which case the
  // last reading above already named all of it.
  if (!IsBlank(line.back())) result.push_back({line.substr(start), ""});
  return result;
}

std::vector<std::string> ProgramFileNames(const std::string& program) {
  std::vector<std::string> names{program};
  std::size_t last = program.find_last_of("\\/:");
  std::string base =
      last == std::string::npos ? program : program.substr(last + 1);
  if (!base.empty() && base.find('.') == std::string::npos) {
    names.push_back(program + ".exe");
  }
  return names;
}

std::vector<std::string> SplitArguments(const std::string& arguments) {
  std::vector<std::string> words;
  const std::size_t n = arguments.size();
  std::size_t i = 0;
  while (true) {
    while (i < n && IsBlank(arguments[i])) ++i;
    if (i >= n) break;

    std::string word;
    bool in_quotes = false;
    while (i < n) {
      std::size_t slashes = 0;
      while (i < n && arguments[i] == '\\') {
        ++slashes;
        ++i;
      }
      if (i < n && arguments[i] == '"') {
        word.append(slashes / 2, '\\');
        if (slashes % 2 == 1) {
          word.push_back('"');
          ++i;
        } else if (in_quotes && i + 1 < n && arguments[i + 1] == '"') {
          // "" inside a quoted part: one literal quote, still quoted.
          word.push_back('"');
          i += 2;
        } else {
          in_quotes = !in_quotes;
          ++i;
        }
        continue;
      }
      word.append(slashes, '\\');
      if (i >= n) break;
      if (!in_quotes && IsBlank(arguments[i])) break;
      word.push_back(arguments[i]);
      ++i;
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::string ArgumentText(const std::string& command_line) {
  std::size_t i = 0;
  const std::size_t n = command_line.size();
  if (n > 0 && command_line[0] == '"') {
    i = command_line.find('"', 1);
    i = (i == std::string::npos) ? n : i + 1;
  }
  // An unquoted token, or whatever directly follows the closing quote, runs
  // to the first blank or tab.
  while (i < n && command_line[i] != ' ' && command_line[i] != '\t') ++i;
  while (i < n && (command_line[i] == ' ' || command_line[i] == '\t')) ++i;
  return command_line.substr(i);
}

std::string FolderOfProgram(const std::string& program_path) {
  std::size_t slash = program_path.find_last_of('\\');
  if (slash == std::string::npos) return "";
  std::string folder = program_path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

}  // namespace rolvex
