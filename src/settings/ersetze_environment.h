// ErsetzeEnvironment: the placeholders $Name$ that stand for the machine's
// named directories and files in paths and commands.
#ifndef ROLVEX_SETTINGS_ERSETZE_ENVIRONMENT_H_
#define ROLVEX_SETTINGS_ERSETZE_ENVIRONMENT_H_

#include <cstddef>
#include <string>

#include "settings/settings_state.h"

namespace rolvex {

// `text` with its placeholders resolved. The first "$" and the next "$" after
// it form a pair; the name between them (compared with the names of rows 1 to
// 20 in row order, ASCII letters without regard to case) selects the first
// row of that name, and the pair is replaced by the row's value. The search
// then goes on at the start of the replaced text, which gives the same result
// as starting again at the beginning of the text, since nothing before it
// changed. So placeholders are resolved leftmost first, a value's own
// placeholders are resolved in turn, "$$" matches the first row without a
// name (row 12, empty) and disappears, and a lone "$" stays.
//
// Further rules, so that the resolution always ends:
// - A pair whose name is no row stays unchanged; the search goes on after its
//   closing "$".
// - A name whose value leads back to itself, directly or through other rows
//   ($A$ = "x$A$", or $A$ = "$B$" and $B$ = "$A$"), is treated as unknown.
// - So is a pair that names a row and closes inside the text that this
//   row's own value produced (counting what took the place of a pair at the
//   very end of the value), which can only happen through pairs formed
//   across the border of a value ($A$ = "$B$A$" with $B$ = "x$" would
//   otherwise give "xxxx..." for ever). A pair that closes beyond that text
//   uses up a "$" after it and is resolved as usual ($C$ = "$C": "$C$$" gives
//   "$C$", then "$C").
// - Positions are not 16-bit here: a "$" beyond position 32767 is resolved
//   like any other, so a 40,000-character text is resolved whole.
// - As a last bound on time and memory, the resolution stops after
//   kMaxReplacements replacements or once the replacements have inserted
//   kMaxInsertedChars characters in all (far beyond any real table); the text
//   is then returned as far as it was resolved, the rest unchanged.
// Reports nothing; throws nothing of its own.
std::string ErsetzeEnvironment(const DirectoryParameters& parameters,
                               const std::string& text);
// The same over the run's parameters.
std::string ErsetzeEnvironment(const SettingsState& state,
                               const std::string& text,
                               const std::string& call_path);

inline constexpr int kMaxReplacements = 1'000'000;
inline constexpr std::size_t kMaxInsertedChars = std::size_t{16} << 20;

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_ERSETZE_ENVIRONMENT_H_
