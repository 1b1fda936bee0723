// The checks a pack is put through before it ships: what in it the installer
// would read otherwise than its maker meant, or could not install at all.
#ifndef ROLVEX_PACK_PACK_CHECK_H_
#define ROLVEX_PACK_PACK_CHECK_H_

#include <filesystem>
#include <string>
#include <vector>

#include "pack/pack_tool.h"
#include "pack/pack_tree.h"

namespace rolvex {

enum class Severity { kError, kWarning };

// One thing found. `rule` is a stable kebab-case id (docs/packs.md lists
// them). `tree` is "Standard", "Register" or "Ini", or "" for the pack's own
// files; `path` is inside the tree ("$WinDir$/a.ini"; "" for the tree
// itself) or the pack ("Rolvex.ini"), "/" between names, UTF-8; `line`
// counts from 1 where the finding is about one line of a file, else 0.
// `message` is one sentence.
struct PackFinding {
  std::string rule;
  Severity severity = Severity::kError;
  std::string tree;
  std::string path;
  int line = 0;
  std::string message;

  bool operator==(const PackFinding&) const = default;
};

// Every finding for the pack at `folder`, listed as ListPack lists it into
// `entries`: the pack's own files first, then each tree in entry order, a
// file's lines in order. Names are judged with io.pc_code_page_names, dates
// against io.now. Reads the files it needs; a file it cannot read is a
// finding.
std::vector<PackFinding> CheckPack(const std::vector<PackEntry>& entries,
                                   const PackToolIo& io);

// `check FOLDER [--json FILE]`: one line per finding and a summary on io.out
// and, with a `json_file`, the findings as JSON in that file (written whole
// or not at all; docs/pack-check.schema.json). Returns kPackClean (no
// error; warnings allowed), kPackFindings (at least one error) or kPackNotRun
// (no folder, a folder that cannot be listed, a JSON file that cannot be
// written).
int RunCheck(const std::filesystem::path& folder, const std::string& json_file,
             const PackToolIo& io);

}  // namespace rolvex

#endif  // ROLVEX_PACK_PACK_CHECK_H_
