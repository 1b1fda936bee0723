// rolvex-pack and RolvexPack.exe: check a pack before it ships, seal it,
// and verify it against its seal.
//
//   check FOLDER [--json FILE]  0 clean, 1 errors found, 2 could not run
//   seal FOLDER                 writes FOLDER/Rolvex.sha256; 0 or 2
//   verify FOLDER               0 as sealed, 1 differences, 2 could not run
//   --help                      the usage, 0; any other words: the usage, 2
#ifndef ROLVEX_PACK_PACK_TOOL_H_
#define ROLVEX_PACK_PACK_TOOL_H_

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace rolvex {

inline constexpr int kPackClean = 0;
inline constexpr int kPackFindings = 1;
inline constexpr int kPackNotRun = 2;

// What the program's composition root hands the tool.
struct PackToolIo {
  std::ostream& out;
  std::ostream& err;
  // UTF-8 text as the terminal shows it.
  std::function<std::string(const std::string&)> to_terminal;
  // True when the PC's code page can name `utf8` (a file name).
  std::function<bool(const std::string& utf8)> pc_code_page_names;
  // Seconds since 1970 UTC now.
  std::int64_t now = 0;
};

// `args` are the words after the program's name, in UTF-8.
int RunPackTool(const std::vector<std::string>& args, const PackToolIo& io);

}  // namespace rolvex

#endif  // ROLVEX_PACK_PACK_TOOL_H_
