#include "platform/posix/posix_host_facts.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/posix/posix_dos_attributes.h"
#include "platform/posix/posix_folder_index.h"
#include "platform/posix/posix_host_path.h"

namespace rolvex {

bool LookUpFacts(const DriveModel& drives, const std::string& host_path,
                 HostFacts& facts, bool with_times) {
  FolderIndex& index = drives.index();
  if (const FolderIndex::Facts* known =
          index.KnownFacts(host_path, with_times)) {
    facts = HostFacts{known->mode,   known->mtime,       false,
                      known->stored, known->stored_bits, known->stamp};
    return true;
  }
  // Asked relative to the folder the index holds open, where it holds one:
  // the kernel then walks one name instead of the whole path.
  // The name is the tail of the path, which ends in a NUL already.
  const std::size_t slash = host_path.find_last_of('/');
  const char* name = slash == std::string::npos ? host_path.c_str()
                                                : host_path.c_str() + slash + 1;
  const int folder_fd =
      slash == std::string::npos || *name == '\0'
          ? -1
          : index.FolderDescriptor(
                slash == 0 ? std::string_view("/")
                           : std::string_view(host_path.data(), slash));
  struct stat st;
  const int looked = folder_fd >= 0
                         ? fstatat(folder_fd, name, &st, AT_SYMLINK_NOFOLLOW)
                         : lstat(host_path.c_str(), &st);
  if (looked != 0) return false;
  facts.is_link = S_ISLNK(st.st_mode);
  if (facts.is_link && stat(host_path.c_str(), &st) != 0) return false;
  facts.mode = st.st_mode;
  facts.mtime = static_cast<long long>(st.st_mtim.tv_sec);
  facts.stored_bits =
      folder_fd >= 0 && !facts.is_link
          ? ReadDosAttribAt(folder_fd, name, host_path, &facts.stored)
          : ReadDosAttrib(host_path, &facts.stored);
  facts.stamp = 0;
  if (!facts.is_link) {
    FolderIndex::Facts kept;
    kept.mode = facts.mode;
    kept.mtime = facts.mtime;
    kept.stored = facts.stored;
    kept.stored_bits = facts.stored_bits;
    facts.stamp = index.Remember(host_path, st, kept);
  }
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
