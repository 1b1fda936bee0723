// Profile files through GetPrivateProfileStringA / WritePrivateProfileStringA
// themselves.
//
// Wine returns an all-blank default as one blank (count 1) where Windows
// returns "" (the default loses its trailing blanks). The default's trailing
// blanks are therefore stripped here before the call, which gives the same
// result on both. Writing into a read-only file fails on Windows; Wine
// running as root would rewrite it, so a read-only file is refused here
// first.
#ifndef ROLVEX_PLATFORM_WIN32_PROFILE_STORE_H_
#define ROLVEX_PLATFORM_WIN32_PROFILE_STORE_H_

#include <string>

#include "platform/profile_store.h"

namespace rolvex {

class Win32ProfileStore : public ProfileStore {
 public:
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& default_value, int buffer_size,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file) override;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_PROFILE_STORE_H_
