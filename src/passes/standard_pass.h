// The Standard pass: the plain files of the service pack's Standard tree.
#ifndef ROLVEX_PASSES_STANDARD_PASS_H_
#define ROLVEX_PASSES_STANDARD_PASS_H_

#include <string>

#include "passes/pass_state.h"

namespace rolvex {

// Lists ProgramDir\Standard breadth first, then installs every entry: missing
// folders are created, an existing target font (".TTF") is deleted, every
// file goes through DateiKopieren, and every target is left normal. Each
// step's failure is reported (log, status line, "Error" box) and the pass goes
// on. A failure while the tree is listed is not handled here: it reaches the
// caller as RunError before anything is installed.
void StandardKopieren(PassState& state, const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_STANDARD_PASS_H_
