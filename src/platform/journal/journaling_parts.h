// Platform parts that keep a backup journal (journal.h) of every change
// they make to the PC, around the parts that make it. They change nothing
// about what the inner parts do: a change whose journal record cannot be
// written is not made and fails as that part's failures do (FileSystem:
// RunError; ProfileStore: false; ProcessRunner: not started;
// RestartScheduler: not recorded).
#ifndef ROLVEX_PLATFORM_JOURNAL_JOURNALING_PARTS_H_
#define ROLVEX_PLATFORM_JOURNAL_JOURNALING_PARTS_H_

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/journal/journal.h"
#include "platform/process_runner.h"
#include "platform/profile_store.h"
#include "platform/restart_scheduler.h"

namespace rolvex {

class JournalingFileSystem : public FileSystem {
 public:
  JournalingFileSystem(FileSystem& inner, Journal& journal)
      : inner_(inner), journal_(journal) {}

  std::string Dir(const std::string& path, int mask) override {
    return inner_.Dir(path, mask);
  }
  std::string DirNext() override { return inner_.DirNext(); }
  int GetAttr(const std::string& path) override { return inner_.GetAttr(path); }
  void SetAttr(const std::string& path, int attributes) override;
  void FileCopy(const std::string& source, const std::string& target) override;
  void FileCopyAdmitted(const std::string& source, const std::string& target,
                        const CopyAdmission& admit) override;
  std::string StageForRestart(const std::string& source,
                              const std::string& target) override;
  void SetCopyProgress(std::function<void()> tick) override {
    inner_.SetCopyProgress(std::move(tick));
  }
  void Kill(const std::string& path) override;
  void MkDir(const std::string& path) override;
  void RmDir(const std::string& path) override;
  std::int64_t FileLen(const std::string& path) override {
    return inner_.FileLen(path);
  }
  std::unique_ptr<KeepFolder> OpenKeepFolder(
      const std::string& folder) override {
    return inner_.OpenKeepFolder(folder);
  }
  FileTime DateLastModified(const std::string& path) override {
    return inner_.DateLastModified(path);
  }
  // The log: appended to, not journaled.
  void AppendLine(const std::string& path, const std::string& line) override {
    inner_.AppendLine(path, line);
  }
  std::unique_ptr<ItemReader> OpenForInput(const std::string& path) override {
    return inner_.OpenForInput(path);
  }
  void ReadContent(
      const std::string& path,
      const std::function<void(const char*, std::size_t)>& chunk) override {
    inner_.ReadContent(path, chunk);
  }
  void Flush() override { inner_.Flush(); }
  void RemoveStaleTemporaries(const std::string& folder) override {
    inner_.RemoveStaleTemporaries(folder);
  }

 private:
  FileSystem& inner_;
  Journal& journal_;
};

class JournalingProfileStore : public ProfileStore {
 public:
  JournalingProfileStore(ProfileStore& inner, Journal& journal)
      : inner_(inner), journal_(journal) {}
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& default_value, int buffer_size,
                        const std::string& file) override {
    return inner_.GetString(section, key, default_value, buffer_size, file);
  }
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file) override;
  void BeginBatch(const std::string& file) override { inner_.BeginBatch(file); }
  bool EndBatch() override { return inner_.EndBatch(); }
  std::size_t BatchPending() const override { return inner_.BatchPending(); }

 private:
  ProfileStore& inner_;
  Journal& journal_;
};

class JournalingProcessRunner : public ProcessRunner {
 public:
  JournalingProcessRunner(ProcessRunner& inner, Journal& journal)
      : inner_(inner), journal_(journal) {}
  std::unique_ptr<Process> Start(const std::string& command_line) override;
  bool CanStart(const std::string& command_line) override {
    return inner_.CanStart(command_line);
  }

 private:
  ProcessRunner& inner_;
  Journal& journal_;
};

class JournalingRestartScheduler : public RestartScheduler {
 public:
  JournalingRestartScheduler(RestartScheduler& inner, Journal& journal)
      : inner_(inner), journal_(journal) {}
  bool ReplaceAtRestart(const std::string& source,
                        const std::string& target) override;
  bool CancelReplaceAtRestart(const std::string& source,
                              const std::string& target) override {
    return inner_.CancelReplaceAtRestart(source, target);
  }

 private:
  RestartScheduler& inner_;
  Journal& journal_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_JOURNAL_JOURNALING_PARTS_H_
