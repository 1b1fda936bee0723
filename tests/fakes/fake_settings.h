// In-memory profile store and environment for unit tests of the layers above
// the platform.
#ifndef ROLVEX_TESTS_FAKES_FAKE_SETTINGS_H_
#define ROLVEX_TESTS_FAKES_FAKE_SETTINGS_H_

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/environment.h"
#include "platform/profile_store.h"

namespace rolvex {

// Profile files in memory: each file is its bytes, read and edited by
// IniDocument, so the layers above see the profile rules of the real stores
// (trimming, quotes, case, in-place edits, refusals). File names match
// without regard to case. A missing file is created only in a folder that
// exists: a drive root (the folder of C:\x.ini), a folder made by MakeFolder,
// or a folder that holds a file of the store. Every WriteString is recorded.
// A batch writes each entry at once; its write-back can be made to fail,
// which puts the file back as it was when the batch began.
class MemoryProfileStore : public ProfileStore {
 public:
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& default_value, int buffer_size,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file) override;
  void BeginBatch(const std::string& file) override;
  bool EndBatch() override;
  // A failing write-back loses every entry of the batch, or as many as
  // batch_pending says.
  std::size_t BatchPending() const override {
    return !batch_ ? 0 : batch_pending.value_or(batch_taken_);
  }

  // Test setup, not recorded as a write: puts `key` into `section` of `file`
  // so that it reads back as exactly `value` (quoted when its blanks or
  // quotes would be lost otherwise). Throws std::invalid_argument for what
  // no ini line can hold (a line break, an empty name).
  void Set(const std::string& file, const std::string& section,
           const std::string& key, const std::string& value);
  // The value `file` gives for `section` and `key` (no buffer limit); ""
  // when missing.
  std::string Get(const std::string& file, const std::string& section,
                  const std::string& key) const;
  bool Has(const std::string& file, const std::string& section,
           const std::string& key) const;

  // The bytes of `file`; nullopt when the store holds no such file.
  std::optional<std::string> FileBytes(const std::string& file) const;
  void SetFileBytes(const std::string& file, std::string bytes);
  // `folder` (without a trailing backslash) exists from now on.
  void MakeFolder(const std::string& folder);

  struct Write {
    std::string section, key, value, file;
  };
  std::vector<Write> writes;
  // Files (upper-cased) whose writes fail.
  std::vector<std::string> failing_files;
  // Files (upper-cased) whose batches fail at the write-back.
  std::vector<std::string> failing_write_backs;
  // What BatchPending says instead of every entry of the batch.
  std::optional<std::size_t> batch_pending;
  // The file of every batch begun, oldest first.
  std::vector<std::string> batches;

 private:
  std::optional<std::string> Find(const std::string& file,
                                  const std::string& section,
                                  const std::string& key) const;
  bool FolderExists(const std::string& file) const;

  std::map<std::string, std::string> files_;  // by upper-cased name
  std::set<std::string> folders_;             // upper-cased
  // The open batch: its file (upper-cased) and that file's bytes before it.
  std::optional<std::pair<std::string, std::optional<std::string>>> batch_;
  std::size_t batch_taken_ = 0;  // entries written into it
};

class FakeEnvironment : public Environment {
 public:
  std::string Get(const std::string& name) override;
  std::string ComputerName() override { return "PC-TEST"; }
  // Names are matched without regard to case.
  void Set(const std::string& name, const std::string& value);

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_FAKE_SETTINGS_H_
