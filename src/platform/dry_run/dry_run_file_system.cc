#include "platform/dry_run/dry_run_file_system.h"

#include <optional>
#include <set>
#include <utility>

#include "platform/rules/ascii_text.h"
#include "platform/rules/buffer_item_reader.h"
#include "platform/rules/directory_search.h"
#include "platform/rules/windows_path.h"

namespace rolvex {
namespace {

constexpr int kSettable =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;
// Hidden, system and folder: a search with this mask delivers everything.
constexpr int kEverything = kAttrHidden | kAttrSystem | kAttrDirectory;

std::string LastComponent(const std::string& path) {
  const std::string read = DryRunFileSystem::AsRead(path);
  const std::size_t slash = read.find_last_of('\\');
  return slash == std::string::npos ? read : read.substr(slash + 1);
}

// The folder part of `path`, "" when it has none.
std::string ParentPath(const std::string& path) {
  std::string read = DryRunFileSystem::AsRead(path);
  while (read.size() > 3 && read.back() == '\\') read.pop_back();
  const std::size_t slash = read.find_last_of('\\');
  if (slash == std::string::npos || read.size() <= 3) return "";
  return read.substr(0, slash);
}

// A drive named alone ("C:") is asked about as its root ("C:\").
std::string RealForm(const std::string& path) {
  if (path.size() == 2 && path[1] == ':') return path + "\\";
  return path;
}

int Bits(bool folder, int attributes) {
  return attributes | (folder ? kAttrDirectory : 0);
}

}  // namespace

DryRunFileSystem::DryRunFileSystem(FileSystem& real, FileProbe& probe)
    : real_(real), probe_(probe) {}

std::string DryRunFileSystem::AsRead(const std::string& path) {
  std::optional<WindowsPath> read = ReadWindowsPath(path, "");
  if (!read) return path;
  read->folder = false;
  return read->Text();
}

std::string DryRunFileSystem::Key(const std::string& path) {
  std::string key = AsciiUpperCase(AsRead(path));
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

DryRunFileSystem::Entry DryRunFileSystem::Lookup(const std::string& path) {
  const auto it = entries_.find(Key(path));
  if (it != entries_.end()) return it->second;
  Entry entry;
  try {
    const int bits = real_.GetAttr(RealForm(path));
    entry.exists = true;
    entry.folder = (bits & kAttrDirectory) != 0;
    entry.attributes = bits & ~kAttrDirectory;
    entry.original = true;
    if (!entry.folder) entry.content_of = path;
  } catch (const RunError& error) {
    entry.missing = error;
    // Inside a folder the run would have made, the path is merely missing.
    const std::string parent = ParentPath(path);
    if (error.number() == kErrPathNotFound && !parent.empty() &&
        entries_.count(Key(parent)) != 0 && FolderExists(parent)) {
      entry.missing = RunError::Of(kErrFileNotFound);
    }
  }
  return entry;
}

DryRunFileSystem::Entry& DryRunFileSystem::Materialize(
    const std::string& path) {
  const std::string key = Key(path);
  const auto it = entries_.find(key);
  if (it != entries_.end()) return it->second;
  Entry entry = Lookup(path);
  entry.name = LastComponent(path);
  if (entry.exists) {
    const std::string stored = real_.Dir(RealForm(path), kEverything);
    if (!stored.empty()) entry.name = stored;
  }
  return entries_[key] = std::move(entry);
}

bool DryRunFileSystem::FolderExists(const std::string& path) {
  const Entry entry = Lookup(path);
  return entry.exists && entry.folder;
}

bool DryRunFileSystem::IsReadOnlyFile(const std::string& path) {
  const Entry entry = Lookup(path);
  return entry.exists && !entry.folder &&
         (entry.attributes & kAttrReadOnly) != 0;
}

bool DryRunFileSystem::HeldInUse(const std::string& path) {
  const Entry entry = Lookup(path);
  return entry.exists && !entry.folder && entry.original && probe_.InUse(path);
}

void DryRunFileSystem::RequireParentFolder(const std::string& path) {
  const std::string parent = ParentPath(path);
  if (parent.empty() || !FolderExists(parent)) {
    throw RunError::Of(kErrPathNotFound);
  }
}

bool DryRunFileSystem::HasRecordedChild(const std::string& folder_key) const {
  const std::string prefix = folder_key + "\\";
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
       ++it) {
    if (it->first.find('\\', prefix.size()) == std::string::npos) return true;
  }
  return false;
}

std::vector<std::string> DryRunFileSystem::RealNames(const std::string& path,
                                                     int mask) {
  std::vector<std::string> names;
  for (std::string name = real_.Dir(path, mask); !name.empty();
       name = real_.DirNext()) {
    names.push_back(name);
  }
  return names;
}

// A pattern search: the real folder's names, with the recorded entries of
// the folder put in, taken out or filtered by their recorded attributes.
std::vector<std::string> DryRunFileSystem::Search(const std::string& path,
                                                  int mask) {
  const std::string folder = ParentPath(path);
  const std::string pattern = LastComponent(path);
  const std::string folder_key = Key(folder);
  const auto folder_entry = entries_.find(folder_key);
  if (!HasRecordedChild(folder_key) && folder_entry == entries_.end()) {
    return RealNames(path, mask);
  }
  const std::vector<std::string> masked = RealNames(path, mask);
  std::set<std::string> passing;
  for (const std::string& name : masked) passing.insert(AsciiUpperCase(name));

  std::vector<std::string> names;
  std::set<std::string> listed;
  for (const std::string& name : RealNames(path, kEverything)) {
    const std::string upper = AsciiUpperCase(name);
    listed.insert(upper);
    const auto it = name == "." || name == ".."
                        ? entries_.end()
                        : entries_.find(folder_key + "\\" + upper);
    if (it == entries_.end()) {
      if (passing.count(upper) != 0) names.push_back(name);
    } else if (it->second.exists &&
               PassesMask(Bits(it->second.folder, it->second.attributes),
                          mask)) {
      names.push_back(it->second.name);
    }
  }
  const std::string prefix = folder_key + "\\";
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
       ++it) {
    const Entry& entry = it->second;
    const std::string upper = it->first.substr(prefix.size());
    if (upper.find('\\') != std::string::npos || listed.count(upper) != 0 ||
        !entry.exists || !WildcardMatches(pattern, entry.name) ||
        !PassesMask(Bits(entry.folder, entry.attributes), mask)) {
      continue;
    }
    names.push_back(entry.name);
  }
  // A folder the run makes lists its "." and ".." as every other does.
  if (folder_entry != entries_.end() && folder_entry->second.exists &&
      folder_entry->second.folder && !folder_entry->second.original &&
      PassesMask(kAttrDirectory, mask)) {
    for (const char* dots : {".", ".."}) {
      if (WildcardMatches(pattern, dots)) names.push_back(dots);
    }
  }
  SortNtfs(names);
  return names;
}

