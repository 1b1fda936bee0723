#include "platform/file_system.h"

#include <utility>

#include "platform/run_error.h"
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

namespace {

class AppendLineEach : public LineAppender {
 public:
  AppendLineEach(FileSystem& files, std::string path)
      : files_(files), path_(std::move(path)) {}
  void Append(const std::string& line) override {
    files_.AppendLine(path_, line);
  }

 private:
  FileSystem& files_;
  std::string path_;
};

class CopyEach : public KeepFolder {
 public:
  CopyEach(FileSystem& files, std::string folder)
      : files_(files), folder_(std::move(folder)) {}
  std::int64_t Keep(const std::string& path, const std::string& name) override {
    const std::string copy = folder_ + "\\" + name;
    files_.FileCopy(path, copy);
    return files_.FileLen(copy);
  }

 private:
  FileSystem& files_;
  std::string folder_;
};

}  // namespace

std::unique_ptr<LineAppender> FileSystem::OpenAppender(
    const std::string& path) {
  return std::make_unique<AppendLineEach>(*this, path);
}

std::int64_t FileSystem::FileLen(const std::string& path) {
  std::int64_t length = 0;
  ReadContent(path, [&](const char*, std::size_t size) {
    length += static_cast<std::int64_t>(size);
  });
  return length;
}

std::unique_ptr<KeepFolder> FileSystem::OpenKeepFolder(
    const std::string& folder) {
  if (!(GetAttr(folder) & kAttrDirectory)) throw RunError::Of(kErrPathNotFound);
  return std::make_unique<CopyEach>(*this, folder);
}

}  // namespace rolvex
