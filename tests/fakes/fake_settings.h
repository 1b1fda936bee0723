// In-memory profile store and environment for unit tests of the layers above
// the platform.
#ifndef ROLVEX_TESTS_FAKES_FAKE_SETTINGS_H_
#define ROLVEX_TESTS_FAKES_FAKE_SETTINGS_H_

#include <map>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/profile_store.h"

namespace rolvex {

// Files, sections and keys are matched without regard to case; values are
// returned as stored, cut to buffer_size - 1 characters; a missing value
// returns the default without trailing blanks. Writes are recorded in order.
class MemoryProfileStore : public ProfileStore {
 public:
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& default_value, int buffer_size,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file) override;

  void Set(const std::string& file, const std::string& section,
           const std::string& key, const std::string& value);
  // "" when missing.
  std::string Get(const std::string& file, const std::string& section,
                  const std::string& key) const;
  bool Has(const std::string& file, const std::string& section,
           const std::string& key) const;

  struct Write {
    std::string section, key, value, file;
  };
  std::vector<Write> writes;
  // Files (upper-cased) whose writes fail.
  std::vector<std::string> failing_files;

 private:
  static std::string Id(const std::string& file, const std::string& section,
                        const std::string& key);
  std::map<std::string, std::string> values_;
};

class FakeEnvironment : public Environment {
 public:
  std::string Get(const std::string& name) override;
  // Names are matched without regard to case.
  void Set(const std::string& name, const std::string& value);

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_FAKE_SETTINGS_H_
