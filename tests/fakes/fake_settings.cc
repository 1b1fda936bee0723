#include "fakes/fake_settings.h"

#include <algorithm>

#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

std::string Trim(const std::string& s) {
  auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string MemoryProfileStore::Id(const std::string& file,
                                   const std::string& section,
                                   const std::string& key) {
  return AsciiUpperCase(file) + '\n' + AsciiUpperCase(Trim(section)) + '\n' +
         AsciiUpperCase(Trim(key));
}

std::string MemoryProfileStore::GetString(const std::string& section,
                                          const std::string& key,
                                          const std::string& default_value,
                                          int buffer_size,
                                          const std::string& file) {
  auto it = values_.find(Id(file, section, key));
  std::string value;
  if (it != values_.end()) {
    value = it->second;
  } else {
    value = default_value;
    auto last = value.find_last_not_of(' ');
    value = last == std::string::npos ? "" : value.substr(0, last + 1);
  }
  if (buffer_size <= 0) return "";
  if (static_cast<int>(value.size()) > buffer_size - 1) {
    value.resize(buffer_size - 1);
  }
  return value;
}

bool MemoryProfileStore::WriteString(const std::string& section,
                                     const std::string& key,
                                     const std::string& value,
                                     const std::string& file) {
  writes.push_back({section, key, value, file});
  if (std::find(failing_files.begin(), failing_files.end(),
                AsciiUpperCase(file)) != failing_files.end()) {
    return false;
  }
  auto first = value.find_first_not_of(' ');
  values_[Id(file, section, key)] =
      first == std::string::npos ? "" : value.substr(first);
  return true;
}

void MemoryProfileStore::Set(const std::string& file,
                             const std::string& section, const std::string& key,
                             const std::string& value) {
  values_[Id(file, section, key)] = value;
}

std::string MemoryProfileStore::Get(const std::string& file,
                                    const std::string& section,
                                    const std::string& key) const {
  auto it = values_.find(Id(file, section, key));
  return it == values_.end() ? "" : it->second;
}

bool MemoryProfileStore::Has(const std::string& file,
                             const std::string& section,
                             const std::string& key) const {
  return values_.count(Id(file, section, key)) != 0;
}

std::string FakeEnvironment::Get(const std::string& name) {
  auto it = values_.find(AsciiUpperCase(name));
  return it == values_.end() ? "" : it->second;
}

void FakeEnvironment::Set(const std::string& name, const std::string& value) {
  values_[AsciiUpperCase(name)] = value;
}

}  // namespace rolvex
