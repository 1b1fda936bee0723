// Profile files through GetPrivateProfileStringA / WritePrivateProfileStringA
// themselves.
//
// Wine returns an all-blank default as one blank (count 1) where Windows
// returns "" (the default loses its trailing blanks). The default's trailing
// blanks are therefore stripped here before the call, which gives the same
// result on both. Writing into a read-only file fails on Windows; Wine
// running as root would rewrite it, so a read-only file is refused here
// first.
//
// The system function writes line breaks as they are: a value holding one
// would add lines, even sections, of its own. So nothing is written (false)
// for what ReadsBackAsWritten (rules/ini_document.h) refuses, the same
// entries every other profile store refuses.
//
// A batch defers nothing: the system function writes each entry into the
// file itself, so EndBatch has nothing left to write back.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_PROFILE_STORE_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_PROFILE_STORE_H_

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
  void BeginBatch(const std::string& file) override { (void)file; }
  bool EndBatch() override { return true; }
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_PROFILE_STORE_H_
