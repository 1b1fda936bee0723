#include "platform/rules/shown_text.h"

namespace rolvex {

std::size_t Utf8SequenceSize(const std::string& text, std::size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t follow = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    follow = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    follow = 2;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    follow = 3;
  } else {
    return 1;
  }
  if (at + follow >= text.size()) return 1;
  for (std::size_t k = 1; k <= follow; ++k) {
    if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return 1;
  }
  // Overlong three- and four-byte forms, surrogates, beyond U+10FFFF.
  if (follow >= 2) {
    const unsigned char second = static_cast<unsigned char>(text[at + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
      return 1;
    }
  }
  return follow + 1;
}

bool IsValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t size = Utf8SequenceSize(text, i);
    if (size == 1 && static_cast<unsigned char>(text[i]) >= 0x80) return false;
    i += size;
  }
  return true;
}

std::string EscapeControls(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if ((c < 0x20 && c != '\n' && c != '\t')) {
      out += '^';
      out += static_cast<char>(c + 0x40);
    } else if (c == 0x7F) {
      out += "^?";
    } else if (c == 0xC2 && i + 1 < utf8.size() &&
               static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
      out += "M-^";
      out += static_cast<char>(static_cast<unsigned char>(utf8[i + 1]) - 0x40);
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string ShownText(const CodePage& code_page, const std::string& bytes) {
  std::string shown;
  std::size_t begin = 0;
  while (begin <= bytes.size()) {
    std::size_t end = bytes.find('\n', begin);
    if (end == std::string::npos) end = bytes.size();
    shown += code_page.ToTerminal(
        EscapeControls(code_page.ToUtf8(bytes.substr(begin, end - begin))));
    if (end == bytes.size()) break;
    shown += '\n';
    begin = end + 1;
  }
  return shown;
}

std::vector<std::size_t> Utf8Bounds(const std::string& text) {
  std::vector<std::size_t> bounds;
  bounds.reserve(text.size() + 1);
  for (std::size_t at = 0; at < text.size(); at += Utf8SequenceSize(text, at)) {
    bounds.push_back(at);
  }
  bounds.push_back(text.size());
  return bounds;
}

std::vector<std::size_t> ByteBounds(const std::string& bytes) {
  std::vector<std::size_t> bounds(bytes.size() + 1);
  for (std::size_t at = 0; at <= bytes.size(); ++at) bounds[at] = at;
  return bounds;
}

}  // namespace rolvex
