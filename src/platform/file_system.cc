#include "platform/file_system.h"

#include "platform/sha256.h"

namespace rolvex {

void FileSystem::FileCopyAdmitted(const std::string& source,
                                  const std::string& target,
                                  const CopyAdmission& admit) {
  Sha256 digest;
  ReadContent(source, [&](const char* data, std::size_t size) {
    digest.Update(data, size);
  });
  admit(digest.HexDigest());
  FileCopy(source, target);
}

std::int64_t FileSystem::FileLen(const std::string& path) {
  std::int64_t length = 0;
  ReadContent(path, [&](const char*, std::size_t size) {
    length += static_cast<std::int64_t>(size);
  });
  return length;
}

std::int64_t FileSystem::KeepCopy(const std::string& path,
                                  const std::string& copy_path) {
  FileCopy(path, copy_path);
  return FileLen(copy_path);
}

}  // namespace rolvex
