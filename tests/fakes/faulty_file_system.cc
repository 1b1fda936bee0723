#include "fakes/faulty_file_system.h"

#include "platform/rules/ascii_text.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

class FaultyReader : public ItemReader {
 public:
  FaultyReader(FaultyFileSystem& files, std::unique_ptr<ItemReader> inner,
               std::string path)
      : files_(files), inner_(std::move(inner)), path_(std::move(path)) {}
  bool AtEnd() override {
    files_.Check("AtEnd", path_);
    return inner_->AtEnd();
  }
  std::string ReadItem() override {
    files_.Check("ReadItem", path_);
    return inner_->ReadItem();
  }

 private:
  FaultyFileSystem& files_;
  std::unique_ptr<ItemReader> inner_;
  std::string path_;
};

}  // namespace

void FaultyFileSystem::Fail(const std::string& op, const std::string& path_part,
                            int number, int times) {
  rules_.push_back({op, AsciiUpperCase(path_part), number, times});
}

void FaultyFileSystem::Check(const std::string& op, const std::string& path) {
  for (Rule& rule : rules_) {
    if (rule.op != op || rule.times == 0) continue;
    if (AsciiUpperCase(path).find(rule.path_part) == std::string::npos)
      continue;
    if (rule.times > 0) --rule.times;
    ++failures_;
    throw RunError::Of(rule.number, "FaultyFileSystem");
  }
}

std::string FaultyFileSystem::Dir(const std::string& path, int mask) {
  Check("Dir", path);
  last_search_ = path;
  return inner_.Dir(path, mask);
}
std::string FaultyFileSystem::DirNext() {
  Check("DirNext", last_search_);
  return inner_.DirNext();
}
int FaultyFileSystem::GetAttr(const std::string& path) {
  Check("GetAttr", path);
  return inner_.GetAttr(path);
}
void FaultyFileSystem::SetAttr(const std::string& path, int attributes) {
  Check("SetAttr", path);
  inner_.SetAttr(path, attributes);
}
void FaultyFileSystem::FileCopy(const std::string& source,
                                const std::string& target) {
  Check("FileCopy", target);
  inner_.FileCopy(source, target);
}
std::string FaultyFileSystem::StageForRestart(const std::string& source,
                                              const std::string& target) {
  Check("StageForRestart", target);
  return inner_.StageForRestart(source, target);
}
void FaultyFileSystem::Kill(const std::string& path) {
  Check("Kill", path);
  inner_.Kill(path);
}
void FaultyFileSystem::RmDir(const std::string& path) {
  Check("RmDir", path);
  inner_.RmDir(path);
}

void FaultyFileSystem::MkDir(const std::string& path) {
  Check("MkDir", path);
  inner_.MkDir(path);
}
FileTime FaultyFileSystem::DateLastModified(const std::string& path) {
  Check("DateLastModified", path);
  return inner_.DateLastModified(path);
}
void FaultyFileSystem::AppendLine(const std::string& path,
                                  const std::string& line) {
  Check("AppendLine", path);
  inner_.AppendLine(path, line);
}
std::unique_ptr<ItemReader> FaultyFileSystem::OpenForInput(
    const std::string& path) {
  Check("OpenForInput", path);
  return std::make_unique<FaultyReader>(*this, inner_.OpenForInput(path), path);
}

void FaultyFileSystem::ReadContent(
    const std::string& path,
    const std::function<void(const char*, std::size_t)>& chunk) {
  Check("ReadContent", path);
  inner_.ReadContent(path, chunk);
}

}  // namespace rolvex
