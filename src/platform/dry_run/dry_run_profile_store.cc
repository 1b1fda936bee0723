#include "platform/dry_run/dry_run_profile_store.h"

#include <optional>

#include "platform/rules/ascii_text.h"

namespace rolvex {

DryRunProfileStore::DryRunProfileStore(ProfileStore& real,
                                       DryRunFileSystem& files)
    : real_(real), files_(files) {}

std::string DryRunProfileStore::Key(const std::string& file) {
  return AsciiUpperCase(DryRunFileSystem::AsRead(file));
}

std::string DryRunProfileStore::GetString(const std::string& section,
                                          const std::string& key,
                                          const std::string& default_value,
                                          int buffer_size,
                                          const std::string& file) {
  const auto it = written_.find(Key(file));
  if (it != written_.end()) {
    std::optional<std::string> found = it->second.Find(section, key);
    if (found) return ProfileResult(found, default_value, buffer_size);
  }
  std::optional<std::string> content;
  try {
    content = files_.ContentOf(file);
  } catch (const std::exception&) {
    content.reset();  // an unreadable path reads as a missing file
  }
  if (!content || content->empty()) {
    return ProfileResult(std::nullopt, default_value, buffer_size);
  }
  return real_.GetString(section, key, default_value, buffer_size, *content);
}

bool DryRunProfileStore::WriteString(const std::string& section,
                                     const std::string& key,
                                     const std::string& value,
                                     const std::string& file) {
  try {
    if (files_.FolderExists(file) || files_.IsReadOnlyFile(file) ||
        files_.HeldInUse(file)) {
      return false;
    }
    if (!files_.ContentOf(file)) {
      const std::size_t slash = file.find_last_of('\\');
      if (slash == std::string::npos ||
          !files_.FolderExists(file.substr(0, slash))) {
        return false;
      }
    }
    IniDocument& written = written_[Key(file)];
    if (!written.Set(section, key, value)) return false;
    files_.NoteWritten(file);
    writes_.push_back({file, section, key, value});
    return true;
  } catch (const std::exception&) {
    return false;  // a path the file layer refuses is a refused write
  }
}

}  // namespace rolvex
