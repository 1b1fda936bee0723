// The PC's text as a person reads it on a terminal, and cut by character.
#ifndef ROLVEX_PLATFORM_RULES_SHOWN_TEXT_H_
#define ROLVEX_PLATFORM_RULES_SHOWN_TEXT_H_

#include <cstddef>
#include <string>
#include <vector>

#include "platform/code_page.h"

namespace rolvex {

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing beyond U+10FFFF).
bool IsValidUtf8(const std::string& text);

// The byte length of the UTF-8 sequence at `at`; 1 when none starts there.
std::size_t Utf8SequenceSize(const std::string& text, std::size_t at);

// UTF-8 text with its control characters made visible, so that a name or
// an ini value can never drive the terminal: C0 characters but line feed
// and tab in caret notation ("^[" for ESC, "^M" for CR), DEL as "^?", and
// the C1 characters U+0080..U+009F as "M-" and the caret form of the C0
// one 0x80 below ("M-^[" for CSI).
std::string EscapeControls(const std::string& utf8);

// `bytes` (the PC's text) for the terminal: decoded by `code_page`, its
// control characters escaped, in the terminal's character set. Each line
// is decoded on its own, so a line of another encoding does not change
// how the rest reads.
std::string ShownText(const CodePage& code_page, const std::string& bytes);

// CodePage::CharacterBounds of UTF-8 text (a byte that starts no valid
// sequence counts as one character), and of a single-byte code page.
std::vector<std::size_t> Utf8Bounds(const std::string& text);
std::vector<std::size_t> ByteBounds(const std::string& bytes);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_SHOWN_TEXT_H_
