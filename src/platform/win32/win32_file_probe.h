// The preview's questions to a Windows PC (see dry_run/file_probe.h): a file
// is in use when it cannot be opened for writing because another process
// holds it without sharing, unreadable when it cannot be opened for reading.
// Opening changes nothing: nothing is written, and the handle is closed at
// once.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_FILE_PROBE_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_FILE_PROBE_H_

#include <string>

#include "platform/dry_run/file_probe.h"

namespace rolvex {

class Win32FileProbe : public FileProbe {
 public:
  bool InUse(const std::string& path) override;
  bool Unreadable(const std::string& path) override;
  bool NotAFile(const std::string& path) override;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_FILE_PROBE_H_
