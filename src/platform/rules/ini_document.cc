#include "platform/rules/ini_document.h"

#include <utility>

#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The blanks the profile reader trims: space, the control blanks and Ctrl-Z,
// which old DOS editors left at the end of a file.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The part of `s` a C string would see.
std::string_view UpToNul(std::string_view s) {
  return s.substr(0, s.find('\0'));
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != npos;
}

// A UTF-16 file's text by code units: ASCII stays, anything else is "?".
std::string DecodeUtf16(std::string_view bytes, bool little_endian) {
  std::string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    unsigned char lo =
        static_cast<unsigned char>(bytes[little_endian ? i : i + 1]);
    unsigned char hi =
        static_cast<unsigned char>(bytes[little_endian ? i + 1 : i]);
    unsigned unit = hi << 8 | lo;
    if (unit >= 0xDC00 && unit <= 0xDFFF) continue;  // second half of a pair
    text += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return text;
}

}  // namespace

IniDocument::IniDocument(std::string bytes) : bytes_(std::move(bytes)) {
  std::string decoded;
  if (bytes_.size() >= 2) {
    bool le = bytes_[0] == '\xFF' && bytes_[1] == '\xFE';
    bool be = bytes_[0] == '\xFE' && bytes_[1] == '\xFF';
    if (le || be) {
      utf16_ = true;
      decoded = DecodeUtf16(bytes_, le);
    }
  }
  const std::string& text = utf16_ ? decoded : bytes_;
  std::size_t section_begin = 0;
  for (std::size_t pos = FirstLine(text); pos < text.size();) {
    Line line = ReadLine(text, pos);
    if (line.kind == Kind::kSection) {
      sections_.emplace_back().text =
          text.substr(section_begin, pos - section_begin);
      section_begin = pos;
      names_.emplace(AsciiUpperCase(NameOf(text, line)), sections_.size());
    }
    pos = line.next;
  }
  sections_.emplace_back().text = text.substr(section_begin);
}

const std::string& IniDocument::bytes() const {
  if (stale_) {
    bytes_.clear();
    for (const Section& section : sections_) {
      if (!section.cut) {
        bytes_ += section.text;
        continue;
      }
      for (std::size_t i = 0; i != kNone; i = section.next[i]) {
        bytes_ += section.lines[i];
      }
    }
    stale_ = false;
  }
  return bytes_;
}

std::size_t IniDocument::FirstLine(const std::string& text) const {
  return !utf16_ && std::string_view(text).starts_with(kUtf8Bom)
             ? kUtf8Bom.size()
             : 0;
}

IniDocument::Line IniDocument::ReadLine(std::string_view t, std::size_t pos) {
  Line line;
  // A plain scan: find_first_of would test every byte with a call of its own.
  std::size_t stop = pos;
  while (stop < t.size() && t[stop] != '\r' && t[stop] != '\n') ++stop;
  if (stop == t.size()) stop = npos;
  if (stop == npos) {
    line.end = line.next = t.size();
  } else {
    line.end = stop;
    bool crlf = t[stop] == '\r' && stop + 1 < t.size() && t[stop + 1] == '\n';
    line.next = stop + (crlf ? 2 : 1);
  }

  std::size_t b = pos, e = line.end;
  while (b < e && IsBlank(t[b])) ++b;
  while (e > b && IsBlank(t[e - 1])) --e;
  line.text_end = e;
  std::string_view content(t.data() + b, e - b);
  std::size_t equals = content.find('=');
  line.equals = equals == npos ? npos : b + equals;

  // The name of an entry or comment runs to its "=", right-trimmed.
  auto key_until_equals = [&] {
    line.name_begin = b;
    line.name_end = b + Trim(content.substr(0, equals)).size();
  };
  if (content.empty()) {
    line.kind = Kind::kBlank;
  } else if (content.front() == ';') {
    line.kind = Kind::kComment;
    if (equals != npos) key_until_equals();
  } else if (content.front() == '[' && content.find(']') != npos) {
    line.kind = Kind::kSection;
    std::string_view inner = content.substr(1, content.find(']') - 1);
    std::string_view name = Trim(inner);
    line.name_begin = b + 1 + (name.data() - inner.data());
    line.name_end = line.name_begin + name.size();
  } else if (equals != npos) {
    line.kind = Kind::kEntry;
    key_until_equals();
  } else {
    line.kind = Kind::kOther;
  }
  return line;
}

std::string_view IniDocument::NameOf(std::string_view text, const Line& line) {
  return text.substr(line.name_begin, line.name_end - line.name_begin);
}

std::size_t IniDocument::FindSection(std::string_view section) const {
  if (section.empty()) return kNone;
  auto it = names_.find(AsciiUpperCase(section));
  if (it == names_.end()) return kNone;
  Section& found = sections_[it->second];
  if (!found.cut) Cut(found);
  return it->second;
}

