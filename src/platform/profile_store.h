// Profile (ini) file access with the semantics of the Windows functions
// GetPrivateProfileStringA and WritePrivateProfileStringA.
#ifndef ROLVEX_PLATFORM_PROFILE_STORE_H_
#define ROLVEX_PLATFORM_PROFILE_STORE_H_

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
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_PROFILE_STORE_H_
