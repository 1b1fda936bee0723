#include "passes/seal_verification.h"

#include "passes/step_guard.h"
#include "platform/sha256.h"
#include "reporting/run_report.h"

namespace rolvex {
namespace {

// A seal larger than this lists far more files than a tree may hold
// (32000 entries of a few hundred bytes each).
constexpr std::size_t kSealLimit = std::size_t{64} << 20;

constexpr char kSealSource[] = "Rolvex.sha256";

RunError Corrupt() { return RunError::Of(kErrFileCorrupt, kSealSource); }

}  // namespace

std::optional<RunError> LoadPackSeal(PassState& state) {
  state.seal.reset();
  state.verified_source.clear();
  const std::string path = state.program_dir + "\\" + kSealFileName;
  // Hidden and system count: a seal is a seal however it is marked.
  if (state.files.Dir(path, 15).empty()) return std::nullopt;
  std::string text;
  try {
    state.files.ReadContent(path, [&](const char* data, std::size_t size) {
      if (text.size() + size > kSealLimit) throw Corrupt();
      text.append(data, size);
    });
  } catch (const RunError& failure) {
    return failure;
  } catch (const std::exception& failure) {
    return AsRunError(failure);
  }
  std::vector<SealLine> lines;
  if (!ParseSeal(text, lines).empty()) return Corrupt();
  state.seal.emplace(std::move(lines));
  return std::nullopt;
}

std::optional<FileSystem::CopyAdmission> SealAdmission(
    PassState& state, const std::string& source_path) {
  if (!state.seal || source_path == state.verified_source) return std::nullopt;
  // The seal names the pack's files relative to the pack, in the names'
  // own characters (UTF-8); the installer holds them in the PC's code page.
  const std::string prefix = state.program_dir + "\\";
  const SealLine* line = nullptr;
  if (source_path.size() > prefix.size() &&
      source_path.compare(0, prefix.size(), prefix) == 0) {
    line = state.seal->Find(
        state.code_page.ToUtf8(source_path.substr(prefix.size())));
  }
  if (line == nullptr) {
    state.seal_refused = true;
    state.run_report.NoteSeal({.state = "not-listed"});
    throw Corrupt();
  }
  return
      [&state, source_path, sealed = line->digest](const std::string& found) {
        if (found != sealed) {
          state.seal_refused = true;
          state.run_report.NoteSeal(
              {.state = "differs", .sealed = sealed, .found = found});
          throw Corrupt();
        }
        state.verified_source = source_path;
      };
}

void VerifyAgainstSeal(PassState& state, const std::string& source_path) {
  const std::optional<FileSystem::CopyAdmission> admit =
      SealAdmission(state, source_path);
  if (!admit) return;
  Sha256 digest;
  state.files.ReadContent(source_path, [&](const char* data, std::size_t size) {
    digest.Update(data, size);
  });
  (*admit)(digest.HexDigest());
}

}  // namespace rolvex
