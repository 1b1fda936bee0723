// A file of the Ini tree as the merge reads it: item by item through the
// same reader and classification the Ini pass uses, each item placed on the
// line where it starts, against how the line looks to whoever wrote it.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "pack/pack_checks.h"
#include "passes/ini_merge.h"
#include "platform/rules/ascii_text.h"
#include "platform/rules/buffer_item_reader.h"
#include "settings/ini_access.h"

namespace rolvex {
namespace {

// One item as the merge reads it.
struct Item {
  std::size_t end = 0;  // one past the last byte it consumed
  std::string text;     // trimmed, as classified
  IniMergeState before;
  IniMergeState after;
};

// Lines: where each starts; a line end is CR LF, CR or LF, as for the
// reader.
std::vector<std::size_t> LineStarts(const std::string& bytes) {
  std::vector<std::size_t> starts = {0};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    if (bytes[i] == '\r' || bytes[i] == '\n') starts.push_back(i + 1);
  }
  if (starts.back() == bytes.size() && starts.size() > 1) starts.pop_back();
  return starts;
}

// The line (0-based) that holds `offset`.
std::size_t LineOf(const std::vector<std::size_t>& starts, std::size_t offset) {
  return static_cast<std::size_t>(
      std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin() -
      1);
}

// The line's text as one item of it would read: blanks and tabs before it
// and spaces after it dropped.
std::string LineAsItem(const std::string& bytes, std::size_t begin,
                       std::size_t end) {
  std::size_t first = begin;
  while (first < end && (bytes[first] == ' ' || bytes[first] == '\t')) ++first;
  std::size_t last = first;
  while (last < end && bytes[last] != '\r' && bytes[last] != '\n') ++last;
  return TrimBlanks(bytes.substr(first, last - first));
}

// The first byte that makes `bytes` no text file: NUL or a control
// character other than tab, CR, LF and the DOS end-of-file mark.
std::size_t FirstBinaryByte(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != 0x1A) return i;
  }
  return std::string::npos;
}

std::string Entry(const IniMergeState& state) {
  return state.key + "=" + state.value;
}

// What the merge makes of the item on its own: a section line, an entry
// (key and value as it splits them) or neither.
struct Meaning {
  bool section = false;
  bool entry = false;
  std::string key;
  std::string value;
};

Meaning MeaningOf(const std::string& item) {
  // Inside some section, where every kind of item has its effect.
  IniMergeState probe{.section = "\x01", .key = "", .value = ""};
  ClassifyIniItem(probe, item);
  Meaning meaning;
  meaning.section = probe.section != "\x01";
  meaning.entry = !meaning.section && item.find('=') != std::string::npos;
  meaning.key = probe.key;
  meaning.value = probe.value;
  return meaning;
}

// A key set again: where, and to what.
struct Setting {
  int line;
  std::string section;
  std::string key;
  std::string value;  // as the store writes it: without leading blanks
};

class IniFileCheck {
 public:
  IniFileCheck(const std::string& path, const std::string& bytes,
               Findings& findings)
      : path_(path), bytes_(bytes), findings_(findings) {}

  void Run() {
    const auto at = [&](std::size_t offset) {
      return static_cast<int>(LineOf(starts_, offset)) + 1;
    };
    if (bytes_.starts_with("\xFF\xFE") || bytes_.starts_with("\xFE\xFF")) {
      Error("ini-utf16", 0,
            "the file is UTF-16, which the merge reads byte by byte: it "
            "writes nothing sensible");
      return;
    }
    if (const std::size_t bad = FirstBinaryByte(bytes_);
        bad != std::string::npos) {
      Error("ini-binary", at(bad),
            "the file holds a NUL or control byte, so it is no text the "
            "merge can read");
      return;
    }
    if (bytes_.starts_with("\xEF\xBB\xBF")) {
      Error("ini-utf8-bom", 1,
            "the file starts with a UTF-8 byte order mark, which the merge "
            "reads as part of the first line, so that line is no section or "
            "key to it");
    }
    std::vector<std::vector<Item>> lines(starts_.size());
    BufferItemReader reader(bytes_);
    IniMergeState state;
    while (!reader.AtEnd()) {
      const std::size_t begin = reader.position();
      Item item;
      item.text = TrimBlanks(reader.ReadItem());
      item.end = reader.position();
      item.before = state;
      ClassifyIniItem(state, item.text);
      item.after = state;
      lines[LineOf(starts_, begin)].push_back(std::move(item));
    }
    for (std::size_t line = 0; line < lines.size(); ++line) {
      if (!lines[line].empty()) CheckLine(line, lines[line]);
    }
    ReportDuplicates();
  }

