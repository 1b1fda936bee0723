// Profile (ini) files on POSIX: Windows paths mapped through the drive model,
// the bytes read and edited by IniDocument (which holds the reading and
// writing rules), and every write made atomic.
//
// - Reading: a file that is missing, unreadable, not a regular file or on an
//   unmapped drive reads as missing (the default rules apply).
// - Writing: the new bytes go to a TemporaryFile beside the ini file
//   (posix_temporary.h), which is flushed to disk and then takes its place, so
//   a crash or a full disk leaves either the old file or the new one, never a
//   torn one. The file keeps its permission bits, its owner (where the process
//   may set it) and its extended attributes (among them the hidden and system
//   bits in "user.DOSATTRIB"). A link is written through: the file it names is
//   replaced, the link stays. A file with further hard links is replaced by a
//   file of its own, as any atomic replacement does.
// - A missing file is created (permissions 0666 less the umask) when its
//   folder exists.
// - No write (false, file untouched) for a read-only file (no write
//   permission bit, or read-only in the stored DOS attributes; this holds for
//   root too), a file this user may not write (although the folder would let
//   it be renamed over), a file another process holds locked (as a file held
//   open without sharing on Windows), a missing folder, something that is not a
//   regular file, a UTF-16 file, and whatever IniDocument::Set refuses.
// - A write that would leave the bytes as they are succeeds without touching
//   the file.
// - Reading keeps the parsed document of the last few files read, each for as
//   long as the drive model's index reports no change of the file
//   (HostFacts::stamp): the installer reads its language texts once for
//   every line it logs. A file whose changes the index cannot vouch for (a
//   link, a file with other hard links, a folder not indexed) is read anew
//   each time.
// - A batch (ProfileStore::BeginBatch) on a file that exists and may be
//   written holds the parsed file in memory: its writes edit that document
//   and its reads are answered from it, and EndBatch checks the file again
//   (the refusals above) and replaces it once, as a single write does. A
//   batch on a file that is missing or may not be written defers nothing:
//   its writes are made, or refused, one by one. The batch trusts that the
//   file is the installer's own while it is open (one merge source file:
//   a short time, and the installer's own write in progress); it does not
//   read the file again at the write-back, so a change someone else made in
//   between is lost.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_PROFILE_STORE_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_PROFILE_STORE_H_

#include <sys/stat.h>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/posix/posix_drive_model.h"
#include "platform/profile_store.h"
#include "platform/rules/ini_document.h"

namespace rolvex {

class PosixProfileStore : public ProfileStore {
 public:
  // `drives` must outlive the store.
  explicit PosixProfileStore(const DriveModel& drives) : drives_(drives) {}

  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& default_value, int buffer_size,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file) override;
  void BeginBatch(const std::string& file) override;
  bool EndBatch() override;

 private:
  // A file the store may write: whether it exists, and when it does, its
  // stat before the write and its real path (a link resolved).
  struct Target {
    bool exists = false;
    struct stat st = {};
    std::string path;
  };
  // The open batch: the host path of its file, its bytes at the start and
  // the document the batch edits.
  struct Batch {
    std::string host;
    std::string old_bytes;
    IniDocument document;
  };

  // Checks that `host` may be written (the refusals above) and fills
  // `target`; with `old_bytes`, reads the file's bytes into it.
  static bool CheckTarget(const std::string& host, Target& target,
                          std::string* old_bytes);
  bool Write(const std::string& section, const std::string& key,
             const std::string& value, const std::string& file);
  // The open batch when `file` is its file, else null. Throws what ToHost
  // throws.
  Batch* BatchOf(const std::string& file);

  // A document read, kept while the file's facts keep `stamp`, with the
  // answers given from it (the language texts are asked for the same few
  // keys over and over).
  struct Read {
    std::string host;
    unsigned long long stamp = 0;
    IniDocument document;
    std::unordered_map<std::string, std::optional<std::string>> answers;

    std::optional<std::string> Find(const std::string& section,
                                    const std::string& key);
  };
  // The document of the regular file `host` (mapped just now), or null
  // when it cannot be read; `kept` is set when it is one of reads_.
  const IniDocument* ReadDocument(const std::string& host, IniDocument& fresh,
                                  Read*& kept);

  const DriveModel& drives_;
  std::optional<Batch> batch_;
  std::vector<Read> reads_;  // the most recent last
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_PROFILE_STORE_H_
