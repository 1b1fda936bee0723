// The checks a pack is put through before it ships.
#ifndef ROLVEX_PACK_PACK_CHECK_H_
#define ROLVEX_PACK_PACK_CHECK_H_

#include <filesystem>
#include <string>

#include "pack/pack_tool.h"

namespace rolvex {

// `check FOLDER [--json FILE]`: reports every finding, human-readable on
// io.out and, with a `json_file`, in that file. Returns kPackClean,
// kPackFindings (at least one error) or kPackNotRun.
int RunCheck(const std::filesystem::path& folder, const std::string& json_file,
             const PackToolIo& io);

}  // namespace rolvex

#endif  // ROLVEX_PACK_PACK_CHECK_H_
