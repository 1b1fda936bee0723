#include "fakes/memory_file_system.h"

#include "platform/rules/ascii_text.h"
#include "platform/rules/buffer_item_reader.h"
#include "platform/rules/directory_search.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int AttributesOf(const MemoryFileSystem::Node& node) {
  return node.attributes | (node.folder ? kAttrDirectory : 0);
}

}  // namespace

std::string MemoryFileSystem::Key(const std::string& path) {
  std::string key = AsciiUpperCase(path);
  while (key.size() > 2 && key.back() == '\\') key.pop_back();
  return key;
}

std::string MemoryFileSystem::Parent(const std::string& key) {
  const std::size_t slash = key.rfind('\\');
  return slash == std::string::npos ? "" : key.substr(0, slash);
}

bool MemoryFileSystem::FolderExists(const std::string& key) {
  if (key.size() == 2 && key[1] == ':') return drives_.count(key[0]) != 0;
  auto it = nodes_.find(key);
  return it != nodes_.end() && it->second.folder;
}

bool MemoryFileSystem::DriveExists(const std::string& path) const {
  return path.size() >= 2 && path[1] == ':' &&
         drives_.count(AsciiUpper(path[0])) != 0;
}

void MemoryFileSystem::AddDrive(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') drives_.insert(AsciiUpper(path[0]));
}

void MemoryFileSystem::AddFolder(const std::string& path, int attributes) {
  AddDrive(path);
  const std::string key = Key(path);
  if (key.size() <= 2) return;
  if (!FolderExists(Parent(key))) AddFolder(path.substr(0, path.rfind('\\')));
  Node& node = nodes_[key];
  node.path = path;
  node.folder = true;
  node.attributes = attributes;
}

MemoryFileSystem::Node& MemoryFileSystem::AddFile(const std::string& path,
                                                  const std::string& content,
                                                  FileTime modified,
                                                  int attributes) {
  const std::string folder = path.substr(0, path.rfind('\\'));
  if (!FolderExists(Key(folder))) AddFolder(folder);
  Node& node = nodes_[Key(path)];
  node = Node{};
  node.path = path;
  node.content = content;
  node.modified = modified;
  node.attributes = attributes;
  return node;
}

