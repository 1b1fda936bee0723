#include "platform/posix/posix_code_page.h"

#include <errno.h>
#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <cstdlib>
#include <iostream>

#include "platform/rules/shown_text.h"

namespace rolvex {
namespace {

const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

bool NamesUtf8(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(c));
  return name == "UTF-8" || name == "UTF8";
}

// The five bytes Windows-1252 leaves undefined, which Windows reads as the
// C1 control characters of the same number; iconv refuses them.
bool UndefinedIn1252(unsigned char byte) {
  return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 ||
         byte == 0x9D;
}

void AppendCodePoint(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Converts `in` with `cd`; a byte it cannot convert becomes what
// `replace` appends, and the conversion goes on after it.
template <typename Replace>
std::string Convert(iconv_t cd, const std::string& in, Replace replace) {
  std::string out;
  out.reserve(in.size() * 2 + 8);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* from = const_cast<char*>(in.data());
  std::size_t left = in.size();
  char buffer[1024];
  while (left > 0) {
    char* to = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t done = iconv(cd, &from, &left, &to, &room);
    out.append(buffer, static_cast<std::size_t>(to - buffer));
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      replace(out, static_cast<unsigned char>(*from));
      ++from;
      --left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  char* to = buffer;
  std::size_t room = sizeof buffer;
  iconv(cd, nullptr, nullptr, &to, &room);
  out.append(buffer, static_cast<std::size_t>(to - buffer));
  return out;
}

std::string TerminalCharset() {
  // The locale's character set without changing the program's own locale.
  locale_t chosen = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (chosen == static_cast<locale_t>(0)) return "";
  std::string charset = nl_langinfo_l(CODESET, chosen);
  freelocale(chosen);
  return charset;
}

}  // namespace

PosixCodePage::PosixCodePage(const std::string& name,
                             const std::string& terminal) {
  from_1252_ = iconv_open("UTF-8", "WINDOWS-1252");
  if (!name.empty()) {
    named_utf8_ = NamesUtf8(name);
    if (!named_utf8_) {
      from_named_ = iconv_open("UTF-8", name.c_str());
      known_ = from_named_ != kNone;
    }
  }
  terminal_utf8_ = terminal.empty() || NamesUtf8(terminal);
  if (!terminal_utf8_) {
    to_terminal_ = iconv_open((terminal + "//TRANSLIT").c_str(), "UTF-8");
    if (to_terminal_ == kNone) terminal_utf8_ = true;
  }
}

PosixCodePage::~PosixCodePage() {
  for (iconv_t cd : {from_named_, from_1252_, to_terminal_}) {
    if (cd != kNone) iconv_close(cd);
  }
}

const PosixCodePage& PosixCodePage::OfEnvironment(std::string* unknown) {
  const char* named = std::getenv("ROLVEX_CODEPAGE");
  static const PosixCodePage page(named ? named : "", TerminalCharset());
  if (unknown != nullptr) *unknown = page.known() ? "" : named;
  return page;
}

std::string PosixCodePage::ToUtf8(const std::string& bytes) const {
  auto replacement = [](std::string& out, unsigned char) {
    AppendCodePoint(out, 0xFFFD);
  };
  if (from_named_ != kNone) return Convert(from_named_, bytes, replacement);
  if (named_utf8_ || IsValidUtf8(bytes)) {
    if (IsValidUtf8(bytes)) return bytes;
    std::string out;
    for (std::size_t at = 0; at < bytes.size();) {
      const std::size_t size = Utf8SequenceSize(bytes, at);
      if (size == 1 && static_cast<unsigned char>(bytes[at]) >= 0x80) {
        AppendCodePoint(out, 0xFFFD);
      } else {
        out.append(bytes, at, size);
      }
      at += size;
    }
    return out;
  }
  if (from_1252_ == kNone) return bytes;  // no iconv tables installed
  return Convert(from_1252_, bytes, [](std::string& out, unsigned char byte) {
    AppendCodePoint(out, UndefinedIn1252(byte) ? byte : 0xFFFD);
  });
}

std::vector<std::size_t> PosixCodePage::CharacterBounds(
    const std::string& bytes) const {
  if (named_utf8_ || (from_named_ == kNone && IsValidUtf8(bytes))) {
    return Utf8Bounds(bytes);
  }
  if (from_named_ == kNone) return ByteBounds(bytes);
  // A code page iconv knows: each character is the shortest beginning of
  // the rest that converts (at most four bytes), else one byte.
  std::vector<std::size_t> bounds;
  for (std::size_t at = 0; at < bytes.size();) {
    bounds.push_back(at);
    std::size_t size = 1;
    for (std::size_t n = 1; n <= 4 && at + n <= bytes.size(); ++n) {
      iconv(from_named_, nullptr, nullptr, nullptr, nullptr);
      char* from = const_cast<char*>(bytes.data() + at);
      std::size_t left = n;
      char buffer[16];
      char* to = buffer;
      std::size_t room = sizeof buffer;
      if (iconv(from_named_, &from, &left, &to, &room) !=
              static_cast<std::size_t>(-1) &&
          to != buffer) {
        size = n;
        break;
      }
    }
    at += size;
  }
  bounds.push_back(bytes.size());
  return bounds;
}

std::string PosixCodePage::ToTerminal(const std::string& utf8) const {
  if (terminal_utf8_) return utf8;
  return Convert(to_terminal_, utf8, [](std::string& out, unsigned char byte) {
    // One "?" for the whole character that could not be shown.
    if ((byte & 0xC0) != 0x80) out += '?';
  });
}

const CodePage& CodePageOfEnvironment(const char* program) {
  std::string unknown;
  const CodePage& page = PosixCodePage::OfEnvironment(&unknown);
  if (!unknown.empty()) {
    std::cerr << program << ": ROLVEX_CODEPAGE \"" << unknown
              << "\" is no code page iconv knows; text is read as UTF-8, "
                 "else as Windows-1252\n";
  }
  return page;
}

}  // namespace rolvex
