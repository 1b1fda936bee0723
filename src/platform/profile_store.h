// Profile (ini) file access with the semantics of the Windows functions
// GetPrivateProfileStringA and WritePrivateProfileStringA.
#ifndef ROLVEX_PLATFORM_PROFILE_STORE_H_
#define ROLVEX_PLATFORM_PROFILE_STORE_H_

#include <cstddef>
#include <string>

namespace rolvex {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;

  // The value of `key` in `section` of `file`, as GetPrivateProfileStringA
  // returns it into a buffer of `buffer_size` characters: at most
  // buffer_size - 1 characters; blanks around the value and one pair of
  // enclosing quotes dropped; section and key matched without regard to case
  // (the requested names trimmed), the first matching key winning. A missing
  // file, section or key gives `default_value` without its trailing blanks,
  // so an all-blank default gives "". Never throws: an unreadable file reads
  // as missing.
  virtual std::string GetString(const std::string& section,
                                const std::string& key,
                                const std::string& default_value,
                                int buffer_size, const std::string& file) = 0;

  // Writes `key`=`value` (leading blanks of the value dropped) into
  // `section` of `file` as WritePrivateProfileStringA does: an existing key is
  // replaced in place, a missing key is added after the last entry of its
  // section, a missing section is appended, a missing file is created (its
  // folder must exist). Untouched bytes of the file stay as they were.
  // Returns false when the write failed; never throws.
  virtual bool WriteString(const std::string& section, const std::string& key,
                           const std::string& value,
                           const std::string& file) = 0;

  // Batched writes into one file. Between BeginBatch(file) and EndBatch()
  // the store may keep the writes into `file` in memory for a moment and
  // write them back together, instead of rewriting the file for every
  // entry:
  // - every GetString and WriteString keeps its meaning: a read sees the
  //   entries written so far, and the file ends with the bytes the same
  //   writes made one by one, changes other programs made meanwhile
  //   included;
  // - WriteString still refuses what it refuses for the entry itself (what
  //   ReadsBackAsWritten refuses, a UTF-16 file); whether the file may be
  //   written at all (read-only, locked, folder missing) may be decided only
  //   at a write-back;
  // - each write-back is atomic, and entries are held only for a moment: a
  //   kill loses at most the entries of the last moment.
  // A store with nothing to defer writes each entry at once and returns true
  // from EndBatch. Batches do not nest: BeginBatch while one is open ends
  // that one first. Writes into other files are not batched.
  virtual void BeginBatch(const std::string& file) = 0;
  // Ends the open batch (true when none is open). False when the write-back
  // was refused: the last BatchPending() entries that WriteString took are
  // not in the file. Never throws.
  virtual bool EndBatch() = 0;
  // How many of the entries WriteString took in the open batch are not in
  // the file yet: what a refused EndBatch loses.
  virtual std::size_t BatchPending() const { return 0; }
};

// A batch of `store` on `file` for the lifetime of this object; a batch
// that is not ended by Flush (an exception on the way) is ended here.
class ProfileBatch {
 public:
  ProfileBatch(ProfileStore& store, const std::string& file) : store_(store) {
    store_.BeginBatch(file);
  }
  ~ProfileBatch() {
    if (open_) store_.EndBatch();
  }
  ProfileBatch(const ProfileBatch&) = delete;
  ProfileBatch& operator=(const ProfileBatch&) = delete;

  // Ends the batch: whether the write-back was taken.
  bool Flush() {
    open_ = false;
    return store_.EndBatch();
  }

 private:
  ProfileStore& store_;
  bool open_ = true;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_PROFILE_STORE_H_
