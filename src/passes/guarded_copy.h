// The physical file operations of the file passes: one copy and one
// attribute change, each retried silently, then put to the operator.
#ifndef ROLVEX_PASSES_GUARDED_COPY_H_
#define ROLVEX_PASSES_GUARDED_COPY_H_

#include <string>

#include "passes/pass_state.h"

namespace rolvex {

// Silent retries: at most this many per call, and this many in the whole run
// for both procedures together, each after a pause of kRetryPauseMs.
inline constexpr int kRetriesPerCall = 5;
inline constexpr int kRetriesPerRun = 100;
inline constexpr int kRetryPauseMs = 100;

// The machine-wide settings file that holds the cancel latch.
inline constexpr char kServicePackIni[] = "C:\\ServicePack.ini";

// Copies `source_path` onto `target_path`. Does nothing once the run has been
// cancelled. A target below a "SYSTEM32\" folder (any letter case) is tried
// once; when that copy fails it is scheduled for replacement at the next
// restart (logged with text 17 and " System32 "), without retry or question.
// With `admit` (a sealed pack's file, see passes/seal_verification.h) the
// copy takes the target's place only once its digest is admitted; a refusal
// is thrown to the caller at once, without retry or question, since the
// same bytes would be refused again.
// Any other failed copy is retried silently (see the constants above), then
// logged and put to the operator: Abort sets the cancel latch in
// C:\ServicePack.ini, logs text 29 and ends the program (exit status 3);
// Retry tries again; Ignore gives the copy up. Returns normally in every case
// but Abort.
void ExFileCopy(PassState& state, const std::string& source_path,
                const std::string& target_path, const std::string& call_path,
                const FileSystem::CopyAdmission* admit = nullptr);

// Sets the attributes of `file_path` to `new_attributes`, with the same
// retries, question and cancel check as ExFileCopy (text 30 in its lines).
void ExSetAttr(PassState& state, const std::string& file_path,
               int new_attributes, const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_GUARDED_COPY_H_
