// The checks of pack/pack_check.h by area, each adding what it finds.
#ifndef ROLVEX_PACK_PACK_CHECKS_H_
#define ROLVEX_PACK_PACK_CHECKS_H_

#include <filesystem>
#include <string>
#include <vector>

#include "pack/pack_check.h"
#include "pack/pack_tree.h"

namespace rolvex {

// Where the findings go.
class Findings {
 public:
  void Error(std::string rule, std::string tree, std::string path, int line,
             std::string message) {
    Add(std::move(rule), Severity::kError, std::move(tree), std::move(path),
        line, std::move(message));
  }
  void Warning(std::string rule, std::string tree, std::string path, int line,
               std::string message) {
    Add(std::move(rule), Severity::kWarning, std::move(tree), std::move(path),
        line, std::move(message));
  }
  std::vector<PackFinding>& list() { return list_; }

 private:
  void Add(std::string rule, Severity severity, std::string tree,
           std::string path, int line, std::string message) {
    list_.push_back({std::move(rule), severity, std::move(tree),
                     std::move(path), line, std::move(message)});
  }
  std::vector<PackFinding> list_;
};

// An entry of one of the three trees.
struct TreeEntry {
  const PackEntry* entry;
  std::string tree;  // as kPackTrees spells it
  std::string path;  // inside the tree, "/" between names
  std::string name;  // the last name of `path`
};

// Each entry's own name, letter-case twins in one folder, unknown
// placeholders and target paths too long for Windows.
void CheckNames(const std::vector<TreeEntry>& entries, const PackToolIo& io,
                Findings& findings);

// What the passes do with each kind of entry: trees too big for the file
// list, entries that are no file or folder, components RegSvr32 cannot
// register, dates in the future, fonts and empty files.
void CheckEntries(const std::vector<TreeEntry>& entries, std::int64_t now,
                  Findings& findings);

// Rolvex.ini and Rolvex.txt: the keys start-up reads and the texts of the
// language they name. `ini` and `txt` are null when the file is missing.
void CheckSettings(const PackEntry* ini, const PackEntry* txt,
                   Findings& findings);

// One file of the Ini tree, `bytes` its content: what the merge would read
// otherwise than the file looks.
void CheckIniFile(const std::string& path, const std::string& bytes,
                  Findings& findings);

// Quotes `text` for a message: "text".
inline std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace rolvex

#endif  // ROLVEX_PACK_PACK_CHECKS_H_
