#include "pack/pack_tool.h"

#include <filesystem>
#include <system_error>

#include "pack/pack_check.h"
#include "pack/pack_tree.h"
#include "settings/pack_seal.h"

namespace rolvex {
namespace {

namespace fs = std::filesystem;

constexpr char kUsage[] =
    "usage: rolvex-pack check FOLDER [--json FILE]\n"
    "       rolvex-pack seal FOLDER\n"
    "       rolvex-pack verify FOLDER\n";

fs::path HostPath(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// True when `folder` is a folder; else false, with the reason on io.err.
bool IsPack(const fs::path& folder, const PackToolIo& io) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    io.err << "rolvex-pack: no folder "
           << io.to_terminal(
                  reinterpret_cast<const char*>(folder.u8string().c_str()))
           << '\n';
    return false;
  }
  return true;
}

// The files the seal lists, with their digests; false (reported) when one
// cannot be sealed.
bool DigestPack(const fs::path& folder, std::vector<SealLine>& lines,
                const PackToolIo& io) {
  std::vector<PackEntry> entries;
  if (const std::string stop = ListPack(folder, entries); !stop.empty()) {
    io.err << "rolvex-pack: " << io.to_terminal(stop) << '\n';
    return false;
  }
  bool whole = true;
  for (const PackEntry& entry : entries) {
    if (entry.kind == PackEntry::Kind::kFolder) continue;
    if (entry.kind == PackEntry::Kind::kOther) {
      io.err << "rolvex-pack: " << io.to_terminal(entry.relative)
             << " is no file (a pipe, a device or a broken link)\n";
      whole = false;
      continue;
    }
    std::string error;
    std::string digest = HostFileSha256(entry.host, error);
    if (digest.empty()) {
      io.err << "rolvex-pack: " << io.to_terminal(entry.relative) << ' '
             << error << '\n';
      whole = false;
      continue;
    }
    lines.push_back({std::move(digest), entry.relative});
  }
  return whole;
}

int Seal(const fs::path& folder, const PackToolIo& io) {
  if (!IsPack(folder, io)) return kPackNotRun;
  std::vector<SealLine> lines;
  if (!DigestPack(folder, lines, io)) return kPackNotRun;
  const std::string text = FormatSeal(std::move(lines));
  if (const std::string problem = WriteHostFile(folder / kSealFileName, text);
      !problem.empty()) {
    io.err << "rolvex-pack: " << kSealFileName << ' ' << problem << '\n';
    return kPackNotRun;
  }
  io.out << "sealed " << std::count(text.begin(), text.end(), '\n')
         << " files in " << kSealFileName << '\n';
  return kPackClean;
}

int Verify(const fs::path& folder, const PackToolIo& io) {
  if (!IsPack(folder, io)) return kPackNotRun;
  std::string text;
  if (!ReadHostFile(folder / kSealFileName, text)) {
    io.err << "rolvex-pack: the pack has no " << kSealFileName << '\n';
    return kPackNotRun;
  }
  std::vector<SealLine> sealed;
  if (const std::string bad = ParseSeal(text, sealed); !bad.empty()) {
    io.err << "rolvex-pack: " << kSealFileName << ": " << bad << '\n';
    return kPackNotRun;
  }
  const PackSeal seal(std::move(sealed));
  std::vector<SealLine> found;
  const bool whole = DigestPack(folder, found, io);
  std::vector<bool> met(seal.lines().size(), false);
  int differences = 0;
  for (const SealLine& file : found) {
    const SealLine* line = seal.Find(file.path);
    if (line == nullptr) {
      io.out << "not listed  " << io.to_terminal(file.path) << '\n';
      ++differences;
      continue;
    }
    met[line - seal.lines().data()] = true;
    if (line->digest != file.digest) {
      io.out << "changed     " << io.to_terminal(file.path) << '\n';
      ++differences;
    }
  }
  for (std::size_t i = 0; i < met.size(); ++i) {
    if (met[i]) continue;
    io.out << "missing     " << io.to_terminal(seal.lines()[i].path) << '\n';
    ++differences;
  }
  if (!whole) return kPackNotRun;
  if (differences == 0) {
    io.out << "all " << found.size() << " files as sealed\n";
    return kPackClean;
  }
  io.out << differences << (differences == 1 ? " difference" : " differences")
         << " from the seal\n";
  return kPackFindings;
}

}  // namespace

int RunPackTool(const std::vector<std::string>& args, const PackToolIo& io) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    io.out << kUsage;
    return kPackClean;
  }
  if (args.size() == 2 && args[0] == "seal") {
    return Seal(HostPath(args[1]), io);
  }
  if (args.size() == 2 && args[0] == "verify") {
    return Verify(HostPath(args[1]), io);
  }
  if (!args.empty() && args[0] == "check") {
    if (args.size() == 2) return RunCheck(HostPath(args[1]), "", io);
    if (args.size() == 4 && args[2] == "--json") {
      return RunCheck(HostPath(args[1]), args[3], io);
    }
  }
  io.err << kUsage;
  return kPackNotRun;
}

}  // namespace rolvex
