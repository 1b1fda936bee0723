#include "settings/pack_seal.h"

#include <algorithm>

#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

bool NeedsEscape(std::string_view path) {
  return path.find_first_of("\\\r\n") != std::string_view::npos;
}

std::string Escaped(std::string_view path) {
  std::string out;
  for (char c : path) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

// The name of an escaped line; false for an escape sha256sum does not write.
bool Unescaped(std::string_view text, std::string& path) {
  path.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      path += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        path += '\\';
        break;
      case 'n':
        path += '\n';
        break;
      case 'r':
        path += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

// The key a relative path is looked up by: "/" between names.
std::string Slashed(std::string_view relative) {
  std::string key(relative);
  std::replace(key.begin(), key.end(), '\\', '/');
  return key;
}

}  // namespace

std::string FormatSeal(std::vector<SealLine> lines) {
  std::sort(
      lines.begin(), lines.end(),
      [](const SealLine& a, const SealLine& b) { return a.path < b.path; });
  std::string text;
  for (const SealLine& line : lines) {
    if (NeedsEscape(line.path)) {
      text += "\\" + line.digest + "  " + Escaped(line.path) + "\n";
    } else {
      text += line.digest + "  " + line.path + "\n";
    }
  }
  return text;
}

std::string ParseSeal(std::string_view text, std::vector<SealLine>& lines) {
  lines.clear();
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      return "line " + std::to_string(number) + " has no line end";
    }
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const bool escaped = !line.empty() && line.front() == '\\';
    if (escaped) line.remove_prefix(1);
    const auto bad = [&] {
      return "line " + std::to_string(number) +
             " is not \"<SHA-256>  <path>\" as sha256sum writes it";
    };
    if (line.size() < 67 || line[64] != ' ' ||
        (line[65] != ' ' && line[65] != '*')) {
      return bad();
    }
    SealLine read;
    for (char c : line.substr(0, 64)) {
      const char lower = AsciiLower(c);
      if (!((lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f'))) {
        return bad();
      }
      read.digest += lower;
    }
    const std::string_view name = line.substr(66);
    if (escaped) {
      if (!Unescaped(name, read.path)) return bad();
    } else {
      read.path = std::string(name);
    }
    lines.push_back(std::move(read));
  }
  return "";
}

PackSeal::PackSeal(std::vector<SealLine> lines) : lines_(std::move(lines)) {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string key = Slashed(lines_[i].path);
    exact_.emplace(key, i);
    folded_.emplace(AsciiUpperCase(key), i);
  }
}

const SealLine* PackSeal::Find(std::string_view relative) const {
  const std::string key = Slashed(relative);
  if (auto it = exact_.find(key); it != exact_.end()) {
    return &lines_[it->second];
  }
  if (auto it = folded_.find(AsciiUpperCase(key)); it != folded_.end()) {
    return &lines_[it->second];
  }
  return nullptr;
}

}  // namespace rolvex
