// The Ini pass: the ini files of the Ini tree, copied whole or merged.
#ifndef ROLVEX_PASSES_INI_PASS_H_
#define ROLVEX_PASSES_INI_PASS_H_

#include <string>

#include "passes/pass_state.h"

namespace rolvex {

// Lists ProgramDir\Ini breadth first, then for every file: a missing target is
// copied whole, an existing one gets every entry of the source written into it
// with SaveIni. Missing folders are created and every target is left normal.
// Failures are reported as in the Standard pass; a failure while the tree is
// listed reaches the caller as RunError.
void IniKopieren(PassState& state, const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_INI_PASS_H_
