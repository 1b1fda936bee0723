#include "platform/posix/posix_host_facts.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string>

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
  const std::string folder = HostFolder(host_path);
  const std::string name = HostName(host_path);
  const int folder_fd = index.FolderDescriptor(folder);
  struct stat st;
  const int looked = folder_fd >= 0 ? fstatat(folder_fd, name.c_str(), &st,
                                              AT_SYMLINK_NOFOLLOW)
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
  return AttributeBits(HostName(host_path), facts.mode, facts.stored_bits);
}

}  // namespace rolvex