std::string DryRunFileSystem::Dir(const std::string& path, int mask) {
  found_.clear();
  next_ = 0;
  if (IsWildcardPattern(LastComponent(path))) {
    found_ = Search(path, mask);
  } else {
    const auto it = entries_.find(Key(path));
    if (it == entries_.end()) {
      found_ = RealNames(path, mask);
    } else if (it->second.exists &&
               PassesMask(Bits(it->second.folder, it->second.attributes),
                          mask)) {
      found_.push_back(it->second.name);
    }
  }
  return DirNext();
}

std::string DryRunFileSystem::DirNext() {
  if (next_ >= found_.size()) return "";
  return found_[next_++];
}

int DryRunFileSystem::GetAttr(const std::string& path) {
  const Entry entry = Lookup(path);
  if (!entry.exists) throw entry.missing;
  return Bits(entry.folder, entry.attributes);
}

void DryRunFileSystem::SetAttr(const std::string& path, int attributes) {
  Entry& entry = Materialize(path);
  if (!entry.exists) throw entry.missing;
  entry.attributes =
      (attributes & kSettable) | (entry.attributes & kAttrReparsePoint);
  changes_.push_back(
      {FileChange::Kind::kAttributesSet, path, "", attributes & kSettable});
}

void DryRunFileSystem::FileCopy(const std::string& source,
                                const std::string& target) {
  const Entry from = Lookup(source);
  if (!from.exists) throw from.missing;
  if (from.folder || (from.original && probe_.NotAFile(source))) {
    throw RunError::Of(kErrPathFileAccess);
  }
  RequireParentFolder(target);
  const Entry to = Lookup(target);
  if (to.exists) {
    if (to.folder || (to.original && probe_.NotAFile(target))) {
      throw RunError::Of(kErrPathFileAccess);
    }
    if ((to.attributes & (kAttrReadOnly | kAttrHidden)) != 0 ||
        (to.original && probe_.InUse(target))) {
      throw RunError::Of(kErrPermissionDenied);
    }
  }
  if (!from.content_of.empty() && probe_.Unreadable(from.content_of)) {
    throw RunError::Of(kErrPermissionDenied);
  }
  FileTime time = 0;
  try {
    time = DateLastModified(source);
  } catch (const RunError&) {
    // The copy still happens; its time stamp is then not foreseen.
  }
  Entry& copy = Materialize(target);
  copy.exists = true;
  copy.folder = false;
  copy.attributes = from.attributes & kSettable;
  copy.time_known = true;
  copy.modified = time;
  copy.content_of = from.content_of;
  copy.original = false;
  changes_.push_back({FileChange::Kind::kFileCopied, target, source, 0});
}

std::string DryRunFileSystem::StageForRestart(const std::string& source,
                                              const std::string& target) {
  const Entry from = Lookup(source);
  if (!from.exists) throw from.missing;
  if (from.folder || (from.original && probe_.NotAFile(source))) {
    throw RunError::Of(kErrPathFileAccess);
  }
  RequireParentFolder(target);
  if (!from.content_of.empty() && probe_.Unreadable(from.content_of)) {
    throw RunError::Of(kErrPermissionDenied);
  }
  return source;
}

