// IniDocument under random files and writes. Properties of every Set:
// - true: Find gives back the value written (up to a NUL, blanks trimmed at
//   both ends, one pair of enclosing quotes dropped); a key starting with ";"
//   is written as a comment and reads as missing;
// - every other entry that read before reads the same after;
// - false: the bytes are as they were.
// The input is a file followed by writes; names are drawn from the file's
// own lines half of the time, so that writes hit existing entries.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "platform/rules/ascii_text.h"
#include "platform/rules/ini_document.h"

namespace {

using rolvex::AsciiEqualsIgnoringCase;
using rolvex::IniDocument;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view UpToNul(std::string_view s) {
  return s.substr(0, s.find('\0'));
}

// The name a requested or written name stands for.
std::string Name(std::string_view s) { return std::string(Trim(UpToNul(s))); }

std::string ExpectedRead(std::string_view value) {
  std::string_view v = Trim(UpToNul(value));
  if (v.size() >= 2 && v.front() == v.back() &&
      (v.front() == '"' || v.front() == '\'')) {
    v = v.substr(1, v.size() - 2);
  }
  return std::string(v);
}

// Section and key names that lines of `bytes` spell, a rough scan that only
// has to find candidates.
void CollectNames(std::string_view bytes, std::vector<std::string>& sections,
                  std::vector<std::string>& keys) {
  std::size_t pos = 0;
  while (pos < bytes.size() && sections.size() + keys.size() < 96) {
    std::size_t stop = bytes.find_first_of("\r\n", pos);
    if (stop == std::string_view::npos) stop = bytes.size();
    std::string_view line = Trim(bytes.substr(pos, stop - pos));
    pos = stop + 1;
    if (line.starts_with('[')) {
      sections.emplace_back(line.substr(1, line.find(']') - 1));
    }
    std::size_t equals = line.find('=');
    if (equals != std::string_view::npos) {
      keys.emplace_back(line.substr(0, equals));
    }
  }
}

using Snapshot = std::vector<std::optional<std::string>>;

Snapshot Read(const IniDocument& doc, const std::vector<std::string>& sections,
              const std::vector<std::string>& keys) {
  Snapshot out;
  for (const auto& s : sections)
    for (const auto& k : keys) out.push_back(doc.Find(s, k));
  return out;
}

std::string PickName(FuzzedDataProvider& in,
                     const std::vector<std::string>& names) {
  if (!names.empty() && in.ConsumeBool()) {
    return names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)];
  }
  return in.ConsumeRandomLengthString(24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  FuzzedDataProvider in(data, size);
  IniDocument doc(in.ConsumeRandomLengthString(4096));
  for (int step = 0; step < 8 && in.remaining_bytes() > 0; ++step) {
    std::vector<std::string> sections, keys;
    CollectNames(doc.bytes(), sections, keys);
    std::string section = PickName(in, sections);
    std::string key = PickName(in, keys);
    std::string value = in.ConsumeRandomLengthString(64);
    sections.push_back(section);
    keys.push_back(key);

    const std::string before_bytes = doc.bytes();
    const Snapshot before = Read(doc, sections, keys);
    const bool written = doc.Set(section, key, value);

    if (!written) {
      FUZZ_CHECK(doc.bytes() == before_bytes);
      continue;
    }
    FUZZ_CHECK(!doc.is_utf16());
    std::optional<std::string> got = doc.Find(section, key);
    if (Name(key).starts_with(';')) {
      FUZZ_CHECK(!got.has_value());
    } else {
      FUZZ_CHECK(got.has_value() && *got == ExpectedRead(value));
    }
    const Snapshot after = Read(doc, sections, keys);
    std::size_t i = 0;
    for (const auto& s : sections) {
      for (const auto& k : keys) {
        bool same_entry = AsciiEqualsIgnoringCase(Name(s), Name(section)) &&
                          AsciiEqualsIgnoringCase(Name(k), Name(key));
        if (!same_entry) FUZZ_CHECK(after[i] == before[i]);
        ++i;
      }
    }
  }
  return 0;
}
