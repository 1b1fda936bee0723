// The seal of a pack: Rolvex.sha256 in the pack's folder, one line for each
// file of the three trees and for Rolvex.ini and Rolvex.txt, in the format
// sha256sum writes and `sha256sum -c` reads:
//   <64 lowercase hex digits><blank><blank or "*"><path>
// The path is relative to the pack, with "/" between its names, in the bytes
// the pack's file system names it with. A name holding a backslash, CR or LF
// is escaped as GNU sha256sum does it: the line starts with "\" and the name
// has "\\", "\r" and "\n" in their places.
#ifndef ROLVEX_SETTINGS_PACK_SEAL_H_
#define ROLVEX_SETTINGS_PACK_SEAL_H_

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rolvex {

inline constexpr char kSealFileName[] = "Rolvex.sha256";

struct SealLine {
  std::string digest;  // 64 lowercase hex digits
  std::string path;    // relative, "/"-separated, unescaped
};

// The seal's text for `lines`: sorted by the bytes of their paths, so that
// the same files always give the same bytes; one "\n"-ended line each.
std::string FormatSeal(std::vector<SealLine> lines);

// Reads a seal's text into `lines`. Returns "" when every line is well
// formed, else one sentence naming the first line that is not. Lines may end
// in LF or CR LF; upper-case hex digits are read as lower-case.
std::string ParseSeal(std::string_view text, std::vector<SealLine>& lines);

// The digests of a read seal, looked up as Windows names files: with "\" or
// "/" between names and without regard to the case of ASCII letters. An exact
// spelling wins over another case of it.
class PackSeal {
 public:
  explicit PackSeal(std::vector<SealLine> lines);
  // The line of `relative`; nullptr when the seal does not list it.
  const SealLine* Find(std::string_view relative) const;
  const std::vector<SealLine>& lines() const { return lines_; }

 private:
  std::vector<SealLine> lines_;
  std::unordered_map<std::string, std::size_t> exact_;
  std::unordered_map<std::string, std::size_t> folded_;
};

}  // namespace rolvex

#endif  // ROLVEX_SETTINGS_PACK_SEAL_H_
