// A pack's own files as the pack tools see them on the machine the pack is
// built on: Rolvex.ini, Rolvex.txt and every entry of the three trees.
#ifndef ROLVEX_PACK_PACK_TREE_H_
#define ROLVEX_PACK_PACK_TREE_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace rolvex {

// The trees a pack installs, in the order the installer runs them.
inline constexpr const char* kPackTrees[] = {"Standard", "Register", "Ini"};

struct PackEntry {
  enum class Kind {
    kFile,
    kFolder,
    kOther
  };  // other: a pipe, a device,
      // a dangling link
  Kind kind = Kind::kFile;
  // Relative to the pack, "/" between names, in UTF-8: "Standard/$WinDir$/a".
  std::string relative;
  std::filesystem::path host;
  std::uintmax_t size = 0;     // files only
  std::int64_t modified = 0;   // seconds since 1970 UTC, files only
  bool linked_folder = false;  // a link to a folder: listed, not entered
};

// Lists `folder`: Rolvex.ini and Rolvex.txt when present, then each tree's
// entries, a folder before its contents, names in NTFS order. A link to a
// file counts as the file; a link to a folder is listed and not entered,
// as the installer's search does not enter it. Returns "" or what stopped
// the listing (an unreadable folder).
std::string ListPack(const std::filesystem::path& folder,
                     std::vector<PackEntry>& entries);

// The whole of a host file into `bytes`; false when it cannot be read.
bool ReadHostFile(const std::filesystem::path& file, std::string& bytes);

// Writes `text` to the host file `file`, beside and renamed over, so that a
// reader never sees half of it. Returns "" or what went wrong.
std::string WriteHostFile(const std::filesystem::path& file,
                          const std::string& text);

// The SHA-256 of a host file, as 64 lowercase hex digits; "" with `error`
// set when it cannot be read.
std::string HostFileSha256(const std::filesystem::path& file,
                           std::string& error);

}  // namespace rolvex

#endif  // ROLVEX_PACK_PACK_TREE_H_