 private:
  void Error(const char* rule, int line, std::string message) {
    findings_.Error(rule, "Ini", path_, line, std::move(message));
  }
  void Warning(const char* rule, int line, std::string message) {
    findings_.Warning(rule, "Ini", path_, line, std::move(message));
  }

  std::size_t LineEnd(std::size_t line) const {
    return line + 1 < starts_.size() ? starts_[line + 1] : bytes_.size();
  }

  void CheckLine(std::size_t index, const std::vector<Item>& items) {
    const int line = static_cast<int>(index) + 1;
    const std::size_t end = LineEnd(index);
    for (const Item& item : items) {
      const Meaning meaning = MeaningOf(item.text);
      if (meaning.entry && item.after.ShouldWrite()) {
        settings_[AsciiUpperCase(TrimBlanks(item.after.section)) + '\n' +
                  AsciiUpperCase(TrimBlanks(meaning.key))]
            .push_back({line, TrimBlanks(item.after.section),
                        TrimBlanks(meaning.key), TrimBlanks(item.after.value)});
      }
    }
    if (items.size() != 1 || items[0].end != end ||
        items[0].text != LineAsItem(bytes_, starts_[index], end)) {
      ReportSplit(line, items);
      return;
    }
    const Item& item = items[0];
    const Meaning meaning = MeaningOf(item.text);
    // A DOS end-of-file mark on a line of its own changes nothing.
    if (item.text.find_first_not_of('\x1A') == std::string::npos) return;
    if (meaning.section) return;
    if (!meaning.entry) {
      if (!item.text.starts_with(';')) {
        Warning("ini-line-ignored", line,
                "the line is no section, entry or comment, and the merge "
                "passes it over");
      }
      return;
    }
    if (item.before.section.empty()) {
      Warning("ini-before-section", line,
              "the entry stands before the first section line, so the merge "
              "does not write it");
    } else if (TrimBlanks(meaning.key).empty()) {
      Warning("ini-line-ignored", line,
              "the entry has no key, and the merge passes it over");
    } else if (meaning.value.empty()) {
      Warning("ini-line-ignored", line,
              "the entry has no value, and the merge passes it over: the "
              "PC keeps the value it has");
    } else if (meaning.key.starts_with(';') || meaning.key.starts_with('[')) {
      Error("ini-key-prefix", line,
            "the merge writes the key " + Quoted(meaning.key) +
                ", which a later read takes for a " +
                (meaning.key.starts_with(';') ? "comment" : "section line"));
    }
  }

  void ReportSplit(int line, const std::vector<Item>& items) {
    std::string read;
    std::vector<std::string> written;
    for (const Item& item : items) {
      read += (read.empty() ? "" : ", ") + Quoted(item.text);
      if (item.after.ShouldWrite() &&
          (written.empty() || written.back() != Entry(item.after))) {
        written.push_back(Entry(item.after));
      }
    }
    std::string writes;
    for (const std::string& entry : written) {
      writes += (writes.empty() ? "" : ", ") + Quoted(entry);
    }
    Error("ini-line-split", line,
          "the merge reads this line as " + read +
              " (a comma or a quote splits it) and writes " +
              (writes.empty() ? "nothing" : writes));
  }

  // After the file's other findings: the driver puts them in line order.
  void ReportDuplicates() {
    for (const auto& [name, settings] : settings_) {
      if (settings.size() < 2) continue;
      std::string lines;
      for (const Setting& s : settings) {
        lines += (lines.empty() ? "" : ", ") + std::to_string(s.line);
      }
      Warning("ini-key-duplicate", settings[1].line,
              "the key " + settings.front().key + " of [" +
                  settings.front().section + "] is set on lines " + lines +
                  "; the merge writes each in turn, so " +
                  Quoted(settings.back().value) +
                  " ends up on the PC, while a read of this file sees " +
                  Quoted(settings.front().value));
    }
  }

  const std::string& path_;
  const std::string& bytes_;
  Findings& findings_;
  const std::vector<std::size_t> starts_ = LineStarts(bytes_);
  // Every entry the merge writes from its own item, by section and key.
  std::map<std::string, std::vector<Setting>> settings_;
};

}  // namespace

void CheckIniFile(const std::string& path, const std::string& bytes,
                  Findings& findings) {
  IniFileCheck(path, bytes, findings).Run();
}

}  // namespace rolvex