MemoryFileSystem::Node* MemoryFileSystem::Find(const std::string& path) {
  auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

std::vector<std::string> MemoryFileSystem::Lines(const std::string& path) {
  std::vector<std::string> lines;
  Node* node = Find(path);
  if (node == nullptr) return lines;
  const std::string& text = node->content;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::vector<std::string> MemoryFileSystem::Search(const std::string& folder_key,
                                                  const std::string& pattern,
                                                  int mask) {
  std::vector<std::string> names;
  if (!FolderExists(folder_key)) return names;
  // A drive's root has no "." and "..", as on NTFS.
  if (folder_key.size() > 2 && PassesMask(kAttrDirectory, mask)) {
    for (const char* dot : {".", ".."}) {
      if (WildcardMatches(pattern, dot)) names.push_back(dot);
    }
  }
  for (const auto& [node_key, node] : nodes_) {
    const std::string name = NameOf(node.path);
    if (Parent(node_key) == folder_key && WildcardMatches(pattern, name) &&
        PassesMask(AttributesOf(node), mask)) {
      names.push_back(name);
    }
  }
  SortNtfs(names);
  return names;
}

std::string MemoryFileSystem::Dir(const std::string& path, int mask) {
  calls.push_back("Dir " + path);
  search_.clear();
  search_pos_ = 0;
  if (!DriveExists(path)) throw RunError::Of(kErrPathNotFound);
  const std::string last = NameOf(path);
  if (last.empty() || path.find('\\') == std::string::npos) return "";
  if (IsWildcardPattern(last)) {
    search_ = Search(Key(path.substr(0, path.rfind('\\'))), last, mask);
  } else if (Node* node = Find(path);
             node != nullptr && PassesMask(AttributesOf(*node), mask)) {
    search_.push_back(NameOf(node->path));
  }
  return DirNext();
}

std::string MemoryFileSystem::DirNext() {
  if (search_pos_ >= search_.size()) return "";
  return search_[search_pos_++];
}

int MemoryFileSystem::GetAttr(const std::string& path) {
  calls.push_back("GetAttr " + path);
  Node* node = Find(path);
  if (node == nullptr) {
    if (FolderExists(Key(path))) return kAttrDirectory;
    throw RunError::Of(kErrFileNotFound);
  }
  return AttributesOf(*node);
}

void MemoryFileSystem::SetAttr(const std::string& path, int attributes) {
  calls.push_back("SetAttr " + path);
  Node* node = Find(path);
  if (node == nullptr) {
    if (FolderExists(Key(path))) return;
    throw RunError::Of(kErrFileNotFound);
  }
  node->attributes =
      attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
}

void MemoryFileSystem::FileCopy(const std::string& source,
                                const std::string& target) {
  calls.push_back("FileCopy " + source + " -> " + target);
  Node* from = Find(source);
  if (from == nullptr || from->folder) throw RunError::Of(kErrFileNotFound);
  if (!FolderExists(Parent(Key(target)))) throw RunError::Of(kErrPathNotFound);
  Node* to = Find(target);
  if (to != nullptr) {
    if (to->folder) throw RunError::Of(kErrPathFileAccess);
    if (to->locked || (to->attributes & (kAttrReadOnly | kAttrHidden))) {
      throw RunError::Of(kErrPermissionDenied);
    }
  }
  const Node copy = *from;
  const std::string name = to != nullptr ? to->path : target;
  Node& made = nodes_[Key(target)];
  made = copy;
  made.path = name;
  made.locked = false;
}

std::string MemoryFileSystem::StageForRestart(const std::string& source,
                                              const std::string& target) {
  calls.push_back("StageForRestart " + source + " -> " + target);
  Node* from = Find(source);
  if (from == nullptr || from->folder) throw RunError::Of(kErrFileNotFound);
  if (!FolderExists(Parent(Key(target)))) throw RunError::Of(kErrPathNotFound);
  const std::string staged = target.substr(0, target.find_last_of('\\') + 1) +
                             "~rolvex-restart-" + std::to_string(++staged_);
  Node& made = nodes_[Key(staged)];
  made = *from;
  made.path = staged;
  made.locked = false;
  return staged;
}

void MemoryFileSystem::Kill(const std::string& path) {
  calls.push_back("Kill " + path);
  Node* node = Find(path);
  if (node == nullptr || node->folder) throw RunError::Of(kErrFileNotFound);
  if (node->locked || (node->attributes & kAttrReadOnly)) {
    throw RunError::Of(kErrPermissionDenied);
  }
  nodes_.erase(Key(path));
}

void MemoryFileSystem::MkDir(const std::string& path) {
  calls.push_back("MkDir " + path);
  if (!DriveExists(path)) throw RunError::Of(kErrPathNotFound);
  const std::string key = Key(path);
  if (Find(path) != nullptr || FolderExists(key)) {
    throw RunError::Of(kErrPathFileAccess);
  }
  if (!FolderExists(Parent(key))) throw RunError::Of(kErrPathNotFound);
  Node& node = nodes_[key];
  node.path = path;
  node.folder = true;
}

void MemoryFileSystem::RmDir(const std::string& path) {
  calls.push_back("RmDir " + path);
  const std::string key = Key(path);
  Node* node = Find(path);
  if (node == nullptr && !FolderExists(key)) {
    throw RunError::Of(kErrPathNotFound);
  }
  if (node != nullptr && !node->folder) throw RunError::Of(kErrPathFileAccess);
  for (const auto& [other, unused] : nodes_) {
    if (other.size() > key.size() && other.compare(0, key.size(), key) == 0 &&
        other[key.size()] == '\\') {
      throw RunError::Of(kErrPathFileAccess);
    }
  }
  nodes_.erase(key);
}

FileTime MemoryFileSystem::DateLastModified(const std::string& path) {
  calls.push_back("DateLastModified " + path);
  Node* node = Find(path);
  if (node == nullptr || node->folder) throw RunError::Of(kErrFileNotFound);
  return node->modified;
}

void MemoryFileSystem::AppendLine(const std::string& path,
                                  const std::string& line) {
  Node* node = Find(path);
  if (node == nullptr) {
    if (!FolderExists(Parent(Key(path)))) throw RunError::Of(kErrPathNotFound);
    node = &AddFile(path);
  } else if (node->folder) {
    throw RunError::Of(kErrPathFileAccess);
  } else if (node->locked || (node->attributes & kAttrReadOnly)) {
    throw RunError::Of(kErrPermissionDenied);
  }
  node->content += line + "\r\n";
}

std::unique_ptr<ItemReader> MemoryFileSystem::OpenForInput(
    const std::string& path) {
  calls.push_back("OpenForInput " + path);
  Node* node = Find(path);
  if (node == nullptr || node->folder) throw RunError::Of(kErrFileNotFound);
  if (node->unreadable) throw RunError::Of(kErrPermissionDenied);
  return std::make_unique<BufferItemReader>(node->content);
}

void MemoryFileSystem::ReadContent(
    const std::string& path,
    const std::function<void(const char*, std::size_t)>& chunk) {
  calls.push_back("ReadContent " + path);
  Node* node = Find(path);
  if (node == nullptr) throw RunError::Of(kErrFileNotFound);
  if (node->folder) throw RunError::Of(kErrPathFileAccess);
  if (node->unreadable) throw RunError::Of(kErrPermissionDenied);
  chunk(node->content.data(), node->content.size());
}

}  // namespace rolvex
