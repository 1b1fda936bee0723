// Writing a run's backup journal (journal_format.h) into a backup folder.
//
// The journal folder is made at the first change the run is about to make,
// so a run that changes nothing (or is refused at its start) leaves nothing
// behind. Its name, "run-YYYYMMDDTHHMMSSZ-NN" below the backup folder, sorts
// as the runs started.
//
// What a change will destroy is kept before the change is made: a file's
// bytes go to saved\N through a KeepFolder (file_system.h) and its record is
// appended; both have reached the system when the change begins, so a kill
// at any moment leaves a journal of everything done. When the journal
// cannot be written, the method throws RunError and the change must not be
// made.
#ifndef ROLVEX_PLATFORM_JOURNAL_JOURNAL_H_
#define ROLVEX_PLATFORM_JOURNAL_JOURNAL_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "platform/file_system.h"
#include "platform/journal/journal_format.h"

namespace rolvex {

class Journal {
 public:
  // `files` is the PC's own file layer, which the journal is written
  // through and never recorded by; `backup_folder` a Windows path (made
  // when missing); `now` the time in seconds since 1970 (UTC).
  Journal(FileSystem& files, std::string backup_folder,
          std::function<std::int64_t()> now);

  // Before the run first changes `path` (a file, a folder, or nothing yet):
  // records what is there, once per path.
  void BeforeChange(const std::string& path);
  // The run has just made the new file `path` under a name of its own
  // (a staged copy): records it as made by the run.
  void Made(const std::string& path);
  // Before the run makes the folder `path`, which does not exist.
  void BeforeMkDir(const std::string& path);
  // What the run left at `path` after a change (`digest`: its SHA-256 when
  // known). Never throws.
  void AfterChange(const std::string& path, const std::string& digest = "");
  // Before the run writes an ini entry.
  void BeforeIniWrite(const std::string& file, const std::string& section,
                      const std::string& key, const std::string& value);
  // Before the run starts a command.
  void BeforeCommand(const std::string& command_line);
  // Before the run asks for `target` to be replaced by `staged` at the
  // restart.
  void BeforeRestart(const std::string& staged, const std::string& target);
  // The run ends: records what it left in the ini files it wrote, and the
  // end. Never throws.
  void Close(int exit_status);

  // The run's journal folder, "" while nothing was recorded.
  const std::string& folder() const { return folder_; }
  // Bytes kept: the journal's text and the saved files.
  std::int64_t bytes() const { return bytes_; }

  // The pack the run installs, named in the journal's first line.
  void SetPack(const std::string& pack_folder) { pack_ = pack_folder; }

 private:
  static constexpr char kJournalSource[] = "ROLVEX_BACKUP";
  template <typename Write>
  void Guarded(Write&& write);
  void Record(const std::string& path);
  void Open();
  void Append(const JournalRecord& record);

  FileSystem& files_;
  std::string backup_folder_;
  std::function<std::int64_t()> now_;
  std::string pack_;
  std::string folder_;
  std::set<std::string> touched_;  // upper-cased paths
  std::set<std::string> ini_files_;
  int saved_ = 0;
  std::int64_t bytes_ = 0;
  std::string left_;  // "left" lines not written yet
  std::unique_ptr<LineAppender> appender_;
  std::unique_ptr<KeepFolder> saved_folder_;
  bool closed_ = false;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_JOURNAL_JOURNAL_H_
