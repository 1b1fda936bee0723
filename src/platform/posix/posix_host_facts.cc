#include "platform/posix/posix_host_facts.h"

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/posix/posix_dos_attributes.h"

namespace rolvex {

bool LookUpFacts(const std::string& host_path, HostFacts& facts, bool dos_bits,
                 const struct stat* known) {
  struct stat st;
  if (known != nullptr && known->st_mode != 0) {
    st = *known;
  } else if (lstat(host_path.c_str(), &st) != 0) {
    return false;
  }
  facts.is_link = S_ISLNK(st.st_mode);
  if (facts.is_link && stat(host_path.c_str(), &st) != 0) return false;
  facts.mode = st.st_mode;
  facts.mtime = static_cast<long long>(st.st_mtim.tv_sec);
  facts.stored_bits = dos_bits ? ReadDosAttrib(host_path, &facts.stored) : 0;
  return true;
}

int AttributesOf(const std::string& host_path, const HostFacts& facts) {
  const std::size_t slash = host_path.find_last_of('/');
  const std::string_view name =
      slash == std::string::npos
          ? std::string_view(host_path)
          : std::string_view(host_path).substr(slash + 1);
  return AttributeBits(name, facts.mode, facts.stored_bits);
}

}  // namespace rolvex
