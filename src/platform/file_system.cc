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

}  // namespace rolvex
