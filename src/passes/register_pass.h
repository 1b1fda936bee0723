// The Register pass: the self-registering components of the Register tree.
#ifndef ROLVEX_PASSES_REGISTER_PASS_H_
#define ROLVEX_PASSES_REGISTER_PASS_H_

#include <string>

#include "passes/pass_state.h"

namespace rolvex {

// Lists ProgramDir\Register breadth first, then for every file: unregisters
// the installed component ("RegSvr32 /u /s " or " /unregserver" for .EXE),
// copies it with DateiKopieren and registers it again ("RegSvr32 /s " or
// " /regserver"). Missing folders are created and every target is left
// normal. Failures are reported as in the Standard pass; a failure while the
// tree is listed reaches the caller as RunError.
void RegKopieren(PassState& state, const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_REGISTER_PASS_H_
