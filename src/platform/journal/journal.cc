#include "platform/journal/journal.h"

#include <cstdio>
#include <utility>

#include "platform/rules/ascii_text.h"
#include "platform/rules/file_time.h"
#include "platform/run_error.h"
#include "platform/sha256.h"

namespace rolvex {
namespace {

std::string CompactUtc(std::int64_t seconds) {
  const CivilTime utc = CivilFromFileTime(seconds, 0);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld%02d%02dT%02d%02d%02dZ",
                static_cast<long long>(utc.year), utc.month, utc.day, utc.hour,
                utc.minute, utc.second);
  return text;
}

bool IsMissing(const RunError& e) {
  return e.number() == kErrFileNotFound || e.number() == kErrPathNotFound;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace

Journal::Journal(FileSystem& files, std::string backup_folder,
                 std::function<std::int64_t()> now)
    : files_(files),
      backup_folder_(std::move(backup_folder)),
      now_(std::move(now)) {
  while (backup_folder_.size() > 3 && backup_folder_.back() == '\\') {
    backup_folder_.pop_back();
  }
}

void Journal::Open() {
  if (!folder_.empty()) return;
  // The backup folder and those above it that are missing.
  std::vector<std::string> missing;
  for (std::string f = backup_folder_; f.size() > 3;) {
    try {
      if (!(files_.GetAttr(f) & kAttrDirectory)) {
        throw RunError::Of(kErrPathFileAccess);
      }
      break;
    } catch (const RunError& e) {
      if (!IsMissing(e)) throw;
    }
    missing.push_back(f);
    const std::string up = ParentOf(f);
    if (up.empty() || up == f) break;
    f = up;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    files_.MkDir(*it);
  }
  const std::int64_t started = now_();
  const std::string stem = backup_folder_ + "\\run-" + CompactUtc(started);
  std::string folder;
  for (int n = 1;; ++n) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "-%02d", n);
    try {
      files_.MkDir(stem + suffix);
      folder = stem + suffix;
      break;
    } catch (const RunError& e) {
      if (e.number() != kErrPathFileAccess || n >= 99) throw;
    }
  }
  files_.MkDir(folder + "\\" + kJournalSavedFolder);
  saved_folder_ = files_.OpenKeepFolder(folder + "\\" + kJournalSavedFolder);
  appender_ = files_.OpenAppender(folder + "\\" + kJournalFileName);
  folder_ = folder;  // open from here on
  Append({kJournalHeader, std::to_string(kJournalFormat),
          std::to_string(started), pack_});
}

void Journal::Append(const JournalRecord& record) {
  Open();
  const std::string line = FormatJournalRecord(record);
  bytes_ += static_cast<std::int64_t>(line.size()) + 2;
  // What was left goes out with the next record that announces a change:
  // a kill can lose only the last of them, and the undo then takes what it
  // finds for what that change left.
  const std::string text = left_.empty() ? line : left_ + "\r\n" + line;
  left_.clear();
  appender_->Append(text);
}

// A failure of the journal's own writes, told as such: the change it was to
// guard is not made, and the log says why.
template <typename Write>
void Journal::Guarded(Write&& write) {
  try {
    write();
  } catch (const RunError& e) {
    if (e.source() == kJournalSource) throw;
    throw RunError(e.number(),
                   "Backup journal not written in " + backup_folder_ + ": " +
                       e.description(),
                   kJournalSource);
  }
}

void Journal::BeforeChange(const std::string& path) {
  if (touched_.count(AsciiUpperCase(path))) return;
  Guarded([&] { Record(path); });
  touched_.insert(AsciiUpperCase(path));
}

void Journal::Record(const std::string& path) {
  int attributes;
  try {
    attributes = files_.GetAttr(path);
  } catch (const RunError& e) {
    if (!IsMissing(e)) throw;
    Append({"none", path});
    return;
  }
  if (attributes & kAttrDirectory) {
    Append({"folder-attr", path, std::to_string(attributes)});
    return;
  }
  Open();
  const std::string n = std::to_string(++saved_);
  bytes_ += saved_folder_->Keep(path, n);
  Append({"file", path, n, std::to_string(attributes)});
}

void Journal::Made(const std::string& path) {
  Guarded([&] { Append({"none", path}); });
  touched_.insert(AsciiUpperCase(path));
  AfterChange(path);
}

void Journal::BeforeMkDir(const std::string& path) {
  Guarded([&] { Append({"folder", path}); });
  touched_.insert(AsciiUpperCase(path));
}

void Journal::AfterChange(const std::string& path, const std::string& digest) {
  if (folder_.empty()) return;
  try {
    std::string size = "-", time = "-";
    try {
      time = std::to_string(files_.DateLastModified(path));
      size = std::to_string(files_.FileLen(path));
    } catch (const RunError& e) {
      if (!IsMissing(e)) throw;
    }
    const std::string line = FormatJournalRecord(
        {"left", path, size, time, digest.empty() ? "-" : digest});
    bytes_ += static_cast<std::int64_t>(line.size()) + 2;
    left_ += left_.empty() ? line : "\r\n" + line;
  } catch (const std::exception&) {
    // Without it the undo takes what it finds for what the run left.
  }
}

void Journal::BeforeIniWrite(const std::string& file,
                             const std::string& section, const std::string& key,
                             const std::string& value) {
  BeforeChange(file);
  ini_files_.insert(file);
  Guarded([&] { Append({"entry", file, section, key, value}); });
}

void Journal::BeforeCommand(const std::string& command_line) {
  Guarded([&] { Append({"run", command_line}); });
}

void Journal::BeforeRestart(const std::string& staged,
                            const std::string& target) {
  BeforeChange(target);
  Guarded([&] { Append({"restart", staged, target}); });
}

void Journal::Close(int exit_status) {
  if (closed_ || folder_.empty()) return;
  closed_ = true;
  for (const std::string& file : ini_files_) {
    std::string digest;
    try {
      Sha256 sha;
      files_.ReadContent(file, [&](const char* data, std::size_t size) {
        sha.Update(data, size);
      });
      digest = sha.HexDigest();
    } catch (const std::exception&) {
    }
    AfterChange(file, digest);
  }
  try {
    Append({"end", std::to_string(exit_status)});
  } catch (const std::exception&) {
  }
}

}  // namespace rolvex
