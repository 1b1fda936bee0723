// Names, letter case, placeholders and path lengths of the trees' entries.
#include <map>
#include <string>
#include <vector>

#include "pack/pack_checks.h"
#include "platform/rules/ascii_text.h"
#include "settings/directory_parameters.h"
#include "settings/target_path.h"

namespace rolvex {
namespace {

// Windows' MAX_PATH: a file's path holds at most 259 characters; a folder's
// at most 247, so that an 8.3 name still fits into it.
constexpr std::size_t kMaxFilePath = 259;
constexpr std::size_t kMaxFolderPath = 247;

// The device names Windows opens instead of a file, whatever follows the
// first dot.
bool IsDeviceName(const std::string& name) {
  const std::string base = AsciiUpperCase(name.substr(0, name.find('.')));
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") {
    return true;
  }
  return base.size() == 4 &&
         (base.starts_with("COM") || base.starts_with("LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

// The first character no Windows name may hold, or 0.
char ForbiddenCharacter(const std::string& name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return c;
    if (std::string_view("<>:\"|?*\\").find(c) != std::string_view::npos) {
      return c;
    }
  }
  return 0;
}

std::string Shown(char c) {
  if (static_cast<unsigned char>(c) >= 0x20) return Quoted(std::string(1, c));
  return "control character " + std::to_string(static_cast<int>(c));
}

std::string Windows(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Characters as Windows counts them for MAX_PATH: UTF-16 code units (a
// character beyond U+FFFF counts twice).
std::size_t WindowsLength(const std::string& utf8) {
  std::size_t length = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) ++length;  // a character starts
    if (c >= 0xF0) ++length;           // four bytes: a surrogate pair
  }
  return length;
}

void CheckOwnName(const TreeEntry& e, const PackToolIo& io,
                  Findings& findings) {
  if (IsDeviceName(e.name)) {
    findings.Error("name-reserved", e.tree, e.path, 0,
                   Quoted(e.name.substr(0, e.name.find('.'))) +
                       " is a device name on Windows, which opens the device "
                       "instead of this entry");
  }
  if (const char c = ForbiddenCharacter(e.name); c != 0) {
    findings.Error(
        "name-character", e.tree, e.path, 0,
        "the name holds " + Shown(c) + ", which no Windows name may hold");
  }
  if (e.name.ends_with('.') || e.name.ends_with(' ')) {
    findings.Error("name-trailing", e.tree, e.path, 0,
                   "the name ends in a dot or blank, which Windows drops, so "
                   "it names another entry");
  }
  if (io.pc_code_page_names && !io.pc_code_page_names(e.name)) {
    findings.Error("name-code-page", e.tree, e.path, 0,
                   "the name has characters the PC's code page lacks, so the "
                   "installer cannot name it");
  }
}

// Placeholders whose closing "$" stands in the entry's own name, paired as
// ErsetzeEnvironment pairs them: the built-in values hold no "$", so each
// pair is the next two "$" of the path.
void CheckPlaceholders(const TreeEntry& e, const DirectoryParameters& known,
                       Findings& findings) {
  const std::string path = Windows(e.path);
  const std::size_t own = path.size() - e.name.size();
  for (std::size_t a = path.find('$'); a != std::string::npos;) {
    const std::size_t c = path.find('$', a + 1);
    if (c == std::string::npos) break;
    const std::string name = path.substr(a + 1, c - a - 1);
    bool found = name.empty();  // "$$" names the empty row 12: it goes
    for (int row = 1; !found && row <= kDirectoryParameterCount; ++row) {
      found = AsciiEqualsIgnoringCase(name, known.row(row).name);
    }
    if (!found && c >= own) {
      findings.Error("placeholder-unknown", e.tree, e.path, 0,
                     Quoted("$" + name + "$") +
                         " is no placeholder the installer knows; it stays "
                         "in the target path as written");
    }
    a = path.find('$', c + 1);
  }
}

}  // namespace

void CheckNames(const std::vector<TreeEntry>& entries, const PackToolIo& io,
                Findings& findings) {
  DirectoryParameters defaults;
  SetDefaultDirectoryParameters(defaults);
  // Each folder's names by their upper-cased spelling: the first one met.
  std::map<std::string, std::string> spelt;
  // Folders already too long: what lies below them is too long as well.
  std::vector<std::string> too_long;
  for (const TreeEntry& e : entries) {
    CheckOwnName(e, io, findings);
    const std::string parent =
        e.tree + "/" + e.path.substr(0, e.path.size() - e.name.size());
    const auto [first, fresh] =
        spelt.emplace(parent + AsciiUpperCase(e.name), e.name);
    if (!fresh) {
      findings.Error("name-case", e.tree, e.path, 0,
                     "differs from " + Quoted(first->second) +
                         " in the same folder only in letter case, which "
                         "Windows takes as the same name");
    }
    CheckPlaceholders(e, defaults, findings);

    bool below_reported = false;
    for (const std::string& folder : too_long) {
      below_reported = below_reported || e.path.starts_with(folder);
    }
    if (below_reported) continue;
    const bool folder = e.entry->kind == PackEntry::Kind::kFolder;
    const std::string target = TargetPath(defaults, Windows(e.path));
    const std::size_t length = WindowsLength(target);
    const std::size_t most = folder ? kMaxFolderPath : kMaxFilePath;
    if (length > most) {
      findings.Error("path-too-long", e.tree, e.path, 0,
                     "its target " + target + " has " + std::to_string(length) +
                         " characters, more than " + std::to_string(most) +
                         " that Windows allows for a " +
                         (folder ? "folder" : "file"));
      if (folder) too_long.push_back(e.path + "/");
    }
  }
}

}  // namespace rolvex
