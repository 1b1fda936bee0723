// Installing only what arrives intact: a pack that holds Rolvex.sha256 has
// each of its files checked against it just before the file is installed.
// A pack without a seal is installed as it is.
#ifndef ROLVEX_PASSES_SEAL_VERIFICATION_H_
#define ROLVEX_PASSES_SEAL_VERIFICATION_H_

#include <optional>
#include <string>

#include "passes/pass_state.h"
#include "platform/file_system.h"
#include "platform/run_error.h"

namespace rolvex {

// Reads ProgramDir\Rolvex.sha256 into state.seal when the pack has one.
// Returns the failure that stops the whole run when the seal is there but
// cannot be read or is not in the seal's format (RunError 1392, or the
// number the read failed with); nothing of such a pack may be installed,
// since nothing of it can be vouched for.
std::optional<RunError> LoadPackSeal(PassState& state);

// What a copy of `source_path`, a file of the pack, must pass before it may
// take its target's place: nullopt when there is nothing to check (no seal,
// or the file was found intact a moment ago), else the check of its digest
// against the seal, for FileSystem::FileCopyAdmitted. Throws at once when
// the seal does not list the file.
//
// A refusal throws RunError 1392 ("The file or directory is corrupted and
// unreadable", source "Rolvex.sha256"), notes why on the current report
// entry and sets state.seal_refused: the entry's target is then left alone.
std::optional<FileSystem::CopyAdmission> SealAdmission(
    PassState& state, const std::string& source_path);

// The same check made at once, reading the file: for a file that is not
// copied by FileCopyAdmitted (an ini file merged, a font before its old file
// goes). Throws as SealAdmission does, or as reading the file does. Only
// files about to be installed are read: a kept file costs nothing.
void VerifyAgainstSeal(PassState& state, const std::string& source_path);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_SEAL_VERIFICATION_H_
