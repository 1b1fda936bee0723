#include "pack/pack_check.h"

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

#include "pack/pack_checks.h"
#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

namespace fs = std::filesystem;

// The tree an entry's relative path starts with, as kPackTrees spells it;
// "" for the pack's own files.
std::string TreeOf(const std::string& relative) {
  const std::string first = relative.substr(0, relative.find('/'));
  for (const char* tree : kPackTrees) {
    if (first != relative && AsciiEqualsIgnoringCase(first, tree)) return tree;
  }
  return "";
}

int TreeRank(const std::string& tree) {
  for (int i = 0; i < 3; ++i) {
    if (tree == kPackTrees[i]) return i + 1;
  }
  return 0;
}

std::string Place(const PackFinding& f) {
  std::string place = f.tree.empty()   ? f.path
                      : f.path.empty() ? f.tree
                                       : f.tree + "/" + f.path;
  if (f.line > 0) place += ":" + std::to_string(f.line);
  return place;
}

const char* SeverityName(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

std::string Json(const fs::path& folder,
                 const std::vector<PackFinding>& findings, int errors,
                 int warnings) {
  nlohmann::ordered_json findings_json = nlohmann::ordered_json::array();
  for (const PackFinding& f : findings) {
    findings_json.push_back({{"rule", f.rule},
                             {"severity", SeverityName(f.severity)},
                             {"tree", f.tree},
                             {"path", f.path},
                             {"line", f.line},
                             {"message", f.message}});
  }
  const std::u8string pack = folder.u8string();
  const nlohmann::ordered_json report = {
      {"kind", "pack-check"},
      {"pack", std::string(pack.begin(), pack.end())},
      {"findings", findings_json},
      {"errors", errors},
      {"warnings", warnings}};
  // Invalid UTF-8 in a name (a Linux file name may be any bytes) is kept
  // readable rather than failing the whole report.
  return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
         "\n";
}

}  // namespace

std::vector<PackFinding> CheckPack(const std::vector<PackEntry>& entries,
                                   const PackToolIo& io) {
  Findings findings;
  const PackEntry* ini = nullptr;
  const PackEntry* txt = nullptr;
  std::vector<TreeEntry> tree_entries;
  std::map<std::pair<std::string, std::string>, std::size_t> order;
  for (const PackEntry& entry : entries) {
    const std::string tree = TreeOf(entry.relative);
    if (tree.empty()) {
      if (AsciiEqualsIgnoringCase(entry.relative, "Rolvex.ini")) ini = &entry;
      if (AsciiEqualsIgnoringCase(entry.relative, "Rolvex.txt")) txt = &entry;
      continue;
    }
    const std::string path =
        entry.relative.substr(entry.relative.find('/') + 1);
    order.emplace(std::pair(tree, path), order.size() + 1);
    tree_entries.push_back(
        {&entry, tree, path, path.substr(path.rfind('/') + 1)});
  }
  CheckSettings(ini, txt, findings);
  CheckNames(tree_entries, io, findings);
  CheckEntries(tree_entries, io.now, findings);
  for (const TreeEntry& e : tree_entries) {
    if (e.tree != "Ini" || e.entry->kind != PackEntry::Kind::kFile) continue;
    std::string bytes;
    if (!ReadHostFile(e.entry->host, bytes)) {
      findings.Error("file-unreadable", e.tree, e.path, 0,
                     "the file cannot be read");
      continue;
    }
    CheckIniFile(e.path, bytes, findings);
  }
  // Each place's findings together, places in the listing's order.
  std::vector<PackFinding>& list = findings.list();
  const auto rank = [&](const PackFinding& f) {
    const auto it = order.find(std::pair(f.tree, f.path));
    return std::tuple(TreeRank(f.tree), it == order.end() ? 0 : it->second,
                      f.line);
  };
  std::stable_sort(list.begin(), list.end(),
                   [&](const PackFinding& a, const PackFinding& b) {
                     return rank(a) < rank(b);
                   });
  return std::move(list);
}

int RunCheck(const fs::path& folder, const std::string& json_file,
             const PackToolIo& io) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    const std::u8string name = folder.u8string();
    io.err << "rolvex-pack: no folder "
           << io.to_terminal(std::string(name.begin(), name.end())) << '\n';
    return kPackNotRun;
  }
  std::vector<PackEntry> entries;
  if (const std::string stop = ListPack(folder, entries); !stop.empty()) {
    io.err << "rolvex-pack: " << io.to_terminal(stop) << '\n';
    return kPackNotRun;
  }
  const std::vector<PackFinding> findings = CheckPack(entries, io);
  int errors = 0;
  for (const PackFinding& f : findings) {
    if (f.severity == Severity::kError) ++errors;
    std::ostringstream line;
    line << std::left << std::setw(8) << SeverityName(f.severity)
         << std::setw(26) << f.rule << ' ' << Place(f) << ": " << f.message;
    io.out << io.to_terminal(line.str()) << '\n';
  }
  const int warnings = static_cast<int>(findings.size()) - errors;
  io.out << errors << (errors == 1 ? " error, " : " errors, ") << warnings
         << (warnings == 1 ? " warning" : " warnings") << '\n';
  if (!json_file.empty()) {
    const fs::path file(std::u8string(json_file.begin(), json_file.end()));
    if (const std::string bad =
            WriteHostFile(file, Json(folder, findings, errors, warnings));
        !bad.empty()) {
      io.err << "rolvex-pack: " << io.to_terminal(json_file) << ' ' << bad
             << '\n';
      return kPackNotRun;
    }
  }
  return errors > 0 ? kPackFindings : kPackClean;
}

}  // namespace rolvex