void DryRunFileSystem::Kill(const std::string& path) {
  const Entry entry = Lookup(path);
  if (!entry.exists) throw entry.missing;
  if (entry.folder) throw RunError::Of(kErrFileNotFound);
  if ((entry.attributes & kAttrReadOnly) != 0 ||
      (entry.original && probe_.InUse(path))) {
    throw RunError::Of(kErrPermissionDenied);
  }
  Entry& gone = Materialize(path);
  gone = Entry();
  changes_.push_back({FileChange::Kind::kFileDeleted, path, "", 0});
}

void DryRunFileSystem::MkDir(const std::string& path) {
  if (Lookup(path).exists) throw RunError::Of(kErrPathFileAccess);
  RequireParentFolder(path);
  Entry& made = Materialize(path);
  made = Entry();
  made.exists = true;
  made.folder = true;
  made.name = LastComponent(path);
  changes_.push_back({FileChange::Kind::kFolderCreated, path, "", 0});
}

void DryRunFileSystem::RmDir(const std::string& path) {
  const Entry entry = Lookup(path);
  if (!entry.exists) throw RunError::Of(kErrPathNotFound);
  if (!entry.folder) throw RunError::Of(kErrPathFileAccess);
  for (const std::string& name : Search(path + "\\*.*", 31)) {
    if (name != "." && name != "..") throw RunError::Of(kErrPathFileAccess);
  }
  Entry& gone = Materialize(path);
  gone = Entry();
  gone.missing = RunError::Of(kErrPathNotFound);
  changes_.push_back({FileChange::Kind::kFolderRemoved, path, "", 0});
}

FileTime DryRunFileSystem::DateLastModified(const std::string& path) {
  const Entry entry = Lookup(path);
  if (!entry.exists) throw entry.missing;
  if (entry.folder) throw RunError::Of(kErrFileNotFound);
  if (entry.time_known) return entry.modified;
  if (entry.original) return real_.DateLastModified(path);
  return entry.modified;
}

void DryRunFileSystem::AppendLine(const std::string& path,
                                  const std::string& line) {
  const Entry entry = Lookup(path);
  if (entry.exists) {
    if (entry.folder) throw RunError::Of(kErrPathFileAccess);
    if ((entry.attributes & kAttrReadOnly) != 0) {
      throw RunError::Of(kErrPermissionDenied);
    }
  } else {
    RequireParentFolder(path);
    MakeEmptyFile(path);
  }
  changes_.push_back({FileChange::Kind::kLineAppended, path, line, 0});
}

std::unique_ptr<ItemReader> DryRunFileSystem::OpenForInput(
    const std::string& path) {
  const Entry entry = Lookup(path);
  if (!entry.exists) throw entry.missing;
  if (entry.folder) throw RunError::Of(kErrPathFileAccess);
  if (!entry.content_of.empty()) return real_.OpenForInput(entry.content_of);
  std::string bytes;
  for (const std::string& line : LinesAppendedTo(path)) bytes += line + "\r\n";
  return std::make_unique<BufferItemReader>(std::move(bytes));
}

void DryRunFileSystem::ReadContent(
    const std::string& path,
    const std::function<void(const char*, std::size_t)>& chunk) {
  const Entry entry = Lookup(path);
  if (!entry.exists) throw entry.missing;
  if (entry.folder) throw RunError::Of(kErrPathFileAccess);
  if (!entry.content_of.empty()) {
    real_.ReadContent(entry.content_of, chunk);
    return;
  }
  for (const std::string& line : LinesAppendedTo(path)) {
    const std::string with_end = line + "\r\n";
    chunk(with_end.data(), with_end.size());
  }
}

std::vector<std::string> DryRunFileSystem::LinesAppendedTo(
    const std::string& path) const {
  const std::string key = Key(path);
  std::vector<std::string> lines;
  for (const FileChange& change : changes_) {
    if (change.kind == FileChange::Kind::kLineAppended &&
        Key(change.path) == key) {
      lines.push_back(change.other);
    }
  }
  return lines;
}

std::optional<std::string> DryRunFileSystem::ContentOf(
    const std::string& path) {
  const Entry entry = Lookup(path);
  if (!entry.exists || entry.folder) return std::nullopt;
  return entry.content_of;
}

void DryRunFileSystem::MakeEmptyFile(const std::string& path) {
  Entry& made = Materialize(path);
  made = Entry();
  made.exists = true;
  made.name = LastComponent(path);
  made.time_known = true;
}

void DryRunFileSystem::NoteWritten(const std::string& path) {
  if (!Lookup(path).exists) MakeEmptyFile(path);
  changes_.push_back({FileChange::Kind::kFileWritten, path, "", 0});
}

}  // namespace rolvex