void IniDocument::Cut(Section& section) {
  const std::string& text = section.text;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t next = ReadLine(text, pos).next;
    if (!section.lines.empty()) section.next.back() = section.lines.size();
    section.lines.push_back(text.substr(pos, next - pos));
    section.next.push_back(kNone);
    pos = next;
  }
  section.text = std::string();
  section.cut = true;
  // The first line is the section line.
  for (std::size_t i = 1; i < section.lines.size(); ++i) {
    const std::string& text_line = section.lines[i];
    Line line = ReadLine(text_line, 0);
    if (line.kind == Kind::kEntry) section.last_entry = i;
    if (line.kind == Kind::kEntry ||
        (line.kind == Kind::kComment && line.equals != npos)) {
      // The first entry of a key wins.
      section.keys.emplace(AsciiUpperCase(NameOf(text_line, line)), i);
    }
  }
  section.last_line = section.lines.size() - 1;
}

std::size_t IniDocument::InsertAfter(Section& section, std::size_t after,
                                     std::string text_line) {
  std::string& previous = section.lines[after];
  if (previous.back() != '\r' && previous.back() != '\n') {
    // The file's last line, without a line end: give it one first.
    previous += "\r\n";
  }
  const std::size_t added = section.lines.size();
  section.lines.push_back(std::move(text_line));
  section.next.push_back(section.next[after]);
  section.next[after] = added;
  if (section.last_line == after) section.last_line = added;
  const std::string& stored = section.lines[added];
  Line line = ReadLine(stored, 0);
  if (line.kind == Kind::kEntry) section.last_entry = added;
  section.keys.emplace(AsciiUpperCase(NameOf(stored, line)), added);
  return added;
}

bool IniDocument::HasSection(std::string_view section) const {
  return FindSection(Trim(UpToNul(section))) != kNone;
}

std::optional<std::string> IniDocument::Find(std::string_view section,
                                             std::string_view key) const {
  const std::size_t index = FindSection(Trim(UpToNul(section)));
  key = Trim(UpToNul(key));
  if (index == kNone || key.empty()) return std::nullopt;
  const Section& found = sections_[index];
  auto it = found.keys.find(AsciiUpperCase(key));
  if (it == found.keys.end()) return std::nullopt;
  const std::string& text_line = found.lines[it->second];
  Line line = ReadLine(text_line, 0);
  // A key starting with ";" names a comment line, which holds no value.
  if (line.kind != Kind::kEntry) return std::nullopt;
  std::string_view value = Trim(std::string_view(text_line).substr(
      line.equals + 1, line.text_end - line.equals - 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool IniDocument::Set(std::string_view section, std::string_view key,
                      std::string_view value) {
  if (utf16_ || !ReadsBackAsWritten(section, key, value)) return false;
  section = Trim(UpToNul(section));
  key = Trim(UpToNul(key));
  value = UpToNul(value);
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);

  std::string entry = std::string(key) + "=" + std::string(value) + "\r\n";
  const std::size_t index = FindSection(section);
  stale_ = true;
  if (index == kNone) {
    // Only section 0 can be empty: every other one starts with its line.
    Section& last = sections_.back();
    const bool has_lines =
        sections_.size() > 1 || last.text.size() > FirstLine(last.text);
    if (has_lines) {
      std::string& tail = last.cut ? last.lines[last.last_line] : last.text;
      if (tail.back() != '\r' && tail.back() != '\n') tail += "\r\n";
    }
    Section& added = sections_.emplace_back();
    added.text = "[" + std::string(section) + "]\r\n" + entry;
    Cut(added);
    names_.emplace(AsciiUpperCase(section), sections_.size() - 1);
    return true;
  }
  Section& found = sections_[index];
  if (auto it = found.keys.find(AsciiUpperCase(key)); it != found.keys.end()) {
    ReplaceValue(found.lines[it->second], value);
    return true;
  }
  InsertAfter(found, found.last_entry, std::move(entry));
  return true;
}

void IniDocument::ReplaceValue(std::string& text_line, std::string_view value) {
  Line line = ReadLine(text_line, 0);
  std::size_t from = line.equals + 1;
  if (!value.empty()) {
    while (from < line.text_end && IsBlank(text_line[from])) ++from;
  }
  text_line.replace(from, line.text_end - from, value);
}

bool ReadsBackAsWritten(std::string_view section, std::string_view key,
                        std::string_view value) {
  section = UpToNul(section);
  key = UpToNul(key);
  value = UpToNul(value);
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
    return false;
  }
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty()) return false;
  if (section.find(']') != npos || key.find('=') != npos) return false;
  // The line key=value starts with the key's "[": any "]" on it, in the key
  // or in the value, makes it a section line.
  return !(key.front() == '[' &&
           (key.find(']') != npos || value.find(']') != npos));
}

std::string ProfileResult(const std::optional<std::string>& found,
                          std::string_view default_value, int buffer_size) {
  if (buffer_size <= 0) return "";
  std::string_view value;
  if (found) {
    value = UpToNul(*found);
  } else {
    value = UpToNul(default_value);
    std::size_t last = value.find_last_not_of(' ');
    value = last == npos ? std::string_view() : value.substr(0, last + 1);
  }
  if (value.size() > static_cast<std::size_t>(buffer_size) - 1) {
    value = value.substr(0, static_cast<std::size_t>(buffer_size) - 1);
  }
  return std::string(value);
}

}  // namespace rolvex
