// The differential test of the profile stores: a script of ini files and of
// reads and writes on them, replayed through one build's native store
// (kernel32 under Wine, or the POSIX store), which writes a transcript of
// what each step gave back; two transcripts are then compared step by step.
// Values are compared, not bytes: Windows edits a file in place while Wine
// rewrites it whole.
//
// Script lines (strings hex-encoded, "-" for an empty one):
//   case <n> <initial bytes>            a fresh file case<n>.ini
//   get <section> <key> <default> <buffer size>
//   set <section> <key> <value>
// The transcript has one line per script line: "case <n>", the hex of the
// value read, or "1"/"0" for a write.
#ifndef ROLVEX_TESTS_DIFFERENTIAL_PROFILE_SCRIPT_H_
#define ROLVEX_TESTS_DIFFERENTIAL_PROFILE_SCRIPT_H_

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/profile_store.h"

namespace rolvex::differential {

struct Step {
  enum class Kind { kCase, kGet, kSet } kind = Kind::kCase;
  int case_number = 0;
  std::string bytes;               // kCase: the file's initial bytes
  std::string section, key, text;  // text: the default (get) or value (set)
  int buffer_size = 0;
};

std::string Hex(const std::string& bytes);
std::string Unhex(const std::string& hex);

// `cases` files built from the troublesome pieces, each with reads and
// writes, the same for the same seed.
std::vector<Step> Generate(std::uint32_t seed, int cases);

void WriteScript(const std::vector<Step>& steps, std::ostream& out);
std::vector<Step> ReadScript(std::istream& in);

// Where a replay keeps the files of its cases.
struct ReplayFolder {
  // The path the store is given for case `n`.
  std::function<std::string(int n)> path_of;
  // Puts `bytes` into that file, past the store.
  std::function<void(int n, const std::string& bytes)> write_bytes;
};

// Runs `steps` through `store`, one transcript line per step.
void Replay(const std::vector<Step>& steps, ProfileStore& store,
            const ReplayFolder& folder, std::ostream& transcript);

// Compares the transcripts of `steps` from the POSIX store and from the
// Win32 store; prints each difference and the allow-list's counts to `out`.
// True when every difference is on the allow-list.
bool Compare(const std::vector<Step>& steps, std::istream& posix,
             std::istream& win32, std::ostream& out);

}  // namespace rolvex::differential

#endif  // ROLVEX_TESTS_DIFFERENTIAL_PROFILE_SCRIPT_H_
