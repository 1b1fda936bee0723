#include "fakes/fake_settings.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/rules/ascii_text.h"
#include "platform/rules/ini_document.h"

namespace rolvex {
namespace {

// The folder part of a Windows path, "" for a bare name.
std::string FolderOf(const std::string& upper_path) {
  std::size_t slash = upper_path.find_last_of('\\');
  return slash == std::string::npos ? "" : upper_path.substr(0, slash);
}

bool IsDriveRoot(const std::string& folder) {
  return folder.size() == 2 && folder[1] == ':' &&
         AsciiUpper(folder[0]) >= 'A' && AsciiUpper(folder[0]) <= 'Z';
}

}  // namespace

std::optional<std::string> MemoryProfileStore::Find(
    const std::string& file, const std::string& section,
    const std::string& key) const {
  auto it = files_.find(AsciiUpperCase(file));
  if (it == files_.end()) return std::nullopt;
  return IniDocument(it->second).Find(section, key);
}

bool MemoryProfileStore::FolderExists(const std::string& file) const {
  const std::string folder = FolderOf(AsciiUpperCase(file));
  if (folder.empty() || IsDriveRoot(folder) || folders_.count(folder) != 0) {
    return true;
  }
  // A folder that holds a file, however deep, exists.
  auto it = files_.lower_bound(folder + '\\');
  return it != files_.end() && it->first.starts_with(folder + '\\');
}

std::string MemoryProfileStore::GetString(const std::string& section,
                                          const std::string& key,
                                          const std::string& default_value,
                                          int buffer_size,
                                          const std::string& file) {
  return ProfileResult(Find(file, section, key), default_value, buffer_size);
}

bool MemoryProfileStore::WriteString(const std::string& section,
                                     const std::string& key,
                                     const std::string& value,
                                     const std::string& file) {
  writes.push_back({section, key, value, file});
  const std::string id = AsciiUpperCase(file);
  if (std::find(failing_files.begin(), failing_files.end(), id) !=
      failing_files.end()) {
    return false;
  }
  auto it = files_.find(id);
  if (it == files_.end() && !FolderExists(file)) return false;
  IniDocument document(it == files_.end() ? "" : it->second);
  if (!document.Set(section, key, value)) return false;
  files_[id] = document.bytes();
  if (batch_ && batch_->first == id) ++batch_taken_;
  return true;
}

void MemoryProfileStore::BeginBatch(const std::string& file) {
  EndBatch();
  batches.push_back(file);
  batch_.emplace(AsciiUpperCase(file), FileBytes(file));
  batch_taken_ = 0;
}

bool MemoryProfileStore::EndBatch() {
  if (!batch_) return true;
  auto [id, before] = std::move(*batch_);
  batch_.reset();
  if (std::find(failing_write_backs.begin(), failing_write_backs.end(), id) ==
      failing_write_backs.end()) {
    return true;
  }
  if (before) {
    files_[id] = std::move(*before);
  } else {
    files_.erase(id);
  }
  return false;
}

void MemoryProfileStore::Set(const std::string& file,
                             const std::string& section, const std::string& key,
                             const std::string& value) {
  const std::optional<std::string> old = FileBytes(file);
  for (const std::string& text : {value, '"' + value + '"'}) {
    IniDocument document(old.value_or(""));
    if (document.Set(section, key, text) &&
        document.Find(section, key) == value) {
      SetFileBytes(file, document.bytes());
      return;
    }
  }
  throw std::invalid_argument("no ini line holds [" + section + "] " + key +
                              "=" + value);
}

std::string MemoryProfileStore::Get(const std::string& file,
                                    const std::string& section,
                                    const std::string& key) const {
  return Find(file, section, key).value_or("");
}

bool MemoryProfileStore::Has(const std::string& file,
                             const std::string& section,
                             const std::string& key) const {
  return Find(file, section, key).has_value();
}

std::optional<std::string> MemoryProfileStore::FileBytes(
    const std::string& file) const {
  auto it = files_.find(AsciiUpperCase(file));
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

void MemoryProfileStore::SetFileBytes(const std::string& file,
                                      std::string bytes) {
  files_[AsciiUpperCase(file)] = std::move(bytes);
}

void MemoryProfileStore::MakeFolder(const std::string& folder) {
  folders_.insert(AsciiUpperCase(folder));
}

std::string FakeEnvironment::Get(const std::string& name) {
  auto it = values_.find(AsciiUpperCase(name));
  return it == values_.end() ? "" : it->second;
}

void FakeEnvironment::Set(const std::string& name, const std::string& value) {
  values_[AsciiUpperCase(name)] = value;
}

}  // namespace rolvex
