#include "pack/pack_tree.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/rules/directory_search.h"
#include "platform/sha256.h"

namespace rolvex {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::int64_t Seconds(fs::file_time_type time) {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::file_clock::to_sys(time).time_since_epoch())
      .count();
}

// One entry at `host`, named `relative`; false when it vanished.
bool Describe(const fs::path& host, const std::string& relative,
              PackEntry& entry) {
  std::error_code error;
  const fs::file_status own = fs::symlink_status(host, error);
  if (error) return false;
  const fs::file_status target = fs::status(host, error);
  entry = PackEntry{};
  entry.relative = relative;
  entry.host = host;
  if (error || !fs::exists(target)) {
    entry.kind = PackEntry::Kind::kOther;
  } else if (fs::is_directory(target)) {
    entry.kind = PackEntry::Kind::kFolder;
    entry.linked_folder = fs::is_symlink(own);
  } else if (fs::is_regular_file(target)) {
    entry.kind = PackEntry::Kind::kFile;
    entry.size = fs::file_size(host, error);
    const auto time = fs::last_write_time(host, error);
    if (!error) entry.modified = Seconds(time);
  } else {
    entry.kind = PackEntry::Kind::kOther;
  }
  return true;
}

std::string ListFolder(const fs::path& host, const std::string& relative,
                       std::vector<PackEntry>& entries) {
  std::error_code error;
  std::vector<std::string> names;
  for (fs::directory_iterator it(host, error), end; !error && it != end;
       it.increment(error)) {
    names.push_back(Utf8(it->path().filename()));
  }
  if (error) return "cannot list " + Utf8(host) + ": " + error.message();
  SortNtfs(names);
  for (const std::string& name : names) {
    const fs::path child =
        host / fs::path(std::u8string(name.begin(), name.end()));
    PackEntry entry;
    if (!Describe(child, relative + "/" + name, entry)) continue;
    entries.push_back(entry);
    if (entry.kind == PackEntry::Kind::kFolder && !entry.linked_folder) {
      if (std::string stop = ListFolder(child, entry.relative, entries);
          !stop.empty()) {
        return stop;
      }
    }
  }
  return "";
}

// The name in `folder` that is `name` but for ASCII letter case, as the
// installer finds it; `name` itself when there is none.
fs::path Named(const fs::path& folder, const std::string& name) {
  std::error_code error;
  if (fs::exists(folder / name, error)) return folder / name;
  for (fs::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string found = Utf8(it->path().filename());
    if (!NtfsNameLess(found, name) && !NtfsNameLess(name, found)) {
      return it->path();
    }
  }
  return folder / name;
}

}  // namespace

std::string ListPack(const fs::path& folder, std::vector<PackEntry>& entries) {
  entries.clear();
  for (const char* own : {"Rolvex.ini", "Rolvex.txt"}) {
    PackEntry entry;
    const fs::path host = Named(folder, own);
    if (Describe(host, Utf8(host.filename()), entry)) entries.push_back(entry);
  }
  for (const char* tree : kPackTrees) {
    PackEntry entry;
    const fs::path host = Named(folder, tree);
    if (!Describe(host, tree, entry)) continue;
    if (entry.kind != PackEntry::Kind::kFolder) continue;
    if (std::string stop = ListFolder(host, Utf8(host.filename()), entries);
        !stop.empty()) {
      return stop;
    }
  }
  return "";
}

bool ReadHostFile(const fs::path& file, std::string& bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return false;
  bytes = std::move(text).str();
  return true;
}

std::string WriteHostFile(const fs::path& file, const std::string& text) {
  fs::path temporary = file;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return "cannot be written";
    }
  }
  std::error_code error;
  fs::rename(temporary, file, error);
  if (error) {
    fs::remove(temporary, error);
    return "cannot be written: " + error.message();
  }
  return "";
}

std::string HostFileSha256(const fs::path& file, std::string& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot be opened";
    return "";
  }
  Sha256 digest;
  std::vector<char> buffer(std::size_t{1} << 20);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (in.gcount() > 0) {
      digest.Update(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
  }
  if (in.bad()) {
    error = "cannot be read";
    return "";
  }
  return digest.HexDigest();
}

}  // namespace rolvex
