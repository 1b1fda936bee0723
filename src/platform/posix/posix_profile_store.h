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
// - Only regular files are read (a link to one is followed): the kind is
//   asked before the file is opened, so that a FIFO or a device is never
//   opened; it reads as missing. More than kSettingsFileLimit bytes (a huge
//   sparse file, a link into /proc that never ends) read as unreadable, with
//   one line naming the file on standard error; such a file is not written.
// - What the store keeps of a file is trusted only while the file provably
//   did not change: its stat (device, inode, size, modification and change
//   times to the nanosecond) is the one taken when the bytes were read or
//   written, it lies on a local file system (ext2/3/4, xfs, btrfs, tmpfs,
//   f2fs, overlayfs), whose times are the kernel's own, and its change time
//   was at least kRacyNanoseconds older than that moment: two changes within
//   one tick of the file system's clock leave the same times, so a file
//   changed just before it was read may change again unseen.
// - Reading keeps the parsed document of the last few files read, under
//   that rule: the installer reads its language texts once for every line it
//   logs.
// - A batch (ProfileStore::BeginBatch) on a file that exists and may be
//   written keeps the entries taken and the parsed file: its reads are
//   answered from the document with the entries applied, which is read again
//   whenever a stat shows a change. Every write-back reads the file again
//   unless the document is trusted by the rule above, applies the entries
//   not written yet, and replaces the file as a single write does: a change
//   another program made meanwhile (a log line appended to the file, a value
//   written) stays. A write-back is made as soon as the batch holds an entry
//   older than kWriteBackNanoseconds, and at EndBatch, so a kill loses at
//   most the entries of the last moment. A batch on a file that is missing
//   or may not be written defers nothing: its writes are made, or refused,
//   one by one.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_PROFILE_STORE_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_PROFILE_STORE_H_

#include <sys/stat.h>

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
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
  std::size_t BatchPending() const override;

  // Two changes of a file this close together may leave the same times.
  static constexpr long long kRacyNanoseconds = 2'000'000'000LL;
  // Entries a batch holds longer than this are written back.
  static constexpr long long kWriteBackNanoseconds = 1'000'000'000LL;

  // What a stat showed of a file when its bytes were read or written.
  struct Stamp {
    struct stat st = {};
    bool trusted = false;  // the rule above holds for it
    // Whether `now` shows the same file, unchanged, and the stamp is trusted.
    bool Holds(const struct stat& now) const;
    // Whether `now` differs from st in any of the fields compared.
    bool Differs(const struct stat& now) const;
  };
  enum class ReadResult { kRead, kMissing, kUnreadable };

 private:
  // A file the store may write: whether it exists, and when it does, its
  // stat before the write and its real path (a link resolved).
  struct Target {
    bool exists = false;
    struct stat st = {};
    std::string path;
  };
  struct Entry {
    std::string section, key, value;
  };
  // The open batch: the host path of its file, the document as read (with
  // `on_disk` its bytes and `stamp` their stat) and the entries taken since
  // the last write-back, applied to `document`.
  struct Batch {
    std::string host;
    std::string on_disk;
    Stamp stamp;
    IniDocument document;
    std::vector<Entry> pending;
    long long oldest = 0;  // when the first of `pending` was taken
    bool lost = false;     // an entry taken could not be applied again
  };

  // Reads the regular file `host` (a link followed) into `bytes`, with the
  // stamp of what was read. A file over the limit is told on stderr once.
  ReadResult ReadFile(const std::string& host, std::string& bytes,
                      Stamp& stamp);
  // Checks that `host` may be written (the refusals above) and fills
  // `target`.
  static bool CheckTarget(const std::string& host, Target& target);
  bool Write(const std::string& section, const std::string& key,
             const std::string& value, const std::string& file);
  // The open batch when `file` is its file, else null. Throws what ToHost
  // throws.
  Batch* BatchOf(const std::string& file);
  // Reads the batch's file again when a stat shows a change (always with
  // `unless_trusted` when its stamp is not trusted), and applies the
  // pending entries to what was read.
  void Refresh(Batch& batch, bool unless_trusted);
  // Writes the batch's pending entries into its file: false when refused.
  bool WriteBack(Batch& batch);

  // A document read, kept while its stamp holds, with the answers given
  // from it (the language texts are asked for the same few keys over and
  // over).
  struct Read {
    std::string host;
    Stamp stamp;
    IniDocument document;
    std::unordered_map<std::string, std::optional<std::string>> answers;

    std::optional<std::string> Find(const std::string& section,
                                    const std::string& key);
  };
  // The value of `key` in `section` of the file `host` (not the batch's);
  // `mapped` is the lstat the mapping took (st_mode 0: none).
  std::optional<std::string> ReadValue(const std::string& host,
                                       const std::string& section,
                                       const std::string& key,
                                       const struct stat& mapped);

  const DriveModel& drives_;
  std::optional<Batch> batch_;
  std::vector<Read> reads_;                            // the most recent last
  std::vector<std::pair<dev_t, ino_t>> told_too_big_;  // told on stderr
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_PROFILE_STORE_H_
