// What a dry run must ask the PC beyond the FileSystem contract to foresee
// the failures of the operations it does not perform. Each backend answers
// with its own system calls; no question changes anything on the PC.
#ifndef ROLVEX_PLATFORM_DRY_RUN_FILE_PROBE_H_
#define ROLVEX_PLATFORM_DRY_RUN_FILE_PROBE_H_

#include <string>

namespace rolvex {

class FileProbe {
 public:
  virtual ~FileProbe() = default;
  // True when another program holds the existing file `path` so that the
  // file layer would refuse to replace or delete it (70).
  virtual bool InUse(const std::string& path) = 0;
  // True when the existing file `path` cannot be read, so that a copy from
  // it would fail (70).
  virtual bool Unreadable(const std::string& path) = 0;
  // True when `path` is an existing object that is neither a file nor a
  // folder (a pipe, a device), which the file layer refuses to read or
  // replace (75). Asked without opening it.
  virtual bool NotAFile(const std::string& path) = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_DRY_RUN_FILE_PROBE_H_
