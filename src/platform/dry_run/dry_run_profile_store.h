// A ProfileStore that writes nothing: a write is checked as the real store
// would check it and recorded; a read gives the value recorded for that
// entry, else what the real file holds, where the file's bytes would come
// from at that point of the run (the file itself, or the source of a copy
// recorded by the file overlay).
#ifndef ROLVEX_PLATFORM_DRY_RUN_DRY_RUN_PROFILE_STORE_H_
#define ROLVEX_PLATFORM_DRY_RUN_DRY_RUN_PROFILE_STORE_H_

#include <map>
#include <string>
#include <vector>

#include "platform/dry_run/dry_run_file_system.h"
#include "platform/profile_store.h"
#include "platform/rules/ini_document.h"

namespace rolvex {

// One accepted write, as the installer asked for it.
struct ProfileWrite {
  std::string file;
  std::string section;
  std::string key;
  std::string value;
};

class DryRunProfileStore : public ProfileStore {
 public:
  // `real` is only read; `files` answers where a file's bytes come from and
  // learns of the files the writes make. Both must outlive this object.
  DryRunProfileStore(ProfileStore& real, DryRunFileSystem& files);

  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& default_value, int buffer_size,
                        const std::string& file) override;
  // Refused (false) as the real store refuses: a folder or a read-only file
  // in the way, a file another program holds, a missing folder, or an entry
  // that would not read back as written. Accepted writes are recorded.
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file) override;
  // Nothing to defer: nothing is written, and every write is checked and
  // recorded when it is made.
  void BeginBatch(const std::string& file) override { (void)file; }
  bool EndBatch() override { return true; }

  // Every accepted write, oldest first.
  const std::vector<ProfileWrite>& writes() const { return writes_; }

 private:
  static std::string Key(const std::string& file);

  ProfileStore& real_;
  DryRunFileSystem& files_;
  // Per file, the entries written so far, as a document of their own: it
  // reads them back by the same rules as the file would.
  std::map<std::string, IniDocument> written_;
  std::vector<ProfileWrite> writes_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_DRY_RUN_DRY_RUN_PROFILE_STORE_H_
