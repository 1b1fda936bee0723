// Installing only what arrives intact: a pack that holds Rolvex.sha256 has
// each of its files checked against it just before the file is installed.
// A pack without a seal is installed as it is.
#ifndef ROLVEX_PASSES_SEAL_VERIFICATION_H_
#define ROLVEX_PASSES_SEAL_VERIFICATION_H_

#include <optional>
#include <string>

#include "passes/pass_state.h"
#include "platform/run_error.h"

namespace rolvex {

// Reads ProgramDir\Rolvex.sha256 into state.seal when the pack has one.
// Returns the failure that stops the whole run when the seal is there but
// cannot be read or is not in the seal's format (RunError 1392, or the
// number the read failed with); nothing of such a pack may be installed,
// since nothing of it can be vouched for.
std::optional<RunError> LoadPackSeal(PassState& state);

// Throws unless `source_path`, a file of the pack, may be installed: the
// pack has no seal, or the seal lists the file with the SHA-256 of its
// content now. A file whose content differs, or that the seal does not
// list, throws RunError 1392 ("The file or directory is corrupted and
// unreadable") and notes why on the current report entry. A file that
// cannot be read throws as reading it does. Only files about to be
// installed are read: a kept file costs nothing.
void VerifyAgainstSeal(PassState& state, const std::string& source_path);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_SEAL_VERIFICATION_H_
