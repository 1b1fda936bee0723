// What the passes make of each kind of entry.
#include <map>
#include <string>
#include <vector>

#include "pack/pack_checks.h"
#include "passes/file_tree.h"
#include "platform/rules/ascii_text.h"
#include "reporting/run_report_json.h"

namespace rolvex {
namespace {

// A file dated this little after now is taken as dated now: clocks of the
// machines a pack passes through differ by that much.
constexpr std::int64_t kClockSlack = 2;

// The name's extension after its last dot, upper-cased ("" without one).
std::string Extension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? "" : AsciiUpperCase(name.substr(dot + 1));
}

void CheckFile(const TreeEntry& e, std::int64_t now, Findings& findings) {
  const PackEntry& entry = *e.entry;
  const std::string extension = Extension(e.name);
  if (e.tree == "Register" && extension != "DLL" && extension != "OCX" &&
      extension != "EXE") {
    findings.Error("register-not-component", e.tree, e.path, 0,
                   "the Register pass has RegSvr32 register every file, and "
                   "only a .dll, .ocx or .exe can be registered");
  }
  if (e.tree == "Standard" && entry.modified > now + kClockSlack) {
    findings.Warning("time-future", e.tree, e.path, 0,
                     "dated " + IsoUtc(entry.modified) +
                         ", after now: newer than the PC's copy, so it is "
                         "installed again on every run until then");
  }
  if (e.tree == "Standard" && extension == "TTF") {
    findings.Warning("font-replaced", e.tree, e.path, 0,
                     "a TrueType font is deleted and copied again on every "
                     "run, whatever its date");
  }
  if (entry.size == 0) {
    findings.Warning("file-empty", e.tree, e.path, 0,
                     "the file is empty, which is seldom what a pack means "
                     "to install");
  }
}

}  // namespace

void CheckEntries(const std::vector<TreeEntry>& entries, std::int64_t now,
                  Findings& findings) {
  std::map<std::string, int> counts;
  for (const TreeEntry& e : entries) {
    ++counts[e.tree];
    switch (e.entry->kind) {
      case PackEntry::Kind::kOther:
        findings.Error("entry-not-file", e.tree, e.path, 0,
                       "neither file nor folder (a pipe, a device or a "
                       "broken link), which the installer cannot copy");
        break;
      case PackEntry::Kind::kFolder:
        if (e.entry->linked_folder) {
          findings.Warning("linked-folder", e.tree, e.path, 0,
                           "a link to a folder, which the installer does "
                           "not enter: nothing below it is installed");
        }
        break;
      case PackEntry::Kind::kFile:
        CheckFile(e, now, findings);
        break;
    }
  }
  for (const auto& [tree, count] : counts) {
    if (count > kFileListLimit) {
      findings.Error("tree-too-large", tree, "", 0,
                     "the tree has " + std::to_string(count) +
                         " entries, more than the " +
                         std::to_string(kFileListLimit) +
                         " the installer's file list holds; the pass stops "
                         "before it installs anything");
    }
  }
}

}  // namespace rolvex
