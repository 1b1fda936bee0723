#include "platform/journal/journal_format.h"

namespace rolvex {
namespace {

void AppendEscaped(std::string& line, std::string_view field) {
  for (char c : field) {
    switch (c) {
      case '\\':
        line += "\\\\";
        break;
      case '\t':
        line += "\\t";
        break;
      case '\r':
        line += "\\r";
        break;
      case '\n':
        line += "\\n";
        break;
      default:
        line += c;
    }
  }
}

JournalRecord ParseLine(std::string_view line) {
  JournalRecord record(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      record.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      const char e = line[++i];
      record.back() += e == 't' ? '\t' : e == 'r' ? '\r' : e == 'n' ? '\n' : e;
    } else {
      record.back() += c;
    }
  }
  return record;
}

}  // namespace

std::string FormatJournalRecord(const JournalRecord& record) {
  std::string line;
  for (std::size_t i = 0; i < record.size(); ++i) {
    if (i > 0) line += '\t';
    AppendEscaped(line, record[i]);
  }
  return line;
}

std::vector<JournalRecord> ParseJournal(std::string_view text) {
  std::vector<JournalRecord> records;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) break;
    std::string_view line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) records.push_back(ParseLine(line));
    begin = end + 1;
  }
  return records;
}

}  // namespace rolvex
